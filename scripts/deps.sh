#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the benchmarks
# need, when any of them is missing.  Safe to run again.
set -euo pipefail

packages=(
  cmake make g++                      # compiler and build
  freeglut3-dev libgl-dev libglu1-mesa-dev libx11-dev   # GLUT, Mesa, Xlib
  libcli11-dev libtomlplusplus-dev    # command-line options and parameter files
  libboost-dev                        # the bracketed root finder of the arc-length inversion
  gettext                             # the console's English catalog
  libgtest-dev libbenchmark-dev libpng-dev   # tests and benchmarks
  libompl-dev libeigen3-dev           # OMPL's path lengths, the peer of the planner's tests and benchmarks
  xvfb x11-utils x11-apps xdotool imagemagick           # window tests
  libcairo2-dev pkg-config fonts-urw-base35 ffmpeg      # pictures (Cairo, Nimbus Sans) and videos
  libyaml-cpp-dev                     # map files (their YAML; their PNG images by libpng-dev)
  librsvg2-bin poppler-utils          # SVG and PDF read back in the tests
  gnuplot-nox                         # plots of agvbatch's CSV files
  parallel time                       # sweeps in slices; peak memory in the benchmarks
  emscripten chromium                 # the web page (scripts/web.sh) and the browser its test drives
  glibc-source                        # glibc's mathematics functions, built into the web page
  pybind11-dev python3-dev python3-numpy python3-pytest python3-matplotlib   # the Python module
  python3-scipy python3-pandas        # the quadrature of the curves' lengths; sweeps read back
  python3-skbuild python3-setuptools python3-wheel python3-pip python3-venv   # pip install .
)
# npm installs the web page's test packages (web/package-lock.json); a node of another source
# (NodeSource's) brings its own, and Debian's npm would not install beside it.
command -v npm >/dev/null || packages+=(npm)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
