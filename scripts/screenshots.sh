#!/usr/bin/env bash
# Makes the README's screenshots: the program under a private Xvfb, its
# console dialogue typed into a pipe, keys sent to its window, then the
# window saved as PNG.
#   docs/ptp_clothoid.png  PTP to the default end pose, 1FDW1FS on the
#                          clothoid-line drawing, half way
#   docs/cp_curve.png      CP wavy circle (A = 0.2 m, 3 waves), 1FDW1FS
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build" -DAGV_TESTS=OFF >/dev/null
cmake --build "$root/build" --target agvsim -j"$(nproc)"
mkdir -p "$root/docs"

work="$(mktemp -d)"
xpid=""
spid=""
cleanup() {
  exec 7>&- 2>/dev/null || true
  [ -n "$spid" ] && kill "$spid" 2>/dev/null || true
  [ -n "$xpid" ] && kill "$xpid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A private X server; it writes its display number when it is ready.
Xvfb -displayfd 3 -screen 0 1024x1024x24 -nolisten tcp -noreset 3>"$work/display" &
xpid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"

# shot NAME INPUT KEYS...: one run of the program.
shot() {
  local name="$1" input="$2"
  shift 2
  mkfifo "$work/in"
  "$root/build/agvsim" <"$work/in" >"$work/out" 2>&1 &
  spid=$!
  exec 7>"$work/in"
  printf '%b' "$input" >&7
  local win=""
  for _ in $(seq 300); do
    win="$(xwininfo -root -children | awk '/800x800/ {print $1; exit}')"
    [ -n "$win" ] && break
    sleep 0.1
  done
  if [ -z "$win" ]; then
    cat "$work/out" >&2
    echo "screenshots: the window did not open" >&2
    exit 1
  fi
  xdotool key --window "$win" --delay 30 "$@"
  # The keys are drawn one after the other: wait until two screenshots
  # half a second apart are the same.
  xwd -silent -id "$win" >"$work/a.xwd"
  for _ in $(seq 60); do
    sleep 0.5
    xwd -silent -id "$win" >"$work/b.xwd"
    cmp -s "$work/a.xwd" "$work/b.xwd" && break
    mv "$work/b.xwd" "$work/a.xwd"
  done
  convert xwd:- "$root/docs/$name.png" <"$work/a.xwd"
  # The window closes while xdotool still sends the key's release.
  xdotool key --window "$win" Escape 2>/dev/null || true
  wait "$spid" || true
  spid=""
  exec 7>&-
  rm -f "$work/in"
  echo "docs/$name.png"
}

steps() { for _ in $(seq "$1"); do printf 's '; done; }

# shellcheck disable=SC2046
shot ptp_clothoid 'pnk' 2 b $(steps 50)
# shellcheck disable=SC2046
shot cp_curve 'c16\n0.2 3\nnk' 2 x x $(steps 150)
