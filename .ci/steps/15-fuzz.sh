#!/usr/bin/env bash
# CI: build the libFuzzer targets in fuzz/ with clang++ and run each for a
# fixed time from the committed seeds (the seeds are copied to a temporary
# folder, so the repository never changes).  A crash, a sanitizer report, a
# broken invariant (abort), a leak, a timeout or running out of memory fails
# the step and leaves the reproducer in the temporary folder, which is then
# kept and named.
#
#   bash .ci/steps/15-fuzz.sh                      (40 s per target)
#   FUZZ_SECONDS=3600 bash .ci/steps/15-fuzz.sh    (a long session)
#   FUZZ_TARGETS="qubic" FUZZ_SECONDS=600 ...      (only some targets)
set -euo pipefail
cd "$(dirname "$0")/../.."
start=$SECONDS
seconds=${FUZZ_SECONDS:-40}
targets=${FUZZ_TARGETS:-"e16_read qubic roundtrip exact exact64 batch batch64"}

cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUBIC_BUILD_FUZZ=ON -DQUBIC_BUILD_TESTS=OFF -DQUBIC_BUILD_BENCH=OFF -DQUBIC_BUILD_PYTHON=OFF >/dev/null
cmake --build build-fuzz -j2 --target $(printf 'fuzz_%s ' $targets)

work=$(mktemp -d)
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for t in $targets; do
  case $t in
    qubic | exact) max_len=16 ;;
    exact64) max_len=32 ;;
    roundtrip) max_len=64 ;;
    batch) max_len=4200 ;;  # a layout byte and up to 1049 patterns: past a block of 256 cubics
    batch64) max_len=8300 ;;  # a layout byte and up to 1037 patterns: past a block of 256 cubics
    *) max_len=4096 ;;
  esac
  mkdir -p "$work/$t/corpus" "$work/$t/artifacts"
  cp fuzz/corpus/"$t"/* "$work/$t/corpus/"
  echo "fuzz_$t: ${seconds} s, -max_len=$max_len"
  if ! build-fuzz/fuzz/fuzz_"$t" "$work/$t/corpus" -max_total_time="$seconds" -max_len="$max_len" \
      -timeout=10 -rss_limit_mb=512 -malloc_limit_mb=256 -print_final_stats=1 \
      -artifact_prefix="$work/$t/artifacts/" >"$work/$t/log" 2>&1; then
    tail -n 60 "$work/$t/log"
    echo "fuzz_$t FAILED; reproducer and log kept in $work/$t"
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$t/log")
  echo "fuzz_$t: $runs inputs executed, corpus $(ls "$work/$t/corpus" | wc -l) files, no failure"
done
rm -rf "$work"
echo "fuzz: passed in $((SECONDS - start)) s"
