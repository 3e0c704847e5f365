#!/usr/bin/env bash
# Throughput of the batch program on the reference input, next to `cat` of
# the same file measured in the same run (a floor no program can beat).
#
#   bash bench/batch-throughput.sh [options]
#     -n N         records in the input (default 1000000: the reference input)
#     -c N         records for the instruction count under callgrind
#                  (default 100000; 0 skips it; needs valgrind)
#     -r N         timed runs per program, the fastest is shown (default 3)
#     -e EXE       the batch program (default build/src/qubic)
#     -g SCRIPT    generator of the input, called as python3 SCRIPT N FILE 6
#                  (default bench/make-test6.py: the reference input)
#     -d DIR       where the input is kept (default bench/data, git-ignored);
#                  it is made once per generator and N, then reused
#     -h           this help
#
# Prints, per program: CPU time (user + system), records per second of CPU
# time, peak resident memory (needs GNU time, Debian package "time"), and
# instructions per record.  Outputs go to files in a scratch folder, removed
# before every run.  Nothing is gated.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

records=1000000
cg_records=100000
runs=3
exe=$root/build/src/qubic
generator=$root/bench/make-test6.py
data=$root/bench/data
usage() { sed -n '2,/^$/s/^# \{0,1\}//p' "$0"; }
while getopts ":n:c:r:e:g:d:h" opt; do
  case $opt in
    n) records=$OPTARG ;;
    c) cg_records=$OPTARG ;;
    r) runs=$OPTARG ;;
    e) exe=$OPTARG ;;
    g) generator=$OPTARG ;;
    d) data=$OPTARG ;;
    h) usage; exit 0 ;;
    :) echo "batch-throughput: -$OPTARG needs a value (-h for help)" >&2; exit 2 ;;
    *) echo "batch-throughput: unknown option -$OPTARG (-h for help)" >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
(($# == 0)) || { echo "batch-throughput: unexpected argument '$1' (-h for help)" >&2; exit 2; }
exe=$(cd "$(dirname "$exe")" && pwd)/$(basename "$exe")
[[ -x $exe ]] || { echo "batch-throughput: no program at $exe (build first)" >&2; exit 1; }

mkdir -p "$data"
data=$(cd "$data" && pwd)
[[ -f $generator ]] || { echo "batch-throughput: no generator at $generator" >&2; exit 1; }
input=$data/$(basename "$generator" .py)-$records
[[ -f $input ]] || python3 "$generator" "$records" "$input" 6
records=$(wc -l <"$input")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ln -s "$input" "$work/test6"

# One timed run of a program in $work, standard output to a file: prints
# "cpu_seconds peak_rss_kib".  GNU time measures both (its own small image
# sets the floor of the peak RSS); without it, python3 takes the CPU time
# from wait4 of the child, and the peak RSS is not shown (a child started by
# python3 inherits python3's peak in its count).
timed() {
  local out=$1
  shift
  rm -f "$out" "$work/results6"
  if [[ -x /usr/bin/time ]]; then
    (cd "$work" && /usr/bin/time -f "%U %S %M" -o "$work/time.txt" "$@" >"$out")
    awk '{ printf "%.3f %d\n", $1 + $2, $3 }' "$work/time.txt"
  else
    python3 - "$work" "$out" "$@" <<'EOF'
import os, sys
work, out, prog = sys.argv[1], sys.argv[2], sys.argv[3:]
fd = os.open(out, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644)
os.chdir(work)
pid = os.posix_spawnp(prog[0], prog, os.environ, file_actions=[(os.POSIX_SPAWN_DUP2, fd, 1)])
_, status, ru = os.wait4(pid, 0)
if os.waitstatus_to_exitcode(status) != 0:
    sys.exit("%s failed" % prog[0])
print("%.3f -1" % (ru.ru_utime + ru.ru_stime))
EOF
  fi
}

best() {  # fastest of $runs runs: "cpu rss"
  local b="" line
  for ((i = 0; i < runs; i++)); do
    line=$(timed "$work/stdout" "$@")
    if [[ -z $b ]] || awk -v a="${line%% *}" -v c="${b%% *}" 'BEGIN { exit !(a < c) }'; then b=$line; fi
  done
  echo "$b"
}

# Instructions per record under callgrind, on the first $cg_records records.
instructions() {
  if ((cg_records == 0)) || ! command -v valgrind >/dev/null; then echo "-"; return; fi
  local cg=$work/cg
  mkdir -p "$cg"
  head -n "$cg_records" "$input" >"$cg/test6"
  local n
  n=$(wc -l <"$cg/test6")
  local total
  total=$( (cd "$cg" && valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null) |
    sed -n 's/.*Collected : \([0-9]*\).*/\1/p')
  awk -v t="$total" -v n="$n" 'BEGIN { printf "%.0f", t / n }'
}

read -r q_cpu q_rss < <(best "$exe")
read -r c_cpu c_rss < <(best cat test6)
q_ins=$(instructions "$exe")
c_ins=$(instructions cat test6)

echo "input: $records records, $(($(stat -c %s "$input") / 1000000)) MB, $(basename "$generator") seed 6"
echo "machine: $(nproc) CPUs, $(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -1)"
echo "instructions per record: callgrind on the first $cg_records records; CPU time: fastest of $runs runs"
printf '%-8s %10s %16s %14s %22s\n' program "CPU s" "records/CPU-s" "peak RSS" "instructions/record"
row() {
  awk -v p="$1" -v cpu="$2" -v rss="$3" -v ins="$4" -v n="$records" 'BEGIN {
    rate = cpu > 0 ? sprintf("%.0f", n / cpu) : "inf"
    mem = rss < 0 ? "n/a" : sprintf("%.1f MiB", rss / 1024)
    printf "%-8s %10.3f %16s %14s %22s\n", p, cpu, rate, mem, ins }'
}
row qubic "$q_cpu" "$q_rss" "$q_ins"
row cat "$c_cpu" "$c_rss" "$c_ins"
