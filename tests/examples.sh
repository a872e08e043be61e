#!/usr/bin/env bash
# The examples built as a project outside this one builds against the library: the project
# installed into a temporary prefix, the examples configured with find_package(agvsim),
# built and run.
#   tests/examples.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build="$1"
src="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/prefix" >/dev/null
cmake -S "$src/examples" -B "$work/build" -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/build" >/dev/null
"$work/build/ptp_summary" | grep -q "^row 3, curvature directions (-1 0 -1)$"
"$work/build/cp_pass" | grep -q "^wavy circle: 12.8452 m"
"$work/build/own_vehicle" | grep -q "^path 3.8069 m; steering angle on the arcs 30.96 deg$"
# The Python package beside them, where the interpreter of the build looks under the prefix.
site="$(dirname "$(find "$work/prefix" -path '*/agvsim/__init__.py')")/.."
PYTHONPATH="$site" /usr/bin/python3 -c \
  'import agvsim; r = agvsim.ptp(4, -3, -45); assert r.arc[2].cv["x"][-1] > 3.9, r.arc[2].cv[-1]'
echo "examples built against the installed package and run; the Python package installed beside"
