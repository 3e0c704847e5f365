#!/bin/sh
# bench/make-test6.py writes byte for byte what the shared benchmark
# definition ../shared/bench/make-test6.py (relative to the project root)
# writes for the same arguments, so that the performance figures can be
# reproduced from this repository alone.  Without the shared script there is
# nothing to compare with: exits 77, which ctest reports as skipped.
#
#   sh tests/same_reference_input.sh PYTHON PROJECT_ROOT
python=$1
root=$2
reference=$root/../shared/bench/make-test6.py
[ -f "$reference" ] || { echo "$reference not found: skipped"; exit 77; }
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
status=0
# (N, SEED): an empty file, a few seeds, and enough records to reach every
# kind of cubic many times over.
for case in "0 6" "1 1" "3000 0" "20000 6" "20000 12345"; do
  set -- $case
  "$python" "$root/bench/make-test6.py" "$1" "$work/ours" "$2" &&
    "$python" "$reference" "$1" "$work/reference" "$2" || exit 1
  if cmp -s "$work/ours" "$work/reference"; then
    echo "N=$1 SEED=$2: identical ($(wc -c <"$work/ours") bytes)"
  else
    echo "N=$1 SEED=$2: differs: $(cmp "$work/ours" "$work/reference" 2>&1 | head -1)"
    status=1
  fi
done
exit $status
