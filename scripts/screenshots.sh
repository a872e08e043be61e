#!/usr/bin/env bash
# Makes the README's pictures with agvbatch (Cairo, no display):
#   docs/ptp_clothoid.png  PTP to the default end pose, 1FDW1FS on the
#                          clothoid-line drawing, half way
#   docs/cp_curve.png      CP wavy circle (A = 0.2 m, 3 waves), 1FDW1FS,
#                          moved left clear of the graphs
#   docs/ptp_pass.gif      the default PTP pass of 1FDW1FS on the
#                          clothoid-line drawing, at twice real time
#   docs/track_K.png       the track docs/lane.csv run by mechanism K = 1, 2, 3
#                          under pure pursuit, in its U-turn
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build" -DAGV_TESTS=OFF >/dev/null
cmake --build "$root/build" --target agvbatch -j"$(nproc)"
mkdir -p "$root/docs"
batch="$root/build/agvbatch"
cd "$root/docs"
"$batch" ptp 2 3 0 --picture ptp_clothoid.png --mechanism 2 --drawing clothoid --step 150
echo docs/ptp_clothoid.png
"$batch" cp 16 0.2 3 --picture cp_curve.png --mechanism 2 --step 450 --pan -0.5 0
echo docs/cp_curve.png
"$batch" ptp 2 3 0 --video ptp_pass.gif --mechanism 2 --drawing clothoid --speed 2 --size 400x400
echo docs/ptp_pass.gif
for k in 1 2 3; do
  "$batch" track lane.csv --param controller=purepursuit --picture "track_$k.png" --mechanism "$k" \
    --step 430 --size 400x400 2>/dev/null
  echo "docs/track_$k.png"
done
"$batch" route "$root/examples/bay.csv" --map "$root/examples/warehouse.yaml" --picture map_bay.png \
  --mechanism 2
echo docs/map_bay.png
