#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each in turn, on one core:
#   fuzz/run.sh [seconds per target (60)] [build folder (build/fuzz)]
# The committed seeds in fuzz/corpus/<target>/ are only read; what the
# fuzzers add goes to <build>/work/<target>/. A crash, a leak or a broken
# promise stops that target with its input saved as <build>/crash-* (or
# leak-*, timeout-*, oom-*) and fails the run: add the input to
# fuzz/corpus/<target>/ as crash_<what>.bmp, and the test suite's corpus
# replay runs it through the same entry point from then on.
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=${2:-build/fuzz}

cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTILESCROLL_FUZZ=ON -DTILESCROLL_TESTS=OFF >/dev/null &&
  cmake --build "$build" -j2 --target load_image_file_fuzzer palette_file_fuzzer resource_fuzzer \
    >/dev/null || exit 1

status=0
for target in load_image_file palette_file resource; do
  mkdir -p "$build/work/$target"
  log="$build/$target.log"
  # -close_fd_mask=2 silences the layer's refusal lines; findings still come
  # through the sanitizers' report channel. A hundred-byte run-length file
  # may declare a bitmap at the reader's size cap, whose loads take up to
  # half a minute under the sanitizers: slow, not hung, so the timeout is 60 s.
  "$build/fuzz/${target}_fuzzer" -max_total_time="$seconds" -max_len=16384 -timeout=60 \
    -rss_limit_mb=2048 -close_fd_mask=2 -dict=fuzz/bmp.dict -print_final_stats=1 \
    -artifact_prefix="$build/" "$build/work/$target" "fuzz/corpus/$target" >"$log" 2>&1
  result=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  echo "$target: ${runs:-?} executions in ${seconds} s, exit $result"
  if [ "$result" -ne 0 ]; then
    grep -E '^(SUMMARY|==[0-9]+==ERROR|[a-z_]+: |artifact_prefix|Test unit written)' "$log" | head -20
    status=1
  fi
done
exit "$status"
