#!/usr/bin/env bash
# CI: the Python package installed by pip into a fresh virtual environment
# from a clean clone of this commit (Debian's setuptools, pybind11 and numpy,
# no package index), the version it reports checked against CMakeLists.txt,
# the Python tests run against that installed copy from outside the source
# tree (the tests that call the programs use those of ./build, made by the
# README's test command), then `pip uninstall` checked to leave nothing.
#
#   bash .ci/steps/36-pip.sh
set -euo pipefail
cd "$(dirname "$0")/../.."
start=$SECONDS

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
git clone -q . "$work/src"
/usr/bin/python3 -m venv --system-site-packages "$work/venv"
py=$work/venv/bin/python
CMAKE_BUILD_PARALLEL_LEVEL=2 "$py" -m pip install -q --no-index --no-build-isolation "$work/src"

site=$("$py" -c "import sysconfig; print(sysconfig.get_path('platlib'))")
[[ -f $site/qubic/__init__.pyi && -f $site/qubic/dask.pyi && -f $site/qubic/py.typed ]] ||
  { echo "pip: the type stubs were not installed"; exit 1; }
want=$(sed -n 's/^project(qubic VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
got=$(cd "$work" && "$py" -c "import qubic; print(qubic.__version__)")
meta=$("$py" -m pip show qubic | sed -n 's/^Version: //p')
echo "pip: qubic $got installed (metadata $meta, CMakeLists.txt $want)"
[[ -n $want && $got == "$want" && $meta == "$want" ]] || { echo "pip: wrong version"; exit 1; }

exe=$PWD/build/src/qubic solve=$PWD/build/tools/qubic-solve
[[ -x $exe && -x $solve ]] || { echo "pip: no programs in ./build (run the README's test command first)"; exit 1; }
(cd "$work" && QUBIC_EXE=$exe QUBIC_SOLVE_EXE=$solve QUBIC_SOURCE_DIR="$work/src" QUBIC_INSTALLED_IN="$site" \
  "$py" -m pytest -q -p no:cacheprovider "$work/src/python/tests")

"$py" -m pip uninstall -q -y qubic
left=$(find "$site" -maxdepth 1 -iname 'qubic*')
[[ -z $left ]] || { echo "pip: uninstall left $left"; exit 1; }
echo "pip: passed in $((SECONDS - start)) s"
