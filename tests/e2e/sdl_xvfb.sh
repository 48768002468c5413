#!/usr/bin/env bash
# The Linux build on a virtual X server, as a person would see it: the start
# view, scrolling under a held Right key, and Escape ending the run, each
# screenshot compared with the frame render_view draws for that view on the
# headless backend.
#
#   tests/e2e/sdl_xvfb.sh <linux build dir> [start-view.png]
#
# The optional second argument keeps a copy of the start-view screenshot.
# One PASS or FAIL line per check; the exit status is non-zero on a failure.
set -u

if [[ $# -lt 1 || $# -gt 2 ]]; then
    echo "usage: $0 <linux build dir> [start-view.png]" >&2
    exit 2
fi
BUILD=$(cd "$1" 2>/dev/null && pwd) || { echo "FAIL: no build directory $1"; exit 1; }
PROGRAM=$BUILD/tilescroll
RENDER_VIEW=$BUILD/tools/render/render_view
[[ -x $RENDER_VIEW ]] || RENDER_VIEW=$BUILD/render_view

# One level of 255 in any channel (compare's PAE counts 257 a level): SDL
# widens 5-6-5 by scaling and rounding, our PNG writer by repeating the high
# bits, and the two differ by at most one level.
TOLERANCE_PAE=257
REFRESH_HZ=60  # Xvfb states no refresh rate; the layer takes 60 Hz
EXIT_LIMIT_MS=1000  # Escape released to process gone

WORK=$(mktemp -d "${TMPDIR:-/tmp}/tilescroll-e2e.XXXXXX")
XVFB_PID=""
APP_PID=""
FAILURES=0

# Asked, then forced; by process id only.
stop_process() {
    [[ -n $1 ]] || return 0
    kill -TERM "$1" 2>/dev/null
    for _ in $(seq 1 20); do
        kill -0 "$1" 2>/dev/null || break
        sleep 0.05
    done
    kill -KILL "$1" 2>/dev/null
    wait "$1" 2>/dev/null
    return 0
}
# shellcheck disable=SC2317  # reached through the EXIT trap
cleanup() {
    stop_process "$APP_PID"
    stop_process "$XVFB_PID"
    rm -rf "$WORK"
}
trap cleanup EXIT

pass() { echo "PASS: $*"; }
fail() {
    echo "FAIL: $*"
    FAILURES=$((FAILURES + 1))
}
fail_hard() {  # the later checks need this one
    fail "$@"
    exit 1
}
now_ms() { date +%s%3N; }
# Peak channel difference (compare's PAE, 16-bit scale); 65535 when the
# pictures cannot be compared (e.g. different sizes).
peak_difference() {
    local out
    out=$(compare -metric PAE "$1" "$2" null: 2>&1) || true
    out=${out%% *}
    [[ $out =~ ^[0-9]+(\.[0-9]+)?$ ]] && printf '%.0f\n' "$out" || echo 65535
}
screenshot() { import -display "$DISPLAY" -window root -strip "png:$1" 2>/dev/null; }
reference() { "$RENDER_VIEW" "$1" "$2" "$3" >/dev/null 2>&1; }  # viewRight viewBottom out.png

for tool in Xvfb xdotool import compare; do
    command -v "$tool" >/dev/null || fail_hard "the test needs $tool"
done
[[ -x $PROGRAM ]] || fail_hard "no program at $PROGRAM"
[[ -x $RENDER_VIEW ]] || fail_hard "no render_view in $BUILD (build the render_view target)"

Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$WORK/display" 2>"$WORK/xvfb.log" &
XVFB_PID=$!
for _ in $(seq 1 100); do
    [[ -s $WORK/display ]] && break
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.1
done
DISPLAY_NUMBER=$(tr -dc '0-9' <"$WORK/display")
[[ -n $DISPLAY_NUMBER ]] || fail_hard "Xvfb did not start: $(tail -n 1 "$WORK/xvfb.log")"
export DISPLAY=":$DISPLAY_NUMBER"
pass "Xvfb runs on $DISPLAY at 640x480x24"

# ---- Start view: polled, the first frames may take a moment.
reference 640 480 "$WORK/start-reference.png" || fail_hard "render_view could not draw the start view"
STARTED_AT=$(now_ms)
env -u TILESCROLL_BACKEND "$PROGRAM" >"$WORK/program.out" 2>"$WORK/program.err" &
APP_PID=$!
peak=65535
while (($(now_ms) < STARTED_AT + 15000)) && kill -0 "$APP_PID" 2>/dev/null; do
    screenshot "$WORK/start.png" && peak=$(peak_difference "$WORK/start.png" "$WORK/start-reference.png")
    ((peak <= TOLERANCE_PAE)) && break
    sleep 0.2
done
if ! kill -0 "$APP_PID" 2>/dev/null; then
    wait "$APP_PID"
    fail_hard "the program ended at start with code $?: $(head -n 1 "$WORK/program.err")"
fi
((peak <= TOLERANCE_PAE)) ||
    fail_hard "start view not shown within 15 s (last peak difference $peak of 65535)"
pass "start view on screen after $(($(now_ms) - STARTED_AT)) ms, equal to render_view 640 480" \
    "within 1 level a channel, legend included"
[[ -z ${2:-} ]] || { cp "$WORK/start.png" "$2" && echo "saved the start view to $2"; }

# ---- Right held: the key was down at least from keydown's return to keyup's
# start, at most from keydown's start to keyup's return.
before=$(now_ms)
xdotool keydown Right
held_from=$(now_ms)
sleep 0.5
released_from=$(now_ms)
xdotool keyup Right
after=$(now_ms)
sleep 0.3  # the last frames reach the screen
screenshot "$WORK/scrolled.png" || fail_hard "no screenshot after scrolling"
HELD_MIN_MS=$((released_from - held_from))
HELD_MAX_MS=$((after - before))
K_MAX=$(((HELD_MAX_MS * REFRESH_HZ + 999) / 1000 + 1))  # one frame of slack
K_EXPECTED=$((HELD_MIN_MS * REFRESH_HZ / 1000))
K_SEARCH_MAX=$((K_MAX * 2 + 10))  # far enough to name an unpaced run's step count
candidates=("$K_EXPECTED")  # nearest to the expected count first
for ((distance = 1; distance <= K_SEARCH_MAX; ++distance)); do
    candidates+=($((K_EXPECTED - distance)) $((K_EXPECTED + distance)))
done
found=""
for k in "${candidates[@]}"; do
    ((k >= 0 && k <= K_SEARCH_MAX && 640 + 4 * k <= 2048)) || continue
    reference $((640 + 4 * k)) 480 "$WORK/ref-$k.png" || continue
    if (($(peak_difference "$WORK/scrolled.png" "$WORK/ref-$k.png") <= TOLERANCE_PAE)); then
        found=$k
        break
    fi
done
if [[ -z $found ]]; then
    fail "after holding Right ${HELD_MIN_MS}-${HELD_MAX_MS} ms the screen matches no view" \
        "640..$((640 + 4 * K_SEARCH_MAX)) x 480"
elif ((found == 0)); then
    fail "holding Right for ${HELD_MIN_MS} ms did not move the view"
else
    pass "holding Right ${HELD_MIN_MS}-${HELD_MAX_MS} ms moved the view by $found frames" \
        "(render_view $((640 + 4 * found)) 480, within 1 level)"
    if ((found <= K_MAX)); then
        pass "frames paced at the display's ${REFRESH_HZ} Hz ($found <= $K_MAX frames)"
    else
        fail "$found frames in at most ${HELD_MAX_MS} ms: faster than the display's ${REFRESH_HZ} Hz"
    fi
fi

# ---- Escape ends the program with 0, promptly.
escape_at=$(now_ms)
xdotool keydown Escape
sleep 0.2
xdotool keyup Escape
released_at=$(now_ms)
while kill -0 "$APP_PID" 2>/dev/null && (($(now_ms) - released_at < EXIT_LIMIT_MS)); do
    sleep 0.02
done
if kill -0 "$APP_PID" 2>/dev/null; then
    fail "the program still runs ${EXIT_LIMIT_MS} ms after Escape was released"
else
    gone_after=$(($(now_ms) - escape_at))
    wait "$APP_PID"
    code=$?
    APP_PID=""
    if ((code == 0)); then
        pass "Escape ended the program with exit code 0 (gone at most ${gone_after} ms after keydown)"
    else
        fail "Escape ended the program with exit code $code"
    fi
fi
if [[ -s $WORK/program.err ]]; then
    fail "the program wrote to standard error: $(head -n 3 "$WORK/program.err")"
else
    pass "nothing on standard error"
fi

# ---- Close requests from outside: Ctrl-C, and the X server going away. Each
# check runs the program on an X server of its own, started in its own
# session so that whatever it leaves behind can be found. Started in the
# background by this script, the program inherits SIGINT ignored, as jobs of
# a shell script do; it must end all the same.
OWN_XVFB_PID=""
OWN_APP_PID=""
OWN_CODE=""
# shellcheck disable=SC2317  # reached through the EXIT trap
stop_own() {
    stop_process "$OWN_APP_PID"
    stop_process "$OWN_XVFB_PID"
    OWN_APP_PID=""
    OWN_XVFB_PID=""
}
trap 'stop_own; cleanup' EXIT

# Xvfb and the program on it, up and showing frames; false when either
# does not come up.
start_own_program() {
    local tag=$1 number
    : >"$WORK/$tag.display"
    Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$WORK/$tag.display" \
        2>"$WORK/$tag.xvfb.log" &
    OWN_XVFB_PID=$!
    for _ in $(seq 1 100); do
        [[ -s $WORK/$tag.display ]] && break
        sleep 0.05
    done
    number=$(tr -dc '0-9' <"$WORK/$tag.display")
    [[ -n $number ]] || return 1
    DISPLAY=":$number" setsid env -u TILESCROLL_BACKEND "$PROGRAM" \
        >"$WORK/$tag.out" 2>"$WORK/$tag.err" &
    OWN_APP_PID=$!
    for _ in $(seq 1 150); do
        kill -0 "$OWN_APP_PID" 2>/dev/null || return 1
        DISPLAY=":$number" xdotool search --onlyvisible --name tilescroll >/dev/null 2>&1 && break
        sleep 0.1
    done
    sleep 0.5  # frames running
    kill -0 "$OWN_APP_PID" 2>/dev/null
}

# Waits up to $1 ms for the program to end; OWN_CODE is then its exit code,
# or "running".
wait_own_program() {
    local until=$(($(now_ms) + $1))
    while kill -0 "$OWN_APP_PID" 2>/dev/null && (($(now_ms) < until)); do
        sleep 0.02
    done
    if kill -0 "$OWN_APP_PID" 2>/dev/null; then
        OWN_CODE=running
    else
        wait "$OWN_APP_PID"
        OWN_CODE=$?
        OWN_APP_PID=""
    fi
}

check_sigint_closes() {
    if ! start_own_program sigint; then
        fail "SIGINT: the program did not come up on its own X server"
        stop_own
        return
    fi
    local sent code
    sent=$(now_ms)
    kill -INT "$OWN_APP_PID"
    wait_own_program 2000
    code=$OWN_CODE
    if [[ $code == 0 ]]; then
        pass "SIGINT ended the program with exit code 0 after $(($(now_ms) - sent)) ms"
    elif [[ $code == running ]]; then
        fail "the program still runs 2 s after SIGINT"
    else
        fail "SIGINT ended the program with exit code $code: $(head -n 2 "$WORK/sigint.err")"
    fi
    stop_own
}

check_lost_display_closes() {
    if ! start_own_program lost; then
        fail "lost display: the program did not come up on its own X server"
        stop_own
        return
    fi
    local session=$OWN_APP_PID killed code left lines
    killed=$(now_ms)
    kill -KILL "$OWN_XVFB_PID"
    wait "$OWN_XVFB_PID" 2>/dev/null
    OWN_XVFB_PID=""
    wait_own_program 3000
    code=$OWN_CODE
    left=$(pgrep -s "$session" | tr '\n' ' ')
    lines=$(wc -l <"$WORK/lost.err")
    if [[ $code == 0 && -z $left && $lines == 1 ]]; then
        pass "X server killed: the program ended with exit code 0 after" \
            "$(($(now_ms) - killed)) ms, nothing left running, one line on standard error:" \
            "$(head -n 1 "$WORK/lost.err")"
    elif [[ $code == running ]]; then
        fail "the program still runs 3 s after its X server was killed"
    else
        fail "X server killed: exit code $code, left running: ${left:-nothing}," \
            "$lines lines on standard error: $(head -n 3 "$WORK/lost.err")"
    fi
    stop_own
}

check_sigint_closes
check_lost_display_closes

((FAILURES == 0))
