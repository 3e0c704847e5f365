#!/bin/sh
# Instructions per cubic (valgrind's callgrind) of the batch path, of GSL's
# closed-form cubic and of the scalar exact engine, per family of
# batch_bench.  Usage:
#   bench/batch_callgrind.sh BUILD_DIR/bench/batch_bench
# BM_side_by_side runs each solver over 15 x 8 x 4096 = 491520 cubics per
# family; callgrind counts only inside each solver's pass.  Valgrind's
# processor has no AVX-512, so the batch path counted is the AVX2 variant.
set -eu
bench=${1:?usage: batch_callgrind.sh path/to/batch_bench}
for family in uniform sixty_decades; do
  for pass in pass_batch pass_gsl pass_scalar; do
    total=$(valgrind --tool=callgrind --callgrind-out-file=/dev/null --toggle-collect="*$pass*" \
      "$bench" --benchmark_filter="BM_side_by_side/$family/" 2>&1 |
      sed -n 's/.*Collected : *\([0-9]*\).*/\1/p')
    echo "$family $pass $((total / 491520)) instructions per cubic"
  done
done
