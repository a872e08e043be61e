#!/usr/bin/env bash
# Builds the fuzz target with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs it for the given number of seconds
# (default 600) on the seed corpus, at full input length from the start.  New inputs go to fuzz/out/corpus;
# a crashing, leaking or slow input is written to fuzz/out/ and the run
# fails.  Add such an input to fuzz/corpus to keep it as a regression test.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-600}"
"$root/scripts/deps.sh"
CC=clang CXX=clang++ cmake -S "$root" -B "$root/build-fuzz" -DAGV_FUZZ=ON -DAGV_TESTS=OFF \
  >/dev/null
cmake --build "$root/build-fuzz" --target fuzz_dialogue -j"$(nproc)"
mkdir -p "$root/fuzz/out/corpus"
cd "$root/fuzz/out"
"$root/build-fuzz/fuzz_dialogue" -max_total_time="$seconds" -timeout=5 -max_len=512 -len_control=0 \
  -rss_limit_mb=4096 -print_final_stats=1 "$root/fuzz/out/corpus" "$root/fuzz/corpus"
