# shellcheck shell=bash
# What every end-to-end check of the program shares, sourced by each one:
# - a scratch directory $work, pass/fail counts, and a cleanup on exit that
#   stops everything started here by process id (the program, the caller's
#   at_exit hooks, then the X server);
# - frames: the headless reference frames of the Linux build in $linux_build
#   and one comparer, for screenshots from any source (X, a browser);
# - a private X server, screenshots of it and key presses;
# - the program: its start, the start view, scrolling right, its end.
# The caller sets linux_build, and may set tolerance (levels a channel),
# legend_rows (top rows not compared with a reference frame: the legend, when
# drawn in another font) and keep_dir (where the pictures of a failure go).
e2e_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/tilescroll-e2e.XXXXXX")
passed=0 failed=0 app_pid= xvfb_pid= launched_at=0
tolerance=${tolerance:-1} legend_rows=${legend_rows:-0} keep_dir=${keep_dir:-}
at_exit=()
pass() { echo "PASS: $*"; passed=$((passed + 1)); }
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }
now_ms() { date +%s%3N; }

# Asked to end, then forced.
stop_pid() {
  [ -n "$1" ] || return 0
  kill "$1" 2>/dev/null
  for _ in $(seq 20); do kill -0 "$1" 2>/dev/null && sleep 0.05; done
  kill -9 "$1" 2>/dev/null
  wait "$1" 2>/dev/null
  return 0
}
# shellcheck disable=SC2317  # reached through the trap
driver_cleanup() {
  local status=$? hook
  trap - EXIT
  stop_pid "$app_pid"
  for hook in "${at_exit[@]}"; do "$hook"; done
  stop_pid "$xvfb_pid"
  rm -rf "$work"
  exit "$status"
}
trap driver_cleanup EXIT
trap 'exit 130' INT TERM

# ---- Frames
renders=$linux_build/tools/render
compare=$work/frame_compare
# Builds the comparer and, when missing, the renderers; renders the map's top
# 480 rows, where a view scrolled right is looked for.
prepare_frames() {
  c++ -O2 -std=c++17 -o "$compare" "$e2e_dir/frame_compare.cpp" || return 1
  { [ -x "$renders/render_view" ] && [ -x "$renders/render_map" ]; } ||
    cmake --build "$linux_build" -j2 --target render_view render_map >"$work/build.log" 2>&1 ||
    { tail -n 20 "$work/build.log"; return 1; }
  "$renders/render_map" "$work/map.png" && to_ppm "$work/map.png" "$work/strip.ppm" -crop 2048x480+0+0 +repage
}
to_ppm() { convert "$1" "${@:3}" -depth 8 "ppm:$2"; }
# Whether a picture shows the headless frame of view (right, bottom).
same_as_view() {
  local shot=$1 ref=$work/view_$2_$3.ppm
  [ -f "$ref" ] || { "$renders/render_view" "$2" "$3" "$work/view.png" && to_ppm "$work/view.png" "$ref"; } || return 2
  [[ $shot == *.ppm ]] || { to_ppm "$shot" "$work/shot.ppm" && shot=$work/shot.ppm; }
  "$compare" same "$shot" "$ref" --skip-rows "$legend_rows" --tolerance "$tolerance"
}
# Prints the viewRight of the view at the map's top that a PPM picture shows,
# or nothing; what rules out a view goes to $work/find.log.
find_view_right() {
  "$compare" find-right "$1" "$work/strip.ppm" --view-bottom 480 --skip-rows 16 \
    --tolerance "$tolerance" 2>"$work/find.log" | sed -n '1s/^viewRight //p'
}
keep() {
  [ -n "$keep_dir" ] || return 0
  mkdir -p "$keep_dir" && for f in "$@"; do convert "$f" "$keep_dir/$(basename "${f%.*}").png"; done
  echo "       pictures kept in $keep_dir"
}

