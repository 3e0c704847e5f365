#!/bin/sh
# Instructions per cubic (valgrind's callgrind) of the batch paths, of GSL's
# closed-form cubic and of the scalar exact engines, per family of
# batch_bench.  Usage:
#   bench/batch_callgrind.sh BUILD_DIR/bench/batch_bench [float|double|both]
# BM_side_by_side runs each solver over 15 x 8 x 4096 = 491520 float cubics
# per family, BM_side_by_side64 over 15 x 4 x 4096 = 245760 double ones;
# callgrind counts only inside each solver's pass.  Valgrind's processor has
# no AVX-512, so the batch paths counted are their AVX2 variants.
set -eu
bench=${1:?usage: batch_callgrind.sh path/to/batch_bench [float|double|both]}
which=${2:-both}
count() {  # benchmark filter, pass, cubics
  total=$(valgrind --tool=callgrind --callgrind-out-file=/dev/null --toggle-collect="*$2*" \
    "$bench" --benchmark_filter="$1" 2>&1 |
    sed -n 's/.*Collected : *\([0-9]*\).*/\1/p')
  echo "$1 $2 $((total / $3)) instructions per cubic"
}
if [ "$which" != double ]; then
  for family in uniform sixty_decades; do
    for pass in pass_batch pass_gsl pass_scalar; do count "BM_side_by_side/$family/" "$pass" 491520; done
  done
fi
if [ "$which" != float ]; then
  for family in uniform64 mix64; do
    for pass in pass_batch64 pass_gsl64 pass_scalar64; do count "BM_side_by_side64/$family/" "$pass" 245760; done
  done
fi
