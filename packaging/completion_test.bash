#!/usr/bin/env bash
# Checks the bash completion for textscape-render by calling its function the
# way bash does, with COMP_WORDS, COMP_CWORD, COMP_LINE and COMP_POINT set,
# once on its own and once with the bash-completion library loaded.
#
#   bash completion_test.bash COMPLETION_FILE [RENDERER]
#
# With RENDERER, every option its --help lists must also be completed,
# --format must offer exactly the formats its --help lists, and --size exactly
# the names its --list-sizes lists.
# The runs below change their own count of failures in subshells on purpose.
# shellcheck disable=SC2030,SC2031
set -uo pipefail

completion=$(realpath "${1:?usage: completion_test.bash COMPLETION_FILE [RENDERER]}")
renderer=${2:-}
failures=0

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
mkdir sub other.png
touch a.png B.PNG b.bmp list.txt 'my pic.png' sub/inner.png

# Splits a command line as bash does for completion (spaces and "=" break
# words, "=" being a word of its own), calls the function and prints the
# candidates sorted, separated by "|".
complete_line() {
    local line=$1 token
    local -a words=()
    read -ra tokens <<<"$line"
    for token in "${tokens[@]}"; do
        while [[ $token == *=* ]]; do
            [[ -n ${token%%=*} ]] && words+=("${token%%=*}")
            words+=("=")
            token=${token#*=}
        done
        [[ -n $token ]] && words+=("$token")
    done
    [[ $line == *' ' ]] && words+=("")
    COMP_WORDS=("${words[@]}")
    COMP_CWORD=$((${#words[@]} - 1))
    COMP_LINE=$line
    COMP_POINT=${#line}
    COMPREPLY=()
    _textscape_render textscape-render "${words[COMP_CWORD]}" "${words[COMP_CWORD - 1]}"
    printf '%s\n' "${COMPREPLY[@]}" | sort -u | paste -sd'|' -
}

expect() {
    local line=$1 wanted=$2 got
    got=$(complete_line "$line")
    if [[ $got != "$wanted" ]]; then
        echo "FAIL ($mode): '$line' completes to '$got', expected '$wanted'" >&2
        failures=$((failures + 1))
    fi
}

# Every word of $2 (separated by spaces) must be among the candidates.
expect_among() {
    local line=$1 word got
    got="|$(complete_line "$line")|"
    for word in $2; do
        if [[ $got != *"|$word|"* ]]; then
            echo "FAIL ($mode): '$line' does not offer $word (got '$got')" >&2
            failures=$((failures + 1))
        fi
    done
}

run_checks() {
    # shellcheck source=/dev/null
    source "$completion"
    if [[ $(complete -p textscape-render 2>/dev/null) != *"-F _textscape_render"* ]]; then
        echo "FAIL ($mode): textscape-render has no completion after sourcing" >&2
        failures=$((failures + 1))
    fi

    expect "textscape-render --no-ca" "--no-caption"
    expect "textscape-render --no-" "--no-caption|--no-clobber"
    expect "textscape-render --ou" "--out-dir|--output"
    expect "textscape-render --v" "--version"
    expect_among "textscape-render -" "-o --output --no-caption --info --batch --out-dir --format --size --list-sizes -j
        --jobs --shard --from -q --quiet -V -n --no-clobber -h --help --version"
    if [[ -n $renderer ]]; then
        local listed
        listed=$("$renderer" --help | grep -oE '^ +-[-[:alnum:]]+(, +-[-[:alnum:]]+)?' | tr -d ',')
        [[ -n $listed ]] || { echo "FAIL: $renderer --help lists no options" >&2; failures=$((failures + 1)); }
        expect_among "textscape-render -" "$listed"
        # The help's list of formats: "  png   .png    PNG image ...".
        local formats
        formats=$("$renderer" --help | sed -n '/^Formats/,/^$/p' | grep -oE '^  [a-z0-9]+ ' | tr -d ' ' |
            sort | paste -sd'|' -)
        [[ -n $formats ]] || { echo "FAIL: $renderer --help lists no formats" >&2; failures=$((failures + 1)); }
        expect "textscape-render --format " "$formats"
        local sizes
        sizes=$("$renderer" --list-sizes | cut -d' ' -f1 | sort | paste -sd'|' -)
        [[ -n $sizes ]] || { echo "FAIL: $renderer --list-sizes lists no sizes" >&2; failures=$((failures + 1)); }
        expect "textscape-render --size " "$sizes"
        expect "textscape-render --size=" "$sizes"
    fi

    expect_among "textscape-render --format " "bmp png"
    expect "textscape-render --format b" "bmp"
    expect "textscape-render --format=p" "png"

    expect "textscape-render -o " "B.PNG|a.png|b.bmp|list.txt|my pic.png|other.png|sub"
    expect "textscape-render --output a" "a.png"
    expect "textscape-render --output=l" "list.txt"
    expect "textscape-render --output=" "B.PNG|a.png|b.bmp|list.txt|my pic.png|other.png|sub"
    expect "textscape-render --batch li" "list.txt"
    expect "textscape-render --batch list.txt --out-dir " "other.png|sub"
    expect "textscape-render --out-dir=s" "sub"
    expect "textscape-render --from " "B.PNG|a.png|my pic.png|other.png|sub"
    expect "textscape-render --from b" "" # b.bmp is not a PNG
    expect "textscape-render --from sub/" "sub/inner.png"

    # Values that are numbers, the text itself, and anything after "--".
    expect_among "textscape-render --size " "canvas 2x 4x hd 4k a4 a3"
    expect "textscape-render --size a" "a3|a4"
    expect "textscape-render --size=4" "4k|4x"
    expect "textscape-render --size 1920x" ""
    expect "textscape-render -j " ""
    expect "textscape-render --shard " ""
    expect "textscape-render --shard -" ""
    expect "textscape-render --size -" ""
    expect "textscape-render --jobs --" ""
    expect "textscape-render --info " ""
    expect "textscape-render --info=" ""
    expect "textscape-render --info=--" ""
    expect "textscape-render -- -" ""
    expect "textscape-render -o x.png -- --" ""
}

# Each run happens in a subshell, so that the second starts clean; its exit
# status is its number of failures.
mode="on its own"
(run_checks; exit "$failures") || failures=$((failures + $?))

library=/usr/share/bash-completion/bash_completion
if [[ -r $library ]]; then
    mode="with bash-completion"
    (
        failures=0
        # shellcheck source=/dev/null
        source "$library"
        if ! declare -F _init_completion >/dev/null; then
            echo "FAIL: $library defines no _init_completion" >&2
            exit 1
        fi
        run_checks
        exit "$failures"
    ) || failures=$((failures + $?))
else
    echo "note: $library not found; checked without bash-completion only"
fi

if ((failures > 0)); then
    echo "$failures completion check(s) failed" >&2
    exit 1
fi
echo "bash completion checks passed"
