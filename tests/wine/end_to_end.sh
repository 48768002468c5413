# The program under Wine, driven with real key presses and watched through
# screenshots of the X server. Sourced by run_all.sh, which provides $work,
# $win_build, $linux_build, app_pid, pass/fail and the running session.

# The legend is text in each platform's own font: both fill 16 rows at the
# top, so the rows below are compared and those are not. A pixel may differ
# by 7 levels a channel: both sides widen 5-6-5 to 8 bits, and any two ways
# of widening differ by at most 7.
compare_args=(--skip-rows 16 --tolerance 7)

now_ms() { echo $(($(date +%s%N) / 1000000)); }
screenshot() { import -window root -depth 8 "ppm:$1" 2>/dev/null; }
# Held long enough for the program's per-frame sampling to see it.
hold_key() { xdotool keydown "$1" && sleep "$2" && xdotool keyup "$1"; }

# Keeps the pictures of a failed check next to the Windows build.
keep_for_inspection() {
  local f
  mkdir -p "$win_build/wine-failures"
  for f in "$@"; do
    [ -f "$f" ] && convert "$f" "$win_build/wine-failures/$(basename "${f%.*}").png"
  done
  echo "          pictures kept in $win_build/wine-failures"
}

# The headless frame for a view (viewRight viewBottom out.ppm).
reference_view() {
  "$renders/render_view" "$1" "$2" "$work/ref_$1_$2.png" && convert "$work/ref_$1_$2.png" -depth 8 "ppm:$3"
}

end_to_end() {
  local exe=$win_build/tilescroll.exe compare=$work/frame_compare
  renders=$linux_build/tools/render
  rm -rf "$win_build/wine-failures"
  if [ ! -f "$exe" ]; then
    fail "tilescroll.exe was not built in $win_build"
    return
  fi
  if [ ! -x "$renders/render_view" ] || [ ! -x "$renders/render_map" ]; then
    cmake --build "$linux_build" -j2 --target render_view render_map >"$work/render_build.log" 2>&1 || {
      fail "the headless renderers render_view and render_map could not be built in $linux_build"
      tail -n 20 "$work/render_build.log" | sed 's/^/          /'
      return
    }
  fi
  # The start view, and the map's top 480 rows to find a scrolled view in.
  if ! reference_view 640 480 "$work/start_ref.ppm" || ! "$renders/render_map" "$work/map.png" ||
    ! convert "$work/map.png" -crop 2048x480+0+0 +repage -depth 8 "ppm:$work/top_strip.ppm"; then
    fail "the headless reference frames could be rendered"
    return
  fi

  # Start-up: the screen may stay black for a moment after the first flip,
  # so poll for the start view.
  local t0 t_first= shot=$work/shot_start.ppm result=
  t0=$(now_ms)
  wine "$exe" >"$work/program.log" 2>&1 &
  app_pid=$!
  while [ $(($(now_ms) - t0)) -lt 30000 ] && kill -0 "$app_pid" 2>/dev/null; do
    if screenshot "$shot" && result=$("$compare" same "$shot" "$work/start_ref.ppm" "${compare_args[@]}"); then
      t_first=$(now_ms)
      break
    fi
    sleep 0.1
  done
  if [ -z "$t_first" ]; then
    if kill -0 "$app_pid" 2>/dev/null; then
      fail "the first frame shows the start view (last screenshot: $result)"
    else
      wait "$app_pid"
      fail "the first frame shows the start view (the program ended first with status $?)"
      app_pid=
    fi
    keep_for_inspection "$shot" "$work/start_ref.ppm"
    return
  fi
  pass "the first frame shows the start view ($((t_first - t0)) ms after launch)"

  # Right: frames run at hundreds a second under Wine, so the view ends
  # wherever the key's release finds it; it must be one the program can reach
  # (640 + 4k at the top of the map) and look exactly like that headless frame.
  hold_key Right 0.25
  local view= scrolled=$work/shot_right.ppm
  for _ in 1 2 3; do
    sleep 0.2
    screenshot "$scrolled" || continue
    view=$("$compare" find-right "$scrolled" "$work/top_strip.ppm" --view-bottom 480 "${compare_args[@]}" \
      2>"$work/find.log" | sed -n 's/^viewRight //p' | head -n 1)
    [ -n "$view" ] && break
  done
  if [ -z "$view" ]; then
    fail "after Right the screen shows a view of the map ($(cat "$work/find.log"))"
    keep_for_inspection "$scrolled"
  elif [ "$view" -le 640 ]; then
    fail "holding Right scrolls the view (still at viewRight $view)"
    keep_for_inspection "$scrolled"
  elif [ $(((view - 640) % 4)) -ne 0 ]; then
    fail "the view moves in steps of 4 (found viewRight $view)"
  elif ! reference_view "$view" 480 "$work/right_ref.ppm" ||
    ! result=$("$compare" same "$scrolled" "$work/right_ref.ppm" "${compare_args[@]}"); then
    fail "after Right the screen equals the headless frame at viewRight $view ($result)"
    keep_for_inspection "$scrolled" "$work/right_ref.ppm"
  else
    pass "after Right the screen equals the headless frame at viewRight $view ($(((view - 640) / 4)) steps)"
  fi

  # Escape ends the program with exit code 0.
  if ! kill -0 "$app_pid" 2>/dev/null; then
    wait "$app_pid"
    fail "the program still runs before Escape (it ended with status $?)"
    app_pid=
    return
  fi
  local t_escape took status
  t_escape=$(now_ms)
  hold_key Escape 0.15
  while kill -0 "$app_pid" 2>/dev/null && [ $(($(now_ms) - t_escape)) -lt 5000 ]; do
    sleep 0.02
  done
  took=$(($(now_ms) - t_escape))
  if kill -0 "$app_pid" 2>/dev/null; then
    fail "Escape ends the program (still running after 5 s)"
    stop_program
    return
  fi
  wait "$app_pid"
  status=$?
  app_pid=
  if [ "$status" -ne 0 ]; then
    fail "Escape ends the program with exit code 0 (got $status)"
  elif [ "$took" -gt 2000 ]; then
    fail "Escape ends the program within 2 s (took $took ms)"
  else
    pass "Escape ends the program with exit code 0 ($took ms after the key went down)"
  fi
}
