#!/usr/bin/env bash
# The program under valgrind's memcheck: WinMain end to end on the headless
# backend, through the program suite's whole-program cases (each ends its
# run with Escape from the flip hook, since the headless backend has no
# keyboard), the runs with surfaces lost midway, and the fuzz corpus through
# the bitmap and palette loaders. Fails on any memory error or definite leak.
#   tests/valgrind/run.sh <linux build folder, e.g. build/linux>
set -uo pipefail
build=${1:?usage: tests/valgrind/run.sh <linux build folder>}
cd "$(dirname "$0")/../.."
build=$(realpath "$build")

memcheck() {
  local binary=$build/tests/$1
  shift
  if [ ! -x "$binary" ]; then
    echo "valgrind: $binary is missing; build the linux preset first" >&2
    return 1
  fi
  local log
  log=$(mktemp)
  # The program's own standard error is the layer's refusal lines, expected
  # by the thousand here; valgrind's report goes to the log.
  TILESCROLL_SOURCE_DIR=$PWD TILESCROLL_BACKEND=headless \
    valgrind --quiet --log-file="$log" --error-exitcode=1 --leak-check=full \
    --errors-for-leak-kinds=definite --suppressions=tests/valgrind/test_harness.supp \
    "$binary" --gtest_brief=1 "$@" 2>/dev/null | grep -E '^\[  (PASSED|FAILED)'
  local result=${PIPESTATUS[0]}
  echo "valgrind: $(basename "$binary") $*: exit $result"
  [ "$result" -eq 0 ] || cat "$log"
  rm -f "$log"
  return "$result"
}

status=0
memcheck program_tests --gtest_filter='Program.*:*LostSurfaces*' || status=1
memcheck replay_tests || status=1
exit "$status"
