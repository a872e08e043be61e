#!/usr/bin/env bash
# Builds the simulator (installing what is missing) and starts it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build" -DAGV_TESTS=OFF >/dev/null
cmake --build "$root/build" --target agvsim -j"$(nproc)"
exec "$root/build/agvsim" "$@"
