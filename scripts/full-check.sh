#!/usr/bin/env bash
# The full check, run by CI after the test command: the whole suite under
# AddressSanitizer and UndefinedBehaviorSanitizer (GCC, leak checking on),
# the Release suite built with Clang (the golden pictures on a second
# compiler), the parts without Qt cross-built for aarch64 with their tests
# run under qemu-user (the golden pictures on another processor family),
# each libFuzzer harness in fuzz/ from its corpus for a bounded time
# (FUZZ_SECONDS, 60 by default), and the Debian packages built, installed,
# run and removed (scripts/package-check.sh). Installs what is missing.
# Builds in build-asan/, build-clang/, build-arm64/, build-fuzz/ and
# build-deb/.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
install_missing
enable_architecture arm64
install_missing "${FULL_CHECK_PACKAGES[@]}"

FUZZ_SECONDS="${FUZZ_SECONDS:-60}"
export QT_QPA_PLATFORM=offscreen
jobs="$(nproc)"

section() { printf '\n== %s (%s)\n' "$1" "$(date +%T)"; }

# Sanitizers report and stop at the first error; the test programs started
# from the tests and the test discovery run with the same settings.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1"
export LSAN_OPTIONS="suppressions=$ROOT/scripts/lsan-suppressions.txt:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

section "AddressSanitizer and UndefinedBehaviorSanitizer, GCC"
# Line tables only (-g1): the reports name files and lines, and the build
# takes much less time than with full debugging information.
cmake -S "$ROOT" -B "$ROOT/build-asan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
  -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++ \
  -DTEXTSCAPE_SANITIZE=address,undefined -DTEXTSCAPE_BUILD_BENCH=OFF
cmake --build "$ROOT/build-asan"
ctest --test-dir "$ROOT/build-asan" --output-on-failure -j "$jobs" --timeout 600

section "Release suite, Clang"
cmake -S "$ROOT" -B "$ROOT/build-clang" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DTEXTSCAPE_WERROR="${TEXTSCAPE_WERROR:-OFF}" -DTEXTSCAPE_BUILD_BENCH=OFF
cmake --build "$ROOT/build-clang"
ctest --test-dir "$ROOT/build-clang" --output-on-failure -j "$jobs"

section "aarch64: the parts without Qt, their tests under qemu-user"
# Debian's cross compiler and the arm64 libraries (cmake/aarch64-linux-gnu.cmake);
# ctest and the test discovery start every test program through qemu, with
# no binfmt_misc needed. Left out, as they need the kernel itself to start
# an aarch64 program (binfmt_misc), and none of them checks a picture:
#   RenderProgramWithoutQt.*  the renderer started from a shell, its ELF
#                             read by ldd (both checked on this machine);
#   bash_completion_...       the completion, asking the renderer for its
#                             options;
#   CaptionText.NoDescriptorLeftIsReportedAsSuch
#                             a death test that starts the test program
#                             anew ("threadsafe" style).
cmake -S "$ROOT" -B "$ROOT/build-arm64" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/aarch64-linux-gnu.cmake" \
  -DTEXTSCAPE_BUILD_GUI=OFF -DTEXTSCAPE_BUILD_BENCH=OFF \
  -DTEXTSCAPE_WERROR="${TEXTSCAPE_WERROR:-OFF}"
cmake --build "$ROOT/build-arm64"
ctest --test-dir "$ROOT/build-arm64" --output-on-failure -j "$jobs" \
  -E '^(RenderProgramWithoutQt\.|bash_completion_offers_options_files_and_formats$|CaptionText\.NoDescriptorLeftIsReportedAsSuch$)'

section "Fuzzers, ${FUZZ_SECONDS} s each, $jobs at a time"
cmake -S "$ROOT" -B "$ROOT/build-fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DTEXTSCAPE_SANITIZE=fuzzer-no-link,address,undefined -DTEXTSCAPE_BUILD_FUZZERS=ON \
  -DTEXTSCAPE_BUILD_TESTS=OFF -DTEXTSCAPE_BUILD_BENCH=OFF
cmake --build "$ROOT/build-fuzz"
# One fuzzer per core at a time; each writes its own log, shown in turn.
run_fuzzer() {
  local name="$1" corpus="$2"
  # New inputs go to a scratch folder: the committed corpus stays as it is.
  local scratch="$ROOT/build-fuzz/corpus-$name"
  mkdir -p "$scratch"
  local status=0
  "$ROOT/build-fuzz/fuzz/fuzz_$name" "$scratch" "$corpus" -max_total_time="$FUZZ_SECONDS" \
    -artifact_prefix="$ROOT/build-fuzz/fuzz_$name-" -print_final_stats=1 >"$ROOT/build-fuzz/fuzz_$name.log" 2>&1 ||
    status=$?
  echo "$status" >"$ROOT/build-fuzz/fuzz_$name.status"
}
names=()
for corpus in "$ROOT"/fuzz/corpus/*/; do
  name="$(basename "$corpus")"
  names+=("$name")
  run_fuzzer "$name" "$corpus" &
  [ "$(jobs -rp | wc -l)" -lt "$jobs" ] || wait -n || true
done
wait
found=0
for name in "${names[@]}"; do
  log="$ROOT/build-fuzz/fuzz_$name.log"
  status="$(cat "$ROOT/build-fuzz/fuzz_$name.status")"
  echo "-- fuzz_$name"
  grep -E '^(#[0-9]+[[:space:]]+(INITED|DONE)|stat::number_of_executed_units|Done )' "$log" || true
  if [ "$status" -ne 0 ]; then
    tail -n 60 "$log" >&2
    echo "fuzz_$name found a problem (exit status $status): see $log and the artifact in build-fuzz/" >&2
    found=1
  fi
done
[ "$found" -eq 0 ] || exit 1

section "Debian packages: build, lintian, install, run, remove"
bash "$ROOT/scripts/package-check.sh"

section "Full check passed"
