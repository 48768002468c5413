#!/usr/bin/env bash
# Builds everything and runs every test: the Linux build and its suites, the
# same suites under AddressSanitizer and UndefinedBehaviorSanitizer, and the
# program end to end. Installs what is missing first (needs root then).
set -uo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test || exit 1

jobs=$(nproc)
passed=0
failed=0
failed_stages=()

# Adds a ctest log's counts to the totals.
count_ctest() {
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$1" | tail -1)
  if [ -z "$line" ]; then
    failed=$((failed + 1))
    return
  fi
  local bad all
  bad=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
  all=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/' <<<"$line")
  passed=$((passed + all - bad))
  failed=$((failed + bad))
}

stage() {
  local name=$1
  shift
  echo "==== $name"
  if ! "$@"; then
    failed_stages+=("$name")
  fi
}

ctest_preset() {
  local preset=$1 log
  log=$(mktemp)
  cmake --preset "$preset" >/dev/null &&
    cmake --build --preset "$preset" -j"$jobs" &&
    ctest --preset "$preset" -j"$jobs" 2>&1 | tee "$log"
  local status=${PIPESTATUS[0]}
  count_ctest "$log"
  rm -f "$log"
  return "$status"
}

stage "linux" ctest_preset linux
stage "linux-asan" ctest_preset linux-asan

echo "==== summary"
if [ ${#failed_stages[@]} -gt 0 ]; then
  echo "failed stages: ${failed_stages[*]}"
  [ "$failed" -gt 0 ] || failed=${#failed_stages[@]}
fi
echo "tests: $passed passed, $failed failed"
[ ${#failed_stages[@]} -eq 0 ] && [ "$failed" -eq 0 ]
