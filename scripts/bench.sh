#!/usr/bin/env bash
# Builds and runs every benchmark: PTP plans and passes, CP passes, and the
# heaviest frames (under a private Xvfb with Mesa's software renderer).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build-bench" -DCMAKE_BUILD_TYPE=Release -DAGV_TESTS=OFF \
  -DAGV_BENCH=ON >/dev/null
cmake --build "$root/build-bench" -j"$(nproc)"
args=(--benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@")
"$root/build-bench/bench/agvbench_core" "${args[@]}"
xvfb-run -a -s "-screen 0 1024x1024x24 -noreset" "$root/build-bench/bench/agvbench_gl" "${args[@]}"
