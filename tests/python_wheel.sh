#!/usr/bin/env bash
# The Python package as a user installs it: a wheel built by pip from a copy of the source
# (scikit-build, no network), installed into a new venv made with the system's packages, and the
# pytest suite run against the installed package, not against the build folder.
#   tests/python_wheel.sh SOURCE_DIR AGVBATCH
set -euo pipefail
src="$1"
agvbatch="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir "$work/src"
tar -C "$src" --exclude=./.git --exclude='./build*' --exclude=./_skbuild --exclude=./fuzz/out \
  -cf - . | tar -C "$work/src" -xf -
/usr/bin/python3 -m venv --system-site-packages "$work/venv"
py="$work/venv/bin/python"
"$py" -m pip wheel -q --no-build-isolation --no-deps --no-index -w "$work/dist" "$work/src"
"$py" -m pip install -q --no-index "$work"/dist/agvsim-*.whl  # numpy, declared, from the system
cd "$work"
"$py" -c 'import agvsim, sys; assert agvsim.__file__.startswith(sys.prefix), agvsim.__file__'
AGVBATCH="$agvbatch" MPLBACKEND=Agg "$py" -m pytest -q -p no:cacheprovider "$src/python/tests"
