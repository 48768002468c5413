#!/usr/bin/env bash
# Builds the optimised benchmark program and runs every benchmark on this
# machine: the frame's tile blits against a whole-frame memcpy, SDL2 and
# pixman composing the same frame, the whole frame on the headless backend,
# start-up, and the SDL2 backend's present. Installs what is missing first
# (needs root then). Its output ends with the present pacing's repeated and
# dropped frames a simulated minute, one "ratio NAME VALUE" line per comparison,
# then "startup_ms VALUE".
#   scripts/bench.sh [--chart FILE.png] [Google Benchmark options]
set -euo pipefail
cd "$(dirname "$0")/.."

chart=""
if [ "${1:-}" = "--chart" ]; then
  chart=$2
  shift 2
fi

scripts/install-deps.sh test
cmake --preset linux-bench >/dev/null
cmake --build --preset linux-bench -j"$(nproc)" --target tilescroll_bench

summary=build/linux-bench/bench-summary.csv
# Another build on this machine shows up in every number: say how busy it is.
echo "load average before the run: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
if [ -n "$chart" ]; then
  # The chart is drawn first, so that the summary stays the last output.
  build/linux-bench/bench/tilescroll_bench --summary_csv="$summary" "$@" | tee build/linux-bench/bench-output.txt |
    sed '/^median per frame/,$d'
  scripts/bench_chart.sh "$summary" "$chart"
  sed -n '/^median per frame/,$p' build/linux-bench/bench-output.txt
else
  build/linux-bench/bench/tilescroll_bench --summary_csv="$summary" "$@"
fi
