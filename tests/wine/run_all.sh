#!/usr/bin/env bash
# Runs the Windows build under Wine on a private virtual X server: the Windows
# test programs, then the program itself end to end, compared with frames that
# the Linux build renders on its headless backend.
#
#   tests/wine/run_all.sh <windows build dir> <linux build dir>
#
# The Windows build must hold tilescroll.exe and tests/unit_tests.exe (and
# tests/platform_tests.exe when tests/platform has sources); render_view and
# render_map are built in the Linux build if missing. Everything started here
# (Xvfb, the prefix's Wine server and processes, the program) is stopped again
# on the way out. TILESCROLL_WINE_KEEP=1 keeps the scratch directory.
# The last line reads "wine: P passed, F failed"; the exit status is 0 only
# when nothing failed.
set -uo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 <windows build dir> <linux build dir>" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
win_build=$(cd "$1" && pwd) || exit 2
linux_build=$(cd "$2" && pwd) || exit 2

for tool in Xvfb wine wineboot wineserver xdotool import convert c++ i686-w64-mingw32-objdump; do
  if ! command -v "$tool" >/dev/null; then
    echo "wine: $tool is missing" >&2
    echo "wine: 0 passed, 1 failed"
    exit 1
  fi
done

work=$(mktemp -d /tmp/tilescroll-wine.XXXXXX)
xvfb_pid=
app_pid=
started=$SECONDS
passed=0
failed=0
pass() { echo "  ok      $*"; passed=$((passed + 1)); }
fail() { echo "  FAILED  $*"; failed=$((failed + 1)); }

# shellcheck source=wine_session.sh
source "$here/wine_session.sh"
# shellcheck source=end_to_end.sh
source "$here/end_to_end.sh"

cleanup() {
  local status=$?
  trap - EXIT INT TERM
  stop_program
  stop_wine
  stop_xvfb
  if [ "${TILESCROLL_WINE_KEEP:-0}" = 1 ]; then
    echo "wine: scratch directory kept: $work"
  else
    rm -rf "$work"
  fi
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# One GoogleTest program under Wine, its counts added to the totals. The tests
# find the sources through drive Z:, Wine's view of the Unix tree.
run_gtest() {
  local name=$1 log=$work/$1.log t0=$SECONDS status ok bad
  TILESCROLL_SOURCE_DIR="Z:${source_dir//\//\\}" \
    timeout -k 5 180 wine "$2" --gtest_color=no 2>&1 | tr -d '\r' >"$log"
  status=${PIPESTATUS[0]}
  ok=$(grep -c '^\[       OK \]' "$log")
  bad=$(grep -c '^\[  FAILED  \] .*(.* ms)$' "$log")
  passed=$((passed + ok))
  failed=$((failed + bad))
  if [ "$status" -ne 0 ] && [ "$bad" -eq 0 ]; then
    failed=$((failed + 1))  # crashed, hung or failed outside a test
    echo "  FAILED  $name exited with status $status; last lines:"
    tail -n 20 "$log" | sed 's/^/          /'
  elif [ "$bad" -gt 0 ]; then
    echo "  FAILED  $name: $bad failed:"
    grep -E '^\[  FAILED  \] .*(.* ms)$' "$log" | sed 's/^/          /'
    grep -B2 -A6 -E 'Failure$' "$log" | head -n 60 | sed 's/^/          /'
  fi
  echo "  $name: $ok passed, $bad failed, exit status $status ($((SECONDS - t0)) s)"
}

echo "==== wine: comparer self-test"
c++ -O2 -std=c++17 -o "$work/frame_compare" "$here/frame_compare.cpp" || exit 1
if "$here/compare_selftest.sh" "$work/frame_compare" "$work/selftest"; then
  pass "frame_compare self-test"
else
  fail "frame_compare self-test"
fi

echo "==== wine: the executable"
exe=$win_build/tilescroll.exe
if [ ! -f "$exe" ]; then
  echo "  skipped: no tilescroll.exe (the end-to-end stage counts it)"
elif ! headers=$(i686-w64-mingw32-objdump -p "$exe" 2>/dev/null); then
  fail "i686-w64-mingw32-objdump can read tilescroll.exe"
else
  # A 32-bit GUI program that needs nothing beyond the system's own DLLs.
  dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr '[:lower:]' '[:upper:]' | sort | paste -sd ' ')
  foreign=$(tr ' ' '\n' <<<"$dlls" | grep -v -x -E '|KERNEL32.DLL|USER32.DLL|GDI32.DLL|DDRAW.DLL|MSVCRT.DLL')
  if [ -n "$foreign" ]; then
    fail "tilescroll.exe imports only system DLLs (also: $(tr '\n' ' ' <<<"$foreign"))"
  else
    pass "tilescroll.exe imports only system DLLs: $dlls"
  fi
  if grep -q 'file format pei-i386' <<<"$headers" && grep -q 'Subsystem.*Windows GUI' <<<"$headers"; then
    pass "tilescroll.exe is a 32-bit Windows GUI program"
  else
    fail "tilescroll.exe is a 32-bit Windows GUI program"
  fi
fi

echo "==== wine: session"
t0=$SECONDS
if ! start_xvfb || ! start_wine; then
  fail "Xvfb and a Wine prefix could be set up"
  echo "wine: $passed passed, $failed failed"
  exit 1
fi
echo "  display :$display, prefix $WINEPREFIX ($((SECONDS - t0)) s)"

echo "==== wine: test programs"
for suite in unit platform; do
  exe=$win_build/tests/${suite}_tests.exe
  if [ -f "$exe" ]; then
    run_gtest "${suite}_tests" "$exe"
  elif compgen -G "$source_dir/tests/$suite/*.cpp" >/dev/null; then
    fail "${suite}_tests.exe was not built in $win_build"
  else
    echo "  skipped ${suite}_tests: tests/$suite has no tests yet"
  fi
done

echo "==== wine: the program end to end"
end_to_end

echo "==== wine: done in $((SECONDS - started)) s"
echo "wine: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
