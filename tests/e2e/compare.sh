# shellcheck shell=bash
# The one comparison of every end-to-end check: whether two 640 x 480 pictures agree
# within $2 levels a channel below their first $1 rows (compare counts 257 a level).
agree() {
  local peak
  peak=$(compare -metric PAE -extract "640x$((480 - $1))+0+$1" "$3" "$4" null: 2>&1)
  echo "peak difference $peak"
  [[ $peak =~ ^[0-9]+\  ]] && [ "${peak%% *}" -le $(($2 * 257)) ]
}
