#!/usr/bin/env bash
# Builds the web page (scripts/web.sh: nothing to do when it is up to date), serves it on
# 127.0.0.1 and drives it in headless Chromium through tests/web/cases.txt: drive.sh OUTDIR.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
out="$1"
"$root/scripts/web.sh" >/dev/null
site="$root/build-web/site"
mkdir -p "$out"
# A free port of the loopback, served until the end.
port="$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')"
python3 -m http.server --bind 127.0.0.1 --directory "$site" "$port" >"$out/server.log" 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  python3 -c "import urllib.request; urllib.request.urlopen('http://127.0.0.1:$port/')" 2>/dev/null && break
  sleep 0.1
done
node "$here/drive.js" "$root/build-web/npm" "http://127.0.0.1:$port/" "$here/cases.txt" "$out"
