#!/bin/sh
# Instructions per cubic (valgrind's callgrind) of the double engine and the
# float engine per family of bench/exact64_bench.cpp.  Usage:
#   bench/exact64_callgrind.sh BUILD_DIR/bench/exact64_bench [FILTER]
# callgrind counts only the instructions inside the engine's entry point (and
# what it calls); the count divided by 4096
# is the mean per cubic, independent of the machine's load.
set -eu
bench=${1:?usage: exact64_callgrind.sh path/to/exact64_bench [filter]}
filter=${2:-.}
# The runs named .../iterations:4096 call the engine exactly once per cubic
# of the family.
for name in $("$bench" --benchmark_list_tests | grep 'iterations:4096' | grep -E "$filter"); do
  case $name in
    BM_double*) fn='qubic::solve_exact_double(*' ;;
    *) fn='qubic::solve_exact(*' ;;
  esac
  total=$(valgrind --tool=callgrind --callgrind-out-file=/dev/null --toggle-collect="$fn" \
    "$bench" --benchmark_filter="^$name\$" 2>&1 | sed -n 's/.*Collected : *\([0-9]*\).*/\1/p')
  echo "${name%/iterations:4096} $((total / 4096)) instructions per cubic"
done
