#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test; the
# window's tests run headless.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
install_missing
configure_and_build
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$(nproc)"

# ctest starts one process per test. Each test program also runs whole once,
# its tests in a shuffled order, so that a test that leaves something behind
# for a later one cannot hide. TEXTSCAPE_TEST_SEED repeats an order.
seed="${TEXTSCAPE_TEST_SEED:-$((RANDOM % 99999 + 1))}"
logs="$BUILD_DIR/test-output/whole"
mkdir -p "$logs"
shopt -s nullglob
programs=("$BUILD_DIR"/tests/*/*_tests)
echo "Running ${#programs[@]} test programs whole, shuffled with seed $seed"
printf '%s\n' "${programs[@]}" | xargs -r -P "$(nproc)" -I{} bash -c '
  log="$1/$(basename "$2").log"
  if ! "$2" --gtest_shuffle --gtest_random_seed="$3" --gtest_brief=1 >"$log" 2>&1; then
    cat "$log"
    echo "FAILED run whole: $2 --gtest_shuffle --gtest_random_seed=$3"
    exit 1
  fi' _ "$logs" {} "$seed"
echo "Every test program passed run whole"
