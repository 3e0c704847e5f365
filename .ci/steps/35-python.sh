#!/usr/bin/env bash
# CI: the Python module from a clean clone of this commit, installed the way
# the README says (staged with DESTDIR, so nothing lands in /usr/local here),
# then imported from elsewhere by Debian's python3; and the speed comparison
# and the Dask batch job's measurement run briefly on the build in ./build so
# that they keep working (timings are printed, never compared; the batch job's
# outputs must be the program's).  The module's tests run with the README's test
# command (ctest -R python_tests).
#
#   bash .ci/steps/35-python.sh
set -euo pipefail
cd "$(dirname "$0")/../.."
start=$SECONDS
py=/usr/bin/python3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
git clone -q . "$work/src"
cmake -S "$work/src" -B "$work/build" -G Ninja -DQUBIC_BUILD_TESTS=OFF -DQUBIC_BUILD_BENCH=OFF >/dev/null
cmake --build "$work/build" -j2 >/dev/null
DESTDIR="$work/root" cmake --install "$work/build" >/dev/null
site=$(find "$work/root" -type d -name qubic -path '*-packages/qubic')
[[ -f $site/__init__.pyi && -f $site/py.typed ]] || { echo "python: stubs not installed"; exit 1; }
got=$(cd "$work" && PYTHONPATH=$(dirname "$site") $py -c \
  "import qubic; s = qubic.solve(1, -6, 11, -6); print(s.flags.tolist(), bool(s.solved), s.roots.real.tolist())")
echo "installed qubic: $got"
[[ $got == "[1, 1, 1] True [3.0, 1.9999998807907104, 1.0000001192092896]" ]] ||
  { echo "python: the installed module gave the wrong answer"; exit 1; }
# The double cubic (x-1)(x-2)(x-3): its exact roots, in double.
got=$(cd "$work" && PYTHONPATH=$(dirname "$site") $py -c \
  "import qubic; s = qubic.solve(1, -6, 11, -6, exact=True, dtype='float64'); print(s.roots.dtype, s.roots.tolist())")
echo "installed qubic, float64: $got"
[[ $got == "complex128 [(1+0j), (2+0j), (3+0j)]" ]] ||
  { echo "python: the installed module gave the wrong answer in double"; exit 1; }

cmake --build build --target _qubic qubic_solve_loop >/dev/null
$py python/bench.py --build build --count 100000 --sample 200 --repeats 1 --double
$py python/bench/dask_batch.py --build build --records 20000 --workers 1
echo "python: passed in $((SECONDS - start)) s"
