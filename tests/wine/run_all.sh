#!/usr/bin/env bash
# A Windows build (32- or 64-bit, told by its executable) under Wine of the same
# width on a private virtual X server: the executable's form, the Windows test
# programs, then the program end to end, compared with the frames that the
# Linux build renders on its headless backend. Where the kernel runs no 32-bit
# program, a 32-bit build gets its form checked and one NOT RUN line.
#   tests/wine/run_all.sh <windows build dir> <linux build dir>
# The last line reads "wine-<arch>: P passed, F failed"; the exit status is 0
# only when nothing failed.
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
started=$SECONDS arch=windows
finish() { echo "==== $arch: done in $((SECONDS - started)) s"; echo "$arch: $passed passed, $failed failed"; [ "$failed" -eq 0 ]; exit; }
require Xvfb xdotool import convert compare x86_64-w64-mingw32-objdump wrestool icotool || finish
exe=$win_build/tilescroll.exe
# This objdump reads both widths of the format.
headers=$(x86_64-w64-mingw32-objdump -p "$exe") || { fail "tilescroll.exe was built in $win_build"; finish; }
# Debian's wine script prefers the 32-bit loader wherever it is installed, so
# each width names its own loader.
case $(sed -n 's/.*file format //p' <<<"$headers" | head -n 1) in
  pei-i386) arch=wine-i686 form=PE32 width=32-bit loader=/usr/lib/wine/wine ;;
  pei-x86-64) arch=wine-x64 form=PE32+ width=64-bit loader=/usr/lib/wine/wine64 ;;
  *) fail "tilescroll.exe is a Windows executable for x86"; finish ;;
esac

echo "==== $arch: the executable"
dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr '[:lower:]' '[:upper:]' | sort | paste -sd ' ')
grep -q "^Magic.*($form)" <<<"$headers" && grep -q 'Subsystem.*Windows GUI' <<<"$headers" &&
  ! tr ' ' '\n' <<<"$dlls" | grep -q -v -x -E 'KERNEL32.DLL|USER32.DLL|GDI32.DLL|DDRAW.DLL|MSVCRT.DLL' &&
  pass "tilescroll.exe is a $width Windows GUI program ($form) importing only system DLLs: $dlls" ||
  fail "tilescroll.exe is a $width Windows GUI program ($form) importing only system DLLs: $dlls"
# Its icon and version information, as Explorer shows them.
while read -r verdict line; do
  [ "$verdict" = PASS ] && pass "$line" || fail "$line"
done < <("$source_dir/tests/wine/exe_resources.sh" "$exe")
if [ "$width" = 32-bit ] && ! why=$("$source_dir/scripts/kernel-runs-32bit.sh" "$win_build"); then
  echo "NOT RUN: the 32-bit Windows programs under Wine: $why"
  finish
fi
require "$loader" wineserver || finish
renderers || finish
# The comparison's own check runs while the session is set up.
check_comparison >"$work/comparison.log" 2>&1 &
comparison_pid=$!
stop_comparison() { stop_pid "$comparison_pid"; }
at_exit+=(stop_comparison)

echo "==== $arch: session"
# A fresh prefix with what the program needs under Xvfb: a virtual desktop of
# the screen's size (otherwise Wine offers only the X screen's own mode and
# SetDisplayMode(640, 480, 16) fails), unmanaged windows (destroying the main
# window then waits on no window manager), and the GDI renderer for
# DirectDraw: plain memory surfaces, no GL or Vulkan.
export WINEPREFIX=$work/prefix WINEARCH=win${width%-bit} WINEDEBUG=-all
export WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'
# Every Wine command runs under a time limit: a slow machine fails a check
# or waits longer, but the stage never hangs.
stop_wine() { timeout -k 5 30 wineserver -k 2>/dev/null; timeout -k 5 60 wineserver -w 2>/dev/null; }
at_exit+=(stop_wine)
printf '%s\n' REGEDIT4 '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Managed"="N"' \
  '[HKEY_CURRENT_USER\Software\Wine\Explorer]' '"Desktop"="Default"' '[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]' \
  '"Default"="640x480"' '[HKEY_CURRENT_USER\Software\Wine\Direct3D]' '"renderer"="gdi"' >"$work/settings.reg"
# The desktop made during wineboot keeps its old settings; a new server makes a new one.
if ! start_xvfb || ! timeout -k 5 300 "$loader" wineboot -i >"$work/wineboot.log" 2>&1 ||
  ! timeout -k 5 60 "$loader" regedit /S "$work/settings.reg" >>"$work/wineboot.log" 2>&1 || ! stop_wine; then
  tail -n 20 "$work/wineboot.log"
  fail "Xvfb and a Wine prefix could be set up"
  finish
fi

echo "==== $arch: test programs"
# The tests find the sources through drive Z:, Wine's view of the Unix tree.
for suite in unit agreement; do
  log=$work/$suite.log
  TILESCROLL_SOURCE_DIR="Z:${source_dir//\//\\}" timeout -k 5 180 \
    "$loader" "$win_build/tests/${suite}_tests.exe" --gtest_color=no 2>&1 | tr -d '\r' >"$log"
  status=${PIPESTATUS[0]}
  ok=$(grep -c '^\[       OK \]' "$log") bad=$(grep -c '^\[  FAILED  \] .*(.* ms)$' "$log")
  passed=$((passed + ok)) failed=$((failed + bad))
  echo "${suite}_tests: $ok passed, $bad failed, exit status $status"
  [ "$status" = 0 ] || [ "$bad" -gt 0 ] || { fail "${suite}_tests.exe ran to its end"; tail -n 20 "$log"; }
  [ "$bad" = 0 ] || grep -B2 -A6 -E 'Failure$' "$log" | head -n 60
