#!/usr/bin/env bash
# CI: the benchmarks and the throughput script, run briefly so that they keep
# working.  Timings are printed, never compared with anything.
#
#   bash .ci/steps/30-bench.sh        (uses the build in ./build)
set -euo pipefail
cd "$(dirname "$0")/../.."
start=$SECONDS

cmake --build build --target qubic_bench exact_bench exact64_bench batch_bench qubic
./build/bench/qubic_bench --benchmark_min_time=0.01
./build/bench/exact_bench --benchmark_min_time=0.01
./build/bench/exact64_bench --benchmark_min_time=0.01
./build/bench/batch_bench --benchmark_min_time=0.01
data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
bash bench/batch-throughput.sh -x -n 20000 -c 2000 -r 1 -d "$data"

echo "bench: passed in $((SECONDS - start)) s"
