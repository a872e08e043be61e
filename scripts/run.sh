#!/usr/bin/env bash
# Builds the simulator, agvbatch and the Python module (installing what is
# missing) and starts the simulator.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build" -DAGV_TESTS=OFF >/dev/null
cmake --build "$root/build" --target agvsim agvbatch agvsim_python -j"$(nproc)"
exec "$root/build/agvsim" "$@"
