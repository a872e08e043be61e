#!/usr/bin/env bash
# Builds everything (installing what is missing) and runs the whole test
# suite twice: a normal build, then one with AddressSanitizer and
# UndefinedBehaviorSanitizer.  Every warning is an error in both; the
# window tests start their own Xvfb, and a test checks the layers of the
# include graph.  Last, a small build of the core alone runs its
# reentrancy test under ThreadSanitizer.  The web page (scripts/web.sh) is built first, and the
# normal build's tests drive it in headless Chromium.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
# The web page, built once: a test of the normal build drives it in headless Chromium.
"$root/scripts/web.sh"
jobs="$(nproc)"

run_suite() {
  local dir="$1"; shift
  cmake -S "$root" -B "$dir" -DAGV_TESTS=ON -DAGV_WERROR=ON "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
  (cd "$dir" && ctest --output-on-failure -j"$jobs")
}

echo "== normal build =="
run_suite "$root/build-test"
echo "== AddressSanitizer + UndefinedBehaviorSanitizer build =="
(
  export ASAN_OPTIONS="halt_on_error=1:abort_on_error=1:detect_leaks=1"
  export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
  run_suite "$root/build-asan" -DAGV_SANITIZE=ON
)
echo "== ThreadSanitizer build of the core and its reentrancy test =="
TSAN_OPTIONS="halt_on_error=1" run_suite "$root/build-tsan" -DAGV_TSAN=ON -DAGV_PROGRAMS=OFF
