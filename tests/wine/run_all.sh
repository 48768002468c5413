#!/usr/bin/env bash
# The Windows build under Wine on a private virtual X server: the executable's
# form, the Windows test programs, then the program end to end, compared with
# the frames that the Linux build renders on its headless backend.
#   tests/wine/run_all.sh <windows build dir> <linux build dir>
# The last line reads "wine: P passed, F failed"; the exit status is 0 only
# when nothing failed.
set -uo pipefail
[ $# -eq 2 ] || { echo "usage: $0 <windows build dir> <linux build dir>" >&2; exit 2; }
win_build=$(cd "$1" && pwd) || exit 2
linux_build=$(cd "$2" && pwd) || exit 2
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
# The legend is text in each platform's own font: both fill 16 rows at the top,
# which are left out. Both sides widen 5-6-5 to 8 bits, and any two ways of
# widening differ by at most 7 levels.
tolerance=7 legend_rows=16
source "$source_dir/tests/e2e/driver.sh"
started=$SECONDS
finish() { echo "==== wine: done in $((SECONDS - started)) s"; echo "wine: $passed passed, $failed failed"; [ "$failed" -eq 0 ]; exit; }
require Xvfb wine wineboot wineserver xdotool import convert compare i686-w64-mingw32-objdump || finish

echo "==== wine: the executable"
renderers || finish
# The comparison's own check runs while the session is set up.
check_comparison >"$work/comparison.log" 2>&1 &
comparison_pid=$!
stop_comparison() { stop_pid "$comparison_pid"; }
at_exit+=(stop_comparison)
exe=$win_build/tilescroll.exe
# A 32-bit GUI program that needs nothing beyond the system's own DLLs.
headers=$(i686-w64-mingw32-objdump -p "$exe") || { fail "tilescroll.exe was built in $win_build"; finish; }
dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr '[:lower:]' '[:upper:]' | sort | paste -sd ' ')
grep -q 'file format pei-i386' <<<"$headers" && grep -q 'Subsystem.*Windows GUI' <<<"$headers" &&
  ! tr ' ' '\n' <<<"$dlls" | grep -q -v -x -E 'KERNEL32.DLL|USER32.DLL|GDI32.DLL|DDRAW.DLL|MSVCRT.DLL' &&
  pass "tilescroll.exe is a 32-bit Windows GUI program importing only system DLLs: $dlls" ||
  fail "tilescroll.exe is a 32-bit Windows GUI program importing only system DLLs: $dlls"

echo "==== wine: session"
# A fresh prefix with what the program needs under Xvfb: a virtual desktop of
# the screen's size (otherwise Wine offers only the X screen's own mode and
# SetDisplayMode(640, 480, 16) fails), unmanaged windows (destroying the main
# window then waits on no window manager), and the GDI renderer for
# DirectDraw: plain memory surfaces, no GL or Vulkan.
export WINEPREFIX=$work/prefix WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'
stop_wine() { wineserver -k 2>/dev/null; wineserver -w 2>/dev/null; }
at_exit+=(stop_wine)
printf '%s\n' REGEDIT4 '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Managed"="N"' \
  '[HKEY_CURRENT_USER\Software\Wine\Explorer]' '"Desktop"="Default"' '[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]' \
  '"Default"="640x480"' '[HKEY_CURRENT_USER\Software\Wine\Direct3D]' '"renderer"="gdi"' >"$work/settings.reg"
# The desktop made during wineboot keeps its old settings; a new server makes a new one.
if ! start_xvfb || ! wineboot -i >"$work/wineboot.log" 2>&1 ||
  ! wine regedit /S "$work/settings.reg" >>"$work/wineboot.log" 2>&1 || ! stop_wine; then
  tail -n 20 "$work/wineboot.log"
  fail "Xvfb and a Wine prefix could be set up"
  finish
fi

echo "==== wine: test programs"
# The tests find the sources through drive Z:, Wine's view of the Unix tree.
for suite in unit agreement; do
  log=$work/$suite.log
  TILESCROLL_SOURCE_DIR="Z:${source_dir//\//\\}" timeout -k 5 180 \
    wine "$win_build/tests/${suite}_tests.exe" --gtest_color=no 2>&1 | tr -d '\r' >"$log"
  status=${PIPESTATUS[0]}
  ok=$(grep -c '^\[       OK \]' "$log") bad=$(grep -c '^\[  FAILED  \] .*(.* ms)$' "$log")
  passed=$((passed + ok)) failed=$((failed + bad))
  echo "${suite}_tests: $ok passed, $bad failed, exit status $status"
  [ "$status" = 0 ] || [ "$bad" -gt 0 ] || { fail "${suite}_tests.exe ran to its end"; tail -n 20 "$log"; }
  [ "$bad" = 0 ] || grep -B2 -A6 -E 'Failure$' "$log" | head -n 60
done

echo "==== wine: the program end to end"
wait "$comparison_pid" && pass "the comparison judges pictures made to differ" ||
  { fail "the comparison judges pictures made to differ: $(cat "$work/comparison.log")"; finish; }
comparison_pid=''
# Frames run at hundreds a second under Wine: with Right and Down held, the
# view soon reaches the map's bottom-right corner, where the clamps keep it
# (viewBottom 2047, so rows of tiles are cut), and the screen must show that
# headless frame.
if launch 30000 wine "$exe"; then
  t0=$(now_ms) && xdotool keydown Right Down
  until result=$(same_as_view "$work/corner.ppm" 2048 2047) || [ $(($(now_ms) - t0)) -gt 20000 ] || ! alive; do
    sleep 0.2 && screenshot "$work/corner.ppm"
  done
  reached=$(($(now_ms) - t0))
  xdotool keyup Right Down && sleep 0.3 && screenshot "$work/corner.ppm"
  result=$(same_as_view "$work/corner.ppm" 2048 2047) &&
    pass "held Right and Down bring the view to the map's corner ($reached ms) and keep it there" ||
    fail "held Right and Down bring the view to the map's corner and keep it there ($result)"
  end_with 2000 Escape hold 0.15 Escape
fi
finish
