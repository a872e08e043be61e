#!/usr/bin/env bash
# Builds (Release) and runs every benchmark: PTP plans and passes, CP passes, collision checks in
# a map of 600 x 400 cells and a pass with every record checked, agvbatch's sweep with one and
# two threads, and the heaviest frames (under a private Xvfb with Mesa's
# software renderer).
#   scripts/bench.sh [BENCHMARK OPTIONS]   all of them, medians of 5
#   scripts/bench.sh million               a sweep of 1,000,000 poses with one thread, then
#                                          with two, with its time and peak resident memory
#   scripts/bench.sh video                 videos of the default PTP pass of 1x and 10x its
#                                          length: time and peak resident memory (agvbatch or
#                                          ffmpeg, the larger), which stays flat
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build-bench" -DCMAKE_BUILD_TYPE=Release -DAGV_TESTS=OFF \
  -DAGV_BENCH=ON >/dev/null
cmake --build "$root/build-bench" -j"$(nproc)"
if [ "${1:-}" = million ]; then
  out="$(mktemp -d)"
  trap 'rm -rf "$out"' EXIT
  # 100 x 100 end positions, 100 headings: 1,000,000 poses.
  for jobs in 1 2; do
    echo "--jobs $jobs"
    /usr/bin/time -v "$root/build-bench/agvbatch" sweep --x -4.95:5:0.1 --y -4.95:5:0.1 \
      --th -178.2:180:3.6 --jobs "$jobs" --quiet --out "$out/million.csv" 2>&1 |
      grep -E 'Elapsed|Maximum resident'
    echo "rows: $(($(wc -l <"$out/million.csv") - 1)), file: $(du -h "$out/million.csv" | cut -f1)"
  done
  exit 0
fi
if [ "${1:-}" = video ]; then
  out="$(mktemp -d)"
  trap 'rm -rf "$out"' EXIT
  # The default pass lasts 4.12 s: 104 frames in real time, 1029 at a tenth of it.
  for speed in 1 0.1; do
    echo "--speed $speed"
    /usr/bin/time -v "$root/build-bench/agvbatch" ptp 2 3 0 --video "$out/v.mp4" --speed "$speed" 2>&1 |
      grep -E 'Elapsed|Maximum resident'
    echo "frames: $(ffprobe -v error -count_frames -show_entries stream=nb_read_frames -of csv=p=0 "$out/v.mp4")"
  done
  exit 0
fi
args=(--benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@")
"$root/build-bench/bench/agvbench_core" "${args[@]}"
xvfb-run -a -s "-screen 0 1024x1024x24 -noreset" "$root/build-bench/bench/agvbench_gl" "${args[@]}"
PYTHONPATH="$root/build-bench/python" /usr/bin/python3 "$root/python/bench.py"
