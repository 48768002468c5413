# shellcheck shell=bash
# What the end-to-end checks share, sourced by each: a scratch directory
# ($work), PASS/FAIL counts, a cleanup that stops by process id all started
# here (the program, the caller's at_exit hooks, the X server); the headless
# frames of $linux_build and the one comparer, for screenshots from any source;
# a private X server, its screenshots (a check whose screen is not X's
# redefines screenshot) and keys; the program's start, scrolling and end.
# The caller may set tolerance (levels a channel) and legend_rows (top rows
# left out when the legend is drawn in another font).
e2e_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/tilescroll-e2e.XXXXXX")
renders=$linux_build/tools/render compare=$work/frame_compare
passed=0 failed=0 app_pid='' xvfb_pid='' prepare_pid='' at_exit=()
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
  stop_pid "$prepare_pid"
  for hook in "${at_exit[@]}"; do "$hook"; done
  stop_pid "$xvfb_pid"
  rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# In the background: builds the renderers when missing and the comparer, then
# renders the map's top 480 rows, where a view scrolled right is looked for.
prepare_frames() {
  { { { [ -x "$renders/render_view" ] && [ -x "$renders/render_map" ] ||
    cmake --build "$linux_build" -j2 --target render_view render_map; } &&
    c++ -O2 -std=c++17 -o "$compare.part" "$e2e_dir/frame_compare.cpp" && mv "$compare.part" "$compare" &&
    "$renders/render_map" "$work/map.png" && to_ppm "$work/map.png" "$work/strip.part" -crop 2048x480+0+0 &&
    mv "$work/strip.part" "$work/strip.ppm"; } >"$work/prepare.log" 2>&1; touch "$work/prepared"; } &
  prepare_pid=$!
}
# Waits for a file that prepare_frames makes; false if it ended without it.
ready() {
  until [ -e "$1" ]; do
    [ ! -e "$work/prepared" ] || [ -e "$1" ] ||
      { fail "the comparer and the headless frames are prepared: $(tail -n 3 "$work/prepare.log")"; return 1; }
    sleep 0.05
  done
}
to_ppm() { convert "$1" "${@:3}" +repage -depth 8 "ppm:$2"; }
# Whether a picture (a PPM, else converted) shows the headless frame of view (right, bottom).
same_as_view() {
  local shot=$1 ref=$work/view_$2_$3.ppm
  [ -f "$ref" ] || { "$renders/render_view" "$2" "$3" "$work/view.png" && to_ppm "$work/view.png" "$ref"; } || return 2
  [[ $shot == *.ppm ]] || { to_ppm "$shot" "$work/shot.ppm" && shot=$work/shot.ppm; }
  "$compare" "$shot" "$ref" "$legend_rows" "$tolerance"
}
# The viewRight of the view at the map's top that a PPM picture shows, or nothing.
find_view_right() {
  "$compare" "$1" "$work/strip.ppm" 16 "$tolerance" 480 >"$work/find.log" 2>&1
  sed -n '1s/^viewRight //p' "$work/find.log"
}

# The comparer on pictures made to differ from a noise strip's window at viewRight 788.
check_comparer() {
  local d=$work/selftest want skip levels edit
  mkdir -p "$d" && convert -size 2048x480 xc:gray -colorspace sRGB -type TrueColor -seed 11 \
    +noise Random -depth 8 "ppm:$d/strip.ppm" && to_ppm "$d/strip.ppm" "$d/view.ppm" -crop 640x480+148+0 || return 1
  head -c 5000 "$d/view.ppm" >"$d/cut.ppm"
  "$compare" "$d/view.ppm" "$d/cut.ppm" 0 0 2>/dev/null; [ $? = 2 ] || return 1
  [ "$("$compare" "$d/view.ppm" "$d/strip.ppm" 0 7 480 | grep viewRight | paste -sd ' ')" = "viewRight 788" ] || return 1
  # Views lie 4 pixels apart.
  to_ppm "$d/strip.ppm" "$d/between.ppm" -crop 640x480+150+0 || return 1
  "$compare" "$d/between.ppm" "$d/strip.ppm" 0 0 480 >/dev/null && return 1
  # exit status, rows skipped, tolerance, what is done to the picture
  while read -r want skip levels edit; do
    # shellcheck disable=SC2086  # words
    to_ppm "$d/view.ppm" "$d/edited.ppm" $edit && "$compare" "$d/view.ppm" "$d/edited.ppm" "$skip" "$levels" >/dev/null
    [ $? = "$want" ] || { echo "comparer: '$edit' skipping $skip rows, within $levels, is not judged $want"; return 1; }
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

# 24 bits deep: 16-bit modes are emulated on top of it.
start_xvfb() {
  Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$work/display" ] && { export DISPLAY=:$(tr -dc 0-9 <"$work/display"); return 0; }
    kill -0 "$xvfb_pid" 2>/dev/null && sleep 0.05 || break
  done
  cat "$work/xvfb.log"
  return 1
}
stop_xvfb() { stop_pid "$xvfb_pid"; xvfb_pid=; }
screenshot() { import -window root -depth 8 "ppm:$1" 2>/dev/null; }
press() { xdotool keydown "$1" && sleep 0.15 && xdotool keyup "$1"; }

# Starts the program's command line, output in $work/program.*; passes when the
# screen shows the start view within $1 ms.
launch() {
  local limit=$1 t0 shot=$work/start.ppm result=
  shift
  t0=$(now_ms)
  "$@" >"$work/program.out" 2>"$work/program.err" &
  app_pid=$!
  ready "$compare" || return 1
  while [ $(($(now_ms) - t0)) -lt "$limit" ] && alive; do
    screenshot "$shot" && result=$(same_as_view "$shot" 640 480) &&
      { pass "the start view is on screen $(($(now_ms) - t0)) ms after launch"; return 0; }
    sleep 0.1
  done
  alive || { wait "$app_pid"; result="ended with $?: $(head -n 1 "$work/program.err")"; app_pid=; }
  fail "the start view is on screen within $limit ms ($result)"
  return 1
}
# Holds Right for $1 s; the screen must then show the headless frame of a view
# further right at the map's top. Sets view_right (empty if none matched), and
# held_max_ms, the most the key can have been down.
scroll_right() {
  local t0 shot=$work/right.ppm result
  ready "$work/strip.ppm" || return 1
  t0=$(now_ms) && xdotool keydown Right && sleep "$1" && xdotool keyup Right
  held_max_ms=$(($(now_ms) - t0)) view_right=
  for _ in 1 2 3; do
    sleep 0.2
    screenshot "$shot" && view_right=$(find_view_right "$shot") && [ -n "$view_right" ] && break
  done
  [ "${view_right:-0}" -gt 640 ] || { fail "holding Right moves the view (${view_right:-$(cat "$work/find.log")})"; return 1; }
  result=$(same_as_view "$shot" "$view_right" 480) ||
    { fail "after Right the screen equals the headless frame at viewRight $view_right ($result)"; return 1; }
  pass "after Right the screen equals the headless frame at viewRight $view_right"
}
# Runs the command that is to end the program (a key press, a signal, the X
# server's end), named $2: the program must end with exit code 0 within $1 ms.
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
