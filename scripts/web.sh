#!/usr/bin/env bash
# The simulator as a web page: builds the static site into build-web/site/ (index.html, its
# scripts and the WebAssembly; nothing is fetched from elsewhere) with Debian's emscripten,
# installing what is missing (emscripten with node; glibc-source; npm and the npm packages of the
# page's test, from web/package-lock.json) and fetching the sources of yaml-cpp, libpng and zlib
# from Debian's archive once.  Safe to repeat; rebuilds only what changed.
#   scripts/web.sh            build, and tell the size a browser loads
#   scripts/web.sh --serve    build, then serve the site on 127.0.0.1 (PORT, default 8000)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$root/build-web"
serve=false
case "${1:-}" in
  --serve) serve=true ;;
  "") ;;
  *) echo "usage: scripts/web.sh [--serve]" >&2; exit 2 ;;
esac

missing=()
dpkg-query -W -f='${Status}' emscripten 2>/dev/null | grep -q "install ok installed" ||
  missing+=(emscripten)
# glibc's mathematics functions are built into the page, from Debian's copy of glibc's source.
dpkg-query -W -f='${Status}' glibc-source 2>/dev/null | grep -q "install ok installed" ||
  missing+=(glibc-source)
command -v npm >/dev/null || missing+=(npm)  # a node of another source may bring its own
command -v dpkg-source >/dev/null || missing+=(dpkg-dev)  # unpacks the sources below
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
# emcc's tools look for Debian's node modules (acorn) there, whichever node runs them.
export NODE_PATH=/usr/share/nodejs

# The npm packages of the test, as the lock file pins them, installed again when it changes.
npmdir="$out/npm"
if ! cmp -s "$root/web/package-lock.json" "$npmdir/package-lock.json" 2>/dev/null ||
   [ ! -d "$npmdir/node_modules" ]; then
  rm -rf "$npmdir"
  mkdir -p "$npmdir"
  cp "$root/web/package.json" "$root/web/package-lock.json" "$npmdir/"
  (cd "$npmdir" && npm ci --ignore-scripts --no-audit --no-fund --loglevel=error)
fi

# The sources of the libraries that read map files in the page (yaml-cpp, libpng, zlib), as
# Debian builds them: fetched once by apt-get from the machine's Debian archive, whose entries are
# read as entries of sources (into a list of apt's own here, the machine's left as it is).
srcdir="$out/sources"
if [ ! -f "$srcdir/fetched" ]; then
  apt="$out/apt"
  rm -rf "$apt" "$srcdir"
  mkdir -p "$apt/lists/partial" "$apt/parts" "$srcdir"
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk 'BEGIN { RS = ""; ORS = "\n\n" }
         /debian-archive-keyring/ { sub(/Types:[^\n]*/, "Types: deb-src"); print }' "$f" \
      >"$apt/parts/$(basename "$f")"
  done
  sed -n 's|^deb \(\[[^]]*\] \)\?\([^ ]*/debian\(-security\)\?/\?\) |deb-src \1\2 |p' \
    /etc/apt/sources.list 2>/dev/null >"$apt/sources.list" || true
  # The release's own versions (its security archive need not hold the sources of its updates).
  release="$(. /etc/os-release && echo "$VERSION_CODENAME")"
  opts=(-o "Dir::Etc::SourceList=$apt/sources.list" -o "Dir::Etc::SourceParts=$apt/parts"
        -o "Dir::State::Lists=$apt/lists")
  if ! (apt-get "${opts[@]}" update &&
        cd "$srcdir" && apt-get "${opts[@]}" source -t "$release" yaml-cpp libpng1.6 zlib) >"$apt/log" 2>&1; then
    cat "$apt/log" >&2
    echo "web.sh: cannot fetch the sources of yaml-cpp, libpng and zlib (above)" >&2
    exit 1
  fi
  touch "$srcdir/fetched"
fi

if [ ! -f "$out/CMakeCache.txt" ]; then
  emcmake cmake -S "$root/web" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$out"

# What a browser loads, as it is and compressed.
site="$out/site"
total=0 packed=0
for f in index.html page.js paint.js catalog.js maps.js agvweb.js agvweb.wasm; do
  total=$((total + $(stat -c %s "$site/$f")))
  packed=$((packed + $(gzip -9c "$site/$f" | wc -c)))
done
echo "site: $site ($((total / 1024)) KiB, $((packed / 1024)) KiB compressed)"

if $serve; then
  port="${PORT:-8000}"
  echo "serving the page at http://127.0.0.1:$port/ (Ctrl-C ends it)"
  exec python3 -m http.server --bind 127.0.0.1 --directory "$site" "$port"
fi
