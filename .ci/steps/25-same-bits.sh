#!/usr/bin/env bash
# CI: the same bits on every build.  Six builds of the two programs (g++ and
# clang++ at -O0 and -O2, g++ -O2 -march=native, and the default release
# build with link-time optimisation) solve the same 120,000
# generated cubics (family mix: random coefficients, real and complex roots
# over wide magnitudes, near-multiple roots, zeros, subnormals, infinities,
# NaNs, degenerate cubics): the batch program from a test6 file, qubic-solve
# --csv from the same cubics as text, each with the default solver and with
# the exact engine (--exact); and qubic-solve --exact --double --csv on as
# many double cubics (family double: the whole double range, subnormals,
# exact multiple roots, specials), once written as shortest decimals and
# once as hexadecimal constants, which must give the same CSV.  Every output
# (results6, the batch program's standard output, the CSVs) must be
# byte-identical across builds.
#
#   bash .ci/steps/25-same-bits.sh          (builds in build-bits/<name>)
set -euo pipefail
cd "$(dirname "$0")/../.."
start=$SECONDS
root=$PWD
count=${SAME_BITS_COUNT:-120000}
seed=25

builds=(
  "gcc-O0 g++ -O0"
  "gcc-O2 g++ -O2"
  "clang-O0 clang++ -O0"
  "clang-O2 clang++ -O2"
  "gcc-O2-native g++ -O2 -march=native"
  "gcc-release g++"
)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 tools/gencubics.py --family mix --count "$count" --seed "$seed" --format test6 --out "$work/test6"
python3 tools/gencubics.py --family mix --count "$count" --seed "$seed" --format csv --out "$work/cubics.csv"
python3 tools/gencubics.py --family double --count "$count" --seed "$seed" --format csv --out "$work/doubles.csv"
python3 tools/gencubics.py --family double --count "$count" --seed "$seed" --format hex --out "$work/doubles.hex"

for b in "${builds[@]}"; do
  read -r name cxx flags <<<"$b"
  dir=build-bits/$name
  # Build type None: CMAKE_CXX_FLAGS alone sets the optimisation level; the
  # release build is the default one (-O3 with link-time optimisation).
  btype=None
  [[ $name == *-release ]] && btype=Release
  cmake -S . -B "$dir" -G Ninja -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=$btype \
    -DCMAKE_CXX_FLAGS="$flags" -DQUBIC_BUILD_TESTS=OFF -DQUBIC_BUILD_BENCH=OFF -DQUBIC_BUILD_PYTHON=OFF >/dev/null
  cmake --build "$dir" -j2 --target qubic qubic-solve >/dev/null
  out=$work/$name
  mkdir "$out"
  cp "$work/test6" "$out/test6"
  (cd "$out" && "$root/$dir/src/qubic" >stdout) || { echo "same-bits: $name: qubic failed"; exit 1; }
  "$dir/tools/qubic-solve" --csv <"$work/cubics.csv" >"$out/solve.csv" ||
    { echo "same-bits: $name: qubic-solve failed"; exit 1; }
  mkdir "$out/exact"
  cp "$work/test6" "$out/exact/test6"
  (cd "$out/exact" && "$root/$dir/src/qubic" --exact >stdout) || { echo "same-bits: $name: qubic --exact failed"; exit 1; }
  "$dir/tools/qubic-solve" --exact --csv <"$work/cubics.csv" >"$out/exact/solve.csv" ||
    { echo "same-bits: $name: qubic-solve --exact failed"; exit 1; }
  "$dir/tools/qubic-solve" --exact --double --csv <"$work/doubles.csv" >"$out/exact/double.csv" ||
    { echo "same-bits: $name: qubic-solve --exact --double failed"; exit 1; }
  "$dir/tools/qubic-solve" --exact --double --csv <"$work/doubles.hex" | cmp -s - "$out/exact/double.csv" ||
    { echo "same-bits: $name: qubic-solve --exact --double read the hexadecimal cubics otherwise"; exit 1; }
  rm "$out/test6" "$out/exact/test6"
  echo "[$((SECONDS - start)) s] $name ($cxx $flags): $(cd "$out" && sha256sum results6 stdout solve.csv exact/* | cut -c1-16 | tr '\n' ' ')"
done

# The outputs must be worth comparing: one status line per cubic with a
# good share solved, and one CSV row per cubic after the header.
first=$work/${builds[0]%% *}
records=$(grep -cx '[01]' "$first/results6" || true)
solved=$(grep -cx 1 "$first/results6" || true)
rows=$(($(wc -l <"$first/solve.csv") - 1))
double_rows=$(($(wc -l <"$first/exact/double.csv") - 1))
double_solved=$(grep -c '^[^,]*,[^,]*,[^,]*,[^,]*,1,1,1,' "$first/exact/double.csv" || true)
echo "$records records, $solved solved; $rows CSV rows; $double_rows double rows, $double_solved solved"
((records == count && rows == count && solved > count / 4 && double_rows == count && double_solved > count / 2)) ||
  { echo "same-bits: outputs incomplete"; exit 1; }

status=0
for b in "${builds[@]:1}"; do
  name=${b%% *}
  for f in results6 stdout solve.csv exact/results6 exact/stdout exact/solve.csv exact/double.csv; do
    if ! cmp -s "$first/$f" "$work/$name/$f"; then
      echo "same-bits FAILED: $f of $name differs from ${builds[0]%% *}:"
      diff <(cat -n "$first/$f") <(cat -n "$work/$name/$f") | head -n 6
      status=1
    fi
  done
done
((status == 0)) || exit 1
echo "same-bits: ${#builds[@]} builds byte-identical, passed in $((SECONDS - start)) s"
