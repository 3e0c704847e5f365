#!/usr/bin/env bash
# CI: the whole test suite under AddressSanitizer and UndefinedBehaviorSanitizer.
# Any report ends the test that caused it (-fno-sanitize-recover=all).  The
# flags go in through CXXFLAGS and LDFLAGS, so the installed-package check
# builds its consumer with the same sanitizers.
#
#   bash .ci/steps/10-sanitize.sh        (build in build-asan, then ctest)
set -euo pipefail
cd "$(dirname "$0")/../.."
start=$SECONDS

export CXX=${CXX:-g++}
export CXXFLAGS="-O1 -g -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
export LDFLAGS="-fsanitize=address,undefined"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=None -DQUBIC_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan -j2
ctest --test-dir build-asan --output-on-failure -j2

echo "sanitize: passed in $((SECONDS - start)) s"
