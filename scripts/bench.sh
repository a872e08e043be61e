#!/usr/bin/env bash
# Builds (Release) and runs every benchmark: PTP plans and passes, CP passes, agvbatch's
# sweep with one and two threads, and the heaviest frames (under a private Xvfb with Mesa's
# software renderer).
#   scripts/bench.sh [BENCHMARK OPTIONS]   all of them, medians of 5
#   scripts/bench.sh million               a sweep of 1,000,000 poses with one thread, then
#                                          with two, with its time and peak resident memory
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
args=(--benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@")
"$root/build-bench/bench/agvbench_core" "${args[@]}"
xvfb-run -a -s "-screen 0 1024x1024x24 -noreset" "$root/build-bench/bench/agvbench_gl" "${args[@]}"
PYTHONPATH="$root/build-bench/python" /usr/bin/python3 "$root/python/bench.py"
