#!/usr/bin/env bash
# The Linux build on a virtual X server, as a person would see it: the start
# view, scrolling under a held Right key at the display's pace, and Escape
# ending the run, each screenshot compared with the headless frame of its
# view, legend included.
#   tests/e2e/sdl_xvfb.sh <linux build dir>
# One PASS or FAIL line per check; the exit status is non-zero on a failure.
set -u
[ $# -eq 1 ] || { echo "usage: $0 <linux build dir>" >&2; exit 2; }
linux_build=$(cd "$1" && pwd) || { echo "FAIL: no build directory $1"; exit 1; }
# SDL widens 5-6-5 by scaling and rounding, the headless PNG writer by
# repeating the high bits: they differ by at most one level.
tolerance=1 legend_rows=0
source "$(dirname "$0")/driver.sh"
refresh_hz=60  # Xvfb states no refresh rate; the layer takes 60 Hz

require Xvfb xdotool import convert c++ || exit 1
[ -x "$linux_build/tilescroll" ] || { fail "no program in $linux_build"; exit 1; }
prepare_frames
start_xvfb || { fail "Xvfb could be started"; exit 1; }

launch 15000 env -u TILESCROLL_BACKEND "$linux_build/tilescroll" || exit 1
if scroll_right 0.5; then
  # One frame of slack over the most frames the key can have been down for.
  most=$(((held_max_ms * refresh_hz + 999) / 1000 + 1))
  steps=$(((view_right - 640) / 4))
  [ "$steps" -le "$most" ] && pass "frames paced at ${refresh_hz} Hz ($steps <= $most frames)" ||
    fail "$steps frames in at most $held_max_ms ms: faster than ${refresh_hz} Hz"
fi
end_with 1200 Escape press Escape
[ -s "$work/program.err" ] && fail "the program wrote to standard error: $(head -n 3 "$work/program.err")" ||
  pass "nothing on standard error"
[ "$failed" -eq 0 ]
