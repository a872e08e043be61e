#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs each for the given number of seconds (default 600) on its seed corpus, at full
# input length from the start:
#   fuzz_dialogue  console bytes through whole sessions, parameter files among them
#                  (seeds in fuzz/corpus, inputs up to 512 bytes)
#   fuzz_merge     bytes as the slice files of a merge (seeds in fuzz/merge_corpus)
#   fuzz_route     bytes as a route file, run when they are one (seeds in fuzz/route_corpus)
#   fuzz_track     bytes as a track file, run when they are one (seeds in fuzz/track_corpus)
#   fuzz_mapyaml   bytes as a map's YAML file (seeds in fuzz/mapyaml_corpus)
#   fuzz_mapimage  bytes as a map's PGM or PNG image (seeds in fuzz/mapimage_corpus)
# `scripts/fuzz.sh 900 fuzz_merge` runs one of them.  New inputs go to fuzz/out/TARGET; a
# crashing, leaking or slow input is written to fuzz/out/ and the run fails.  Add such an input
# to the target's seed corpus to keep it as a regression test.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-600}"
targets=("${2:-fuzz_dialogue}")
[ $# -ge 2 ] || targets=(fuzz_dialogue fuzz_merge fuzz_route fuzz_track fuzz_mapyaml fuzz_mapimage)
"$root/scripts/deps.sh"
CC=clang CXX=clang++ cmake -S "$root" -B "$root/build-fuzz" -DAGV_FUZZ=ON -DAGV_TESTS=OFF \
  >/dev/null
cmake --build "$root/build-fuzz" --target "${targets[@]}" -j"$(nproc)"
for t in "${targets[@]}"; do
  case "$t" in
    fuzz_dialogue) seeds="$root/fuzz/corpus"; len=512 ;;
    fuzz_merge) seeds="$root/fuzz/merge_corpus"; len=16384 ;;
    fuzz_route) seeds="$root/fuzz/route_corpus"; len=2048 ;;
    fuzz_track) seeds="$root/fuzz/track_corpus"; len=2048 ;;
    fuzz_mapyaml) seeds="$root/fuzz/mapyaml_corpus"; len=4096 ;;
    fuzz_mapimage) seeds="$root/fuzz/mapimage_corpus"; len=16384 ;;
    *) echo "fuzz.sh: no target $t" >&2; exit 2 ;;
  esac
  mkdir -p "$root/fuzz/out/$t"
  (cd "$root/fuzz/out" &&
     "$root/build-fuzz/$t" -max_total_time="$seconds" -timeout=5 -max_len="$len" -len_control=0 \
       -rss_limit_mb=4096 -print_final_stats=1 "$root/fuzz/out/$t" "$seeds")
done
