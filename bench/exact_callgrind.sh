#!/bin/sh
# Instructions per cubic (valgrind's callgrind), the exact engine beside the
# step-by-step solver qubic::qubic, per benchmark family.  Usage:
#   bench/exact_callgrind.sh BUILD_DIR/bench/exact_bench
# BM_median_warm runs each solver exactly 4096 x 16 = 65536 times per
# family; callgrind counts only the instructions inside the solver's entry
# point (and what it calls), so the count divided by 65536 is the mean per
# cubic.  The counts do not depend on the machine's load.  FAMILIES="a b"
# limits the run to some families.
set -eu
bench=${1:?usage: exact_callgrind.sh path/to/exact_bench}
families=${FAMILIES:-"uniform three_real_roots near_multiple real_and_complex_pair sixty_decades reference_mix quadratic exact_multiple zero_coefficients huge_ratio clustered"}
for family in $families; do
  for fn in 'qubic::solve_exact(*' 'qubic::qubic(*'; do
    total=$(valgrind --tool=callgrind --callgrind-out-file=/dev/null --toggle-collect="$fn" \
      "$bench" --benchmark_filter="BM_median_warm/$family/" 2>&1 |
      sed -n 's/.*Collected : *\([0-9]*\).*/\1/p')
    echo "$family $fn $((total / 65536)) instructions per cubic"
  done
done
