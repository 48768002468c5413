#!/usr/bin/env bash
# The program under valgrind's memcheck on the headless backend: the whole
# program run once for each row of the fault table (each run ended with Escape
# or by its fault), and the fuzz corpus through the bitmap and palette
# loaders. Fails on any memory error or definite leak.
#   tests/valgrind/run.sh <linux build folder, e.g. build/linux>
set -fuo pipefail  # no globbing: the filter holds stars
cd "$(dirname "$0")/../.."
build=$(realpath "${1:?usage: tests/valgrind/run.sh <linux build folder>}")
status=0
for run in "program_tests --gtest_filter=*FaultSweep.*" replay_tests; do
  log=$(mktemp)
  # The layer's refusal lines on standard error are expected by the thousand.
  # shellcheck disable=SC2086  # the test program and its arguments
  TILESCROLL_SOURCE_DIR=$PWD TILESCROLL_BACKEND=headless valgrind --quiet --log-file="$log" \
    --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite \
    $build/tests/$run --gtest_brief=1 2>/dev/null |
    grep -E '^\[  (PASSED|FAILED)' | tee "$log.out"
  result=${PIPESTATUS[0]}
  echo "valgrind: $run: exit $result"
  # A filter that no longer selects anything must not pass.
  [ "$result" -eq 0 ] && grep -q '^\[  PASSED  \] [1-9]' "$log.out" || { cat "$log"; status=1; }
  rm -f "$log" "$log.out"
done
exit "$status"