done

echo "==== $arch: the program end to end"
wait "$comparison_pid" && pass "the comparison judges pictures made to differ" ||
  { fail "the comparison judges pictures made to differ: $(cat "$work/comparison.log")"; finish; }
comparison_pid=''
# Frames run at hundreds a second under Wine: with Right and Down held, the
# view soon reaches the map's bottom-right corner, where the clamps keep it
# (viewBottom 2047, so rows of tiles are cut), and the screen must show that
# headless frame.
if launch 30000 timeout -k 5 600 "$loader" "$exe"; then
  t0=$(now_ms) && xdotool keydown Right Down
  until result=$(same_as_view "$work/corner.ppm" 2048 2047) || [ $(($(now_ms) - t0)) -gt 20000 ] || ! alive; do
    sleep 0.2 && screenshot "$work/corner.ppm"
  done
  reached=$(($(now_ms) - t0))
  xdotool keyup Right Down && sleep 0.3 && screenshot "$work/corner.ppm"
  result=$(same_as_view "$work/corner.ppm" 2048 2047) &&
    pass "held Right and Down bring the view to the map's corner ($reached ms) and keep it there" ||
    fail "held Right and Down bring the view to the map's corner and keep it there ($result)"
  # Another program activated over the full-screen one takes its surfaces'
  # memory; activated again, the program must draw its picture again.
  # The screen is polled with a deadline each way: covered by notepad, then
  # the picture back.
  timeout -k 5 120 "$loader" notepad >/dev/null 2>&1 &
  result='the screen still showed the picture 20 s after notepad started' t0=$(now_ms)
  while [ $(($(now_ms) - t0)) -lt 20000 ]; do
    screenshot "$work/away.ppm" && { same_as_view "$work/away.ppm" 2048 2047 >/dev/null; [ $? = 1 ]; } &&
      result='' && break
    sleep 0.2
  done
  if [ -z "$result" ]; then
    timeout -k 5 30 "$loader" "$win_build/tests/reactivate.exe" || result="reactivate.exe ended with $?"
  fi
  [ -z "$result" ] && {
    t0=$(now_ms)
    until screenshot "$work/back.ppm" && same_as_view "$work/back.ppm" 2048 2047 >/dev/null ||
      [ $(($(now_ms) - t0)) -gt 20000 ]; do sleep 0.2; done
    result=$(same_as_view "$work/back.ppm" 2048 2047)
  } && pass "the picture is back after the window was deactivated and activated again" ||
    fail "the picture is back after the window was deactivated and activated again ($result)"
  end_with 2000 Escape hold 0.15 Escape
fi

# The README's lines for this build, as written, in a fresh home (their own
# prefix, made there) and a folder where build/ is this build: first without
# the virtual desktop, where Wine refuses the mode switch and the start must
# fail; then all of them, to the start view and Escape.
echo "==== $arch: the README's lines"
stop_wine
lines=$(sed -n "/<!-- $arch -->/,/<!-- \/$arch -->/s/^    //p" "$source_dir/README.md")
readme=$work/readme && mkdir -p "$readme/home" "$readme/build" && ln -s "$win_build" "$readme/build/${win_build##*/}"
readme_prefix=$readme/home/.local/share/tilescroll/wine${width%-bit}
stop_readme_wine() { WINEPREFIX=$readme_prefix wineserver -k 2>/dev/null; }
at_exit+=(stop_readme_wine)
in_fresh_home() { (cd "$readme" && timeout -k 5 240 env -u WINEPREFIX -u WINEARCH HOME="$readme/home" bash -ec "$1"); }
[ "$(grep -c . <<<"$lines")" -ge 3 ] || { fail "README.md holds the $arch lines"; finish; }
# On a screen of 640 x 480 Wine would offer the mode without a desktop.
stop_xvfb && start_xvfb 1024x768 &&
  in_fresh_home "$(head -n 2 <<<"$lines"; tail -n 1 <<<"$lines")" >"$work/refused.log" 2>&1
status=$?
[ "$status" != 0 ] && [ "$status" != 124 ] && [ -d "$readme_prefix" ] && pass "without the virtual desktop the program's start fails (exit code $status)" ||
  fail "without the virtual desktop the program's start fails (exit code $status: $(tail -n 2 "$work/refused.log"))"
stop_readme_wine
stop_xvfb && start_xvfb || { fail "Xvfb could be started again"; finish; }
# Without a window manager the desktop takes the keys only once focused; on
# a busy machine a frame may outlast a short press, so it is pressed again
# while the program runs.
focused_escape() {
  local try
  for try in 1 2 3 4 5; do
    xdotool search --name 'Wine desktop' windowfocus 2>/dev/null
    sleep 0.2 && hold 0.3 Escape && sleep 1
    alive || return 0
  done
}
launch 90000 in_fresh_home "$lines" && end_with 10000 Escape focused_escape
finish
