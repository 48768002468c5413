#!/usr/bin/env bash
# Checks frame_compare on pictures made here, before it judges the program:
# a picture against itself, a one-pixel shift, swapped channels, a scribbled
# legend band, colours just inside and just outside the tolerance, a search
# that must find exactly one view, and broken input.
#   compare_selftest.sh <frame_compare binary> <scratch dir>
# Prints one line per case; exit status is the number of failed cases.
set -uo pipefail
compare=$1
dir=$2
mkdir -p "$dir"

# A noise strip as wide as the map, so every window of it is unique.
convert -size 2048x480 xc:gray -colorspace sRGB -type TrueColor -seed 11 +noise Random -depth 8 \
  "ppm:$dir/strip.ppm" || exit 1
window() { convert "$dir/strip.ppm" -crop "640x480+$1+0" +repage -depth 8 "ppm:$dir/$2.ppm"; }
window 148 view    # the window at viewRight 788
window 149 shifted # one pixel further right
convert "$dir/view.ppm" -separate -swap 0,2 -combine -depth 8 "ppm:$dir/swapped.ppm"
convert "$dir/view.ppm" -fill yellow -draw "rectangle 0,0 639,15" -depth 8 "ppm:$dir/band.ppm"
# Levels as percentages of full scale, whatever ImageMagick's own depth.
convert "$dir/view.ppm" -evaluate subtract 2.745098% -depth 8 "ppm:$dir/darker7.ppm"
convert "$dir/view.ppm" -channel G -evaluate subtract 3.137255% +channel -depth 8 "ppm:$dir/green8.ppm"
head -c 5000 "$dir/view.ppm" >"$dir/truncated.ppm"

failures=0
# expect <wanted exit status> <wanted output, or -> <case name> <frame_compare arguments...>
expect() {
  local want_status=$1 want_output=$2 name=$3
  shift 3
  local output status
  output=$("$compare" "$@" 2>/dev/null)
  status=$?
  if [ "$status" -eq "$want_status" ] && { [ "$want_output" = - ] || [ "$output" = "$want_output" ]; }; then
    echo "  ok      comparer: $name"
  else
    echo "  FAILED  comparer: $name (exit $status, output '${output//$'\n'/ | }')"
    failures=$((failures + 1))
  fi
}

d=$dir
expect 0 - "a picture matches itself" same "$d/view.ppm" "$d/view.ppm"
expect 1 - "a one-pixel shift is caught" same "$d/view.ppm" "$d/shifted.ppm" --skip-rows 16 --tolerance 7
expect 1 - "swapped red and blue are caught" same "$d/view.ppm" "$d/swapped.ppm" --skip-rows 16 --tolerance 7
expect 0 - "the skipped band is not compared" same "$d/view.ppm" "$d/band.ppm" --skip-rows 16 --tolerance 7
expect 1 - "the row below the band is compared" same "$d/view.ppm" "$d/band.ppm" --skip-rows 15 --tolerance 7
expect 0 - "7 levels darker is within tolerance" same "$d/view.ppm" "$d/darker7.ppm" --skip-rows 16 --tolerance 7
expect 1 - "8 levels off in green is not" same "$d/view.ppm" "$d/green8.ppm" --skip-rows 16 --tolerance 7
expect 1 - "pictures of different sizes differ" same "$d/view.ppm" "$d/strip.ppm"
expect 0 "viewRight 788" "the search finds the one view" find-right "$d/view.ppm" "$d/strip.ppm" --view-bottom 480 --skip-rows 16 --tolerance 7
expect 1 - "an off-grid window matches no view" find-right "$d/shifted.ppm" "$d/strip.ppm" --view-bottom 480 --skip-rows 16 --tolerance 7
expect 2 - "a truncated picture is refused" same "$d/view.ppm" "$d/truncated.ppm"
expect 2 - "a view below the map is refused" find-right "$d/view.ppm" "$d/strip.ppm" --view-bottom 481
exit "$failures"