# The comparer's own checks, on a noise strip where every window is unique.
check_comparer() {
  local d=$work/selftest bad=0 want status
  mkdir -p "$d"
  convert -size 2048x480 xc:gray -colorspace sRGB -type TrueColor -seed 11 +noise Random -depth 8 "ppm:$d/strip.ppm"
  to_ppm "$d/strip.ppm" "$d/view.ppm" -crop 640x480+148+0 +repage  # viewRight 788
  to_ppm "$d/strip.ppm" "$d/shifted.ppm" -crop 640x480+149+0 +repage
  to_ppm "$d/view.ppm" "$d/swapped.ppm" -separate -swap 0,2 -combine
  to_ppm "$d/view.ppm" "$d/band.ppm" -fill yellow -draw "rectangle 0,0 639,15"
  to_ppm "$d/view.ppm" "$d/darker7.ppm" -evaluate subtract 2.745098%  # 7 of 255
  to_ppm "$d/view.ppm" "$d/green8.ppm" -channel G -evaluate subtract 3.137255% +channel
  head -c 5000 "$d/view.ppm" >"$d/cut.ppm"
  # status, picture, then options for "same" against view.ppm
  while read -r want pic options; do
    # shellcheck disable=SC2086  # options are words
    "$compare" same "$d/view.ppm" "$d/$pic.ppm" $options >/dev/null 2>&1
    status=$?
    [ "$status" = "$want" ] || { echo "comparer: $pic $options gave $status, not $want"; bad=1; }
  done <<'EOF'
0 view
1 shifted --tolerance 7
1 swapped --tolerance 7
0 band --skip-rows 16
1 band --skip-rows 15
0 darker7 --tolerance 7
1 green8 --tolerance 7
1 strip
2 cut
EOF
  status=$("$compare" find-right "$d/view.ppm" "$d/strip.ppm" --view-bottom 480 --tolerance 7 2>/dev/null | paste -sd ' ')
  [ "$status" = "viewRight 788" ] || { echo "comparer: the search gave '$status'"; bad=1; }
  "$compare" find-right "$d/shifted.ppm" "$d/strip.ppm" --view-bottom 480 2>/dev/null && bad=1
  "$compare" find-right "$d/view.ppm" "$d/strip.ppm" --view-bottom 481 2>/dev/null; [ $? = 2 ] || bad=1
  [ "$bad" = 0 ]
}

# ---- A private X server, screenshots and keys
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

# ---- The program
# Starts the given command in the background, output in $work/program.*.
launch() {
  launched_at=$(now_ms)
  "$@" >"$work/program.out" 2>"$work/program.err" &
  app_pid=$!
}
# Polls the screen for the start view for at most $1 ms.
await_start_view() {
  local shot=$work/start.ppm result=
  while [ $(($(now_ms) - launched_at)) -lt "$1" ] && kill -0 "$app_pid" 2>/dev/null; do
    if screenshot "$shot" && result=$(same_as_view "$shot" 640 480); then
      pass "the start view is on screen $(($(now_ms) - launched_at)) ms after launch"
      return 0
    fi
    sleep 0.1
  done
  kill -0 "$app_pid" 2>/dev/null || { wait "$app_pid"; result="the program ended with $?: $(head -n 1 "$work/program.err")"; app_pid=; }
  fail "the start view is on screen within $1 ms ($result)"
  keep "$shot"
  return 1
}
# Holds Right for $1 s; the screen must then show the headless frame of a view
# further right at the map's top. Sets view_right (empty if none matched) and
# held_min_ms and held_max_ms, the least and most the key can have been down.
scroll_right() {
  local t0 t1 t2 shot=$work/right.ppm result
  t0=$(now_ms) && xdotool keydown Right && t1=$(now_ms) && sleep "$1"
  t2=$(now_ms) && xdotool keyup Right
  held_min_ms=$((t2 - t1)) held_max_ms=$(($(now_ms) - t0)) view_right=
  for _ in 1 2 3; do
    sleep 0.2
    screenshot "$shot" && view_right=$(find_view_right "$shot") && [ -n "$view_right" ] && break
  done
  if [ -z "$view_right" ]; then
    fail "after holding Right the screen shows a view of the map ($(cat "$work/find.log"))"
  elif [ "$view_right" -le 640 ]; then
    fail "holding Right for $held_min_ms ms moves the view"
  elif ! result=$(same_as_view "$shot" "$view_right" 480); then
    fail "after holding Right the screen equals the headless frame at viewRight $view_right ($result)"
  else
    pass "after holding Right the screen equals the headless frame at viewRight $view_right"
    return 0
  fi
  keep "$shot"
  return 1
}
# Runs the command that is to end the program (a key press, a signal, the X
# server's end), named $2: the program must end with exit code 0 within $1 ms.
end_with() {
  local limit=$1 cause=$2 since status
  shift 2
  if ! kill -0 "$app_pid" 2>/dev/null; then
    wait "$app_pid"
    fail "the program still runs before $cause (it ended with $?)"
    app_pid=
    return 1
  fi
  since=$(now_ms)
  "$@"
  while kill -0 "$app_pid" 2>/dev/null && [ $(($(now_ms) - since)) -lt "$limit" ]; do sleep 0.02; done
  if kill -0 "$app_pid" 2>/dev/null; then
    fail "$cause ends the program within $limit ms"
    stop_pid "$app_pid"
  else
    wait "$app_pid"
    status=$?
    [ "$status" = 0 ] && pass "$cause ends the program with exit code 0 ($(($(now_ms) - since)) ms)" ||
      fail "$cause ends the program with exit code 0 (got $status)"
  fi
  app_pid=
}
