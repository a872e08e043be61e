#!/usr/bin/env bash
# A sweep cut into 4 slices computed by 4 processes of GNU parallel, as on 4 machines, then
# merged: the same bytes as the sweep computed whole by one process.
#   tests/batch/shards.sh AGVBATCH
set -euo pipefail
agvbatch="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
grid=(--x -3:3:0.5 --y -3:3:0.5 --th -180:180:45 --param steerRate=1.5)
parallel --will-cite --halt now,fail=1 \
  "$agvbatch" sweep "${grid[@]}" --quiet --shard {}/4 --out "$work/slice{}.csv" ::: 0 1 2 3
"$agvbatch" merge "$work"/slice{3,1,0,2}.csv --out "$work/merged.csv"
"$agvbatch" sweep "${grid[@]}" --quiet --out "$work/whole.csv"
cmp "$work/merged.csv" "$work/whole.csv"
echo "4 slices by GNU parallel, merged: $(($(wc -l <"$work/whole.csv") - 1)) rows, the same bytes"
