# shellcheck shell=bash
# What the end-to-end checks share: $work, PASS/FAIL counts, a cleanup stopping by id
# all started here, comparison with headless frames, an X server, the program's runs.
# Callers may set tolerance (levels a channel) and legend_rows (top rows left out).
work=$(mktemp -d "${TMPDIR:-/tmp}/tilescroll-e2e.XXXXXX")
renders=$linux_build/tools/render
passed=0 failed=0 app_pid='' xvfb_pid='' at_exit=()
tolerance=${tolerance:-1} legend_rows=${legend_rows:-0}
pass() { echo "PASS: $*"; passed=$((passed + 1)); }
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }
now_ms() { date +%s%3N; }
require() { for tool; do command -v "$tool" >/dev/null || { fail "$tool is installed"; return 1; }; done; }
alive() { kill -0 "$app_pid" 2>/dev/null; }
# Asked to end, then forced.
stop_pid() {
  [ -n "$1" ] || return 0
  kill "$1" 2>/dev/null
  for _ in $(seq 20); do kill -0 "$1" 2>/dev/null && sleep 0.05; done
  kill -9 "$1" 2>/dev/null
  wait "$1" 2>/dev/null
}
# shellcheck disable=SC2317  # reached through the trap
cleanup() {
  local status=$? hook
  trap - EXIT
  stop_pid "$app_pid"
  for hook in "${at_exit[@]}"; do "$hook"; done
  stop_pid "$xvfb_pid"
  rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

renderers() {
  [ -x "$renders/render_view" ] ||
    cmake --build "$linux_build" -j2 --target render_view >"$work/build.log" 2>&1 ||
    { fail "render_view is built in $linux_build: $(tail -n 3 "$work/build.log")"; return 1; }
}
# shellcheck source=compare.sh
source "$(dirname "${BASH_SOURCE[0]}")/compare.sh"
# Whether a picture shows the headless frame of view (right, bottom).
same_as_view() {
  local frame=$work/view_$2_$3.png
  [ -f "$frame" ] || "$renders/render_view" "$2" "$3" "$frame" >/dev/null || return 2
  agree "$legend_rows" "$tolerance" "$1" "$frame"
}
# The comparison itself, on noise made to differ by rows, levels and channel.
check_comparison() {
  local d=$work/selftest want rows levels edit
  mkdir -p "$d" && convert -size 640x480 xc:gray -colorspace sRGB -type TrueColor -seed 11 \
    +noise Random -depth 8 "ppm:$d/noise.ppm" && head -c 5000 "$d/noise.ppm" >"$d/cut.ppm" || return 1
  agree 0 255 "$d/noise.ppm" "$d/cut.ppm" >/dev/null && return 1
  while read -r want rows levels edit; do
    # shellcheck disable=SC2086  # words
    convert "$d/noise.ppm" $edit -depth 8 "ppm:$d/edited.ppm" && agree "$rows" "$levels" "$d/noise.ppm" "$d/edited.ppm" >/dev/null
    [ $? = "$want" ] || { echo "'$edit' without $rows rows, within $levels levels, is not judged $want"; return 1; }
  done <<'EOF'
1 0 7 -roll +1+0
0 16 0 -region 640x16+0+0 -negate
1 15 0 -region 640x16+0+0 -negate
0 0 7 -evaluate subtract 2.745098%
1 0 7 -channel R -evaluate subtract 3.137255% +channel
1 0 7 -channel G -evaluate subtract 3.137255% +channel
1 0 7 -channel B -evaluate subtract 3.137255% +channel
EOF
}

# 24 bits deep: 16-bit modes are emulated on top of it. $1: another size. The
# former server's number goes first, or it could be read before the new one is
# written.
start_xvfb() {
  rm -f "$work/display"
  Xvfb -displayfd 3 -screen 0 "${1:-640x480}x24" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$work/display" ] && { export DISPLAY=:$(tr -dc 0-9 <"$work/display"); return 0; }
    kill -0 "$xvfb_pid" 2>/dev/null && sleep 0.05 || break
  done
  cat "$work/xvfb.log"
  return 1
}
stop_xvfb() { stop_pid "$xvfb_pid"; xvfb_pid=; }
# With $crop (WxH+X+Y), that part of the screen brought to 640 x 480 a pixel from each square.
screenshot() { import -window root -depth 8 "ppm:$1" 2>/dev/null && { [ -z "${crop:-}" ] || mogrify -crop "$crop" +repage -sample 640x480 "$1"; }; }
# Holds keys ($2...) for $1 s; held_min_ms and held_max_ms: the least and most held.
hold() {
  local t0 t1 t2 seconds=$1
  shift
  t0=$(now_ms) && xdotool keydown "$@" && t1=$(now_ms) && sleep "$seconds"
  t2=$(now_ms) && xdotool keyup "$@"
  held_min_ms=$((t2 - t1)) held_max_ms=$(($(now_ms) - t0))
}

# Starts the command, output in $work/program.*; passes if the start view shows within $1 ms.
launch() {
  local limit=$1 t0 shot=$work/start.ppm result=
  shift
  t0=$(now_ms)
  "$@" >"$work/program.out" 2>"$work/program.err" &
  app_pid=$!
  while [ $(($(now_ms) - t0)) -lt "$limit" ] && alive; do
    screenshot "$shot" && result=$(same_as_view "$shot" 640 480) &&
      { pass "the start view is on screen $(($(now_ms) - t0)) ms after launch"; return 0; }
    sleep 0.1
  done
  alive || { wait "$app_pid"; result="ended with $?: $(head -n 1 "$work/program.err")"; app_pid=; }
  fail "the start view is on screen within $limit ms ($result)"
  return 1
}
# Runs the command named $2 that ends the program: exit code 0 within $1 ms.
end_with() {
  local limit=$1 cause=$2 t0 status
  shift 2
  alive || { wait "$app_pid"; fail "the program still runs before $cause (it ended with $?)"; app_pid=; return 1; }
  t0=$(now_ms)
  "$@"
  while alive && [ $(($(now_ms) - t0)) -lt "$limit" ]; do sleep 0.02; done
  if alive; then
    fail "$cause ends the program within $limit ms"
    stop_pid "$app_pid"
  else
    wait "$app_pid"
    status=$?
    [ $status = 0 ] && pass "$cause ends the program with exit code 0 ($(($(now_ms) - t0)) ms)" ||
      fail "$cause ends the program with exit code 0 (got $status)"
  fi
  app_pid=
}
