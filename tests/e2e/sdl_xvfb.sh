#!/usr/bin/env bash
# The Linux build on a virtual X server: the start view, held Right scrolling at the
# display's pace, and the run's end, screenshots compared with headless frames.
#   tests/e2e/sdl_xvfb.sh <linux build dir>    (a PASS or FAIL line per check)
set -u
[ $# -eq 1 ] || { echo "usage: $0 <linux build dir>" >&2; exit 2; }
linux_build=$(cd "$1" && pwd) || { echo "FAIL: no build directory $1"; exit 1; }
# SDL and the headless PNG writer widen 5-6-5 differently: at most one level apart.
tolerance=1 legend_rows=0
source "$(dirname "$0")/driver.sh"
refresh_hz=60  # Xvfb states no refresh rate; the layer takes 60 Hz

require Xvfb xdotool import convert compare || exit 1
[ -x "$linux_build/tilescroll" ] || { fail "no program in $linux_build"; exit 1; }
renderers && start_xvfb || { fail "Xvfb could be started"; exit 1; }
launch 15000 env -u TILESCROLL_BACKEND "$linux_build/tilescroll" || exit 1

# Right moves the view 4 pixels each refresh: 1 frame up to as many as it was held,
# plus one; the views nearest the count expected are tried first. $1: where.
scrolls() {
  hold 0.5 Right
  sleep 0.3 && screenshot "$work/right.ppm"
  local most=$(((held_max_ms * refresh_hz + 999) / 1000 + 1)) expected=$((held_min_ms * refresh_hz / 1000)) frames= away k
  for ((away = 0; away <= most; ++away)); do
    for k in $((expected - away)) $((expected + away)); do
      ((k >= 1 && k <= most)) && same_as_view "$work/right.ppm" $((640 + 4 * k)) 480 >/dev/null && frames=$k && break 2
    done
  done
  [ -n "$frames" ] && pass "$1: holding Right ${held_min_ms}-${held_max_ms} ms moved the view $frames frames (at most $most at ${refresh_hz} Hz): the headless frame at viewRight $((640 + 4 * frames))" ||
    fail "$1: after holding Right ${held_min_ms}-${held_max_ms} ms the screen shows the view 1 to $most frames on"
}
scrolls "full screen"

end_with 1200 Escape hold 0.15 Escape
[ -s "$work/program.err" ] && fail "the program wrote to standard error: $(head -n 3 "$work/program.err")" ||
  pass "nothing on standard error"

# Started in the background, it inherits SIGINT ignored; Ctrl+C ends it all the same.
# Its own session shows what it leaves behind when its X server is killed.
launch 15000 env -u TILESCROLL_BACKEND "$linux_build/tilescroll" &&
  end_with 2000 SIGINT kill -INT "$app_pid"
kill_xvfb() { kill -9 "$xvfb_pid" && wait "$xvfb_pid" 2>/dev/null; xvfb_pid=; }
launch 15000 setsid env -u TILESCROLL_BACKEND "$linux_build/tilescroll" && session=$app_pid &&
  end_with 3000 "X server killed" kill_xvfb && {
  left=$(pgrep -s "$session" | tr '\n' ' ')
  [ -z "$left" ] && pass "nothing of the program is left running" ||
    fail "the program left processes running: $left"
}

# Alt+Enter turns full screen (three times the frame on 2000 x 1500) into a window twice the
# frame, which still scrolls; F11 turns it back.
size_is() { eval "$(xdotool getwindowgeometry --shell "$(xdotool search --pid "$app_pid")")"
  [ "${WIDTH}x$HEIGHT" = "$1" ] && pass "$2 the window is $1" || fail "$2 the window is $1 (not ${WIDTH}x$HEIGHT)"; }
start_xvfb 2000x1500 && crop=1920x1440+40+30 && launch 15000 env -u TILESCROLL_BACKEND "$linux_build/tilescroll" && {
  xdotool key alt+Return && sleep 0.5 && size_is 1280x960 "after Alt+Enter"
  crop=1280x960+$X+$Y && scrolls "in the window"
  xdotool key F11 && sleep 0.5 && size_is 2000x1500 "after F11"
  # Held past the auto-repeat delay, F11 toggles once: the sizes seen while it is held.
  win=$(xdotool search --pid "$app_pid") seen=
  xdotool keydown F11 && for _ in $(seq 30); do
    eval "$(xdotool getwindowgeometry --shell "$win")"
    [ "${seen##* }" = "${WIDTH}x$HEIGHT" ] || seen="$seen ${WIDTH}x$HEIGHT"
    sleep 0.05
  done
  xdotool keyup F11 && sleep 0.3
  [ "${seen# 2000x1500}" = " 1280x960" ] && pass "F11 held 1.5 s toggled once (sizes seen:$seen)" ||
    fail "F11 held 1.5 s toggled once (sizes seen:$seen)"
  # Three presses 40 ms apart are three toggles: from the window to full screen.
  xdotool key --delay 40 F11 F11 F11 && sleep 0.5 && size_is 2000x1500 "after F11 three times 40 ms apart"
  end_with 3000 Escape hold 0.15 Escape
}

# Under a window manager, a window that opens over the full-screen program is on top
# with the focus; brought back, the program still ends on Escape.
stop_xvfb
if command -v openbox >/dev/null && command -v xmessage >/dev/null && start_xvfb; then
  crop=
  openbox >/dev/null 2>&1 &
  wm_pid=$! && stop_wm() { stop_pid "$wm_pid"; } && at_exit+=(stop_wm) && sleep 1
  launch 15000 env -u TILESCROLL_BACKEND "$linux_build/tilescroll" && {
    program_window=$(xdotool search --pid "$app_pid" | tail -n 1)
    xmessage -geometry 300x80+10+10 "over the program" 2>/dev/null & message_pid=$!
    for _ in $(seq 40); do message_window=$(xdotool search --class Xmessage 2>/dev/null | tail -n 1); [ -n "$message_window" ] && break; sleep 0.05; done
    sleep 1
    on_top=$(xprop -root _NET_CLIENT_LIST_STACKING | tr -dc '0-9a-fx,' | tr ',' '\n' | tail -n 1)
    [ -n "$message_window" ] && [ "$(xdotool getwindowfocus)" = "$message_window" ] && [ $((on_top)) = "$message_window" ] &&
      pass "a window opened over full screen is on top with the focus" ||
      fail "a window opened over full screen is on top with the focus (focus $(xdotool getwindowfocus), top $((on_top)), message ${message_window:-none})"
    stop_pid "$message_pid"
    xdotool windowactivate --sync "$program_window" 2>/dev/null; sleep 0.5
    end_with 3000 "Escape after the other window" hold 0.15 Escape
  }
  stop_wm
else
  echo "NOT RUN: the check under a window manager (openbox and xmessage are not installed)"
fi
[ "$failed" -eq 0 ]
