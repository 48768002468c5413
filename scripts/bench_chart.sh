#!/usr/bin/env bash
# Draws the per-frame times of a benchmark summary (the CSV that
# tilescroll_bench writes with --summary_csv) as a bar chart, with
# ImageMagick. Start-up and the desktop present are left out: they are on
# another scale. Prints nothing unless something goes wrong.
#   bench_chart.sh SUMMARY.csv CHART.png
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 SUMMARY.csv CHART.png" >&2; exit 2; }
font=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf

# One "name microseconds" line per bar: the limit, the worst case's
# composers, the best case's, then whole frames.
bars=$(awk -F, 'NR > 1 && $1 ~ /^(limit|compose|frame)\// {
    group = $1 ~ /^limit/ ? 0 : $1 ~ /^compose.*worst$/ ? 1 : $1 ~ /^compose/ ? 2 : 3
    print group, $1, $2
  }' "$1" | sort -k1,1n -k2,2 | cut -d" " -f2-)
[ -n "$bars" ] || { echo "bench_chart: no per-frame times in $1" >&2; exit 1; }

draw=$(awk -v font="$font" '
  { name[NR] = $1; value[NR] = $2; if ($2 > top) top = $2 }
  END {
    left = 330; width = 520; row = 26; y0 = 50
    printf "-font %s -pointsize 15 -fill black -annotate +10+28 \"Time per frame, microseconds (median; shorter is faster)\" ", font
    for (i = 1; i <= NR; i++) {
      y = y0 + (i - 1) * row
      colour = "#9aa5b1"
      if (name[i] ~ /^compose\/ours\//) colour = "#2e8b57"
      else if (name[i] ~ /^compose\/ours_plain/) colour = "#8fbc8f"
      else if (name[i] ~ /^frame\//) colour = "#4682b4"
      else if (name[i] ~ /^limit\//) colour = "#444444"
      w = value[i] / top * width
      printf "-fill \"%s\" -draw \"rectangle %d,%d %d,%d\" ", colour, left, y, left + w, y + row - 6
      printf "-fill black -pointsize 12 -annotate +10+%d \"%s\" ", y + 15, name[i]
      printf "-annotate +%d+%d \"%.1f\" ", left + w + 6, y + 15, value[i]
    }
    printf "\n%d\n", y0 + NR * row + 10
  }' <<<"$bars")
height=$(tail -n 1 <<<"$draw")
eval "convert -size 920x${height} xc:white $(head -n 1 <<<"$draw") \"\$2\""
