#!/usr/bin/env bash
# CI: the batch program against heavy input and output faults, end to end
# with ./build/src/qubic (built by the README's test command):
#   * a 1 GiB line without a newline (sparse file: a valid record, then NUL
#     bytes past column 64) is one record, read in bounded memory;
#   * a 1 GiB line of NUL bytes is one clear error, in bounded memory;
#   * ten million blank lines are ten million unsolved records;
#   * peak RSS for 1,000,000 records is that for 1,000 within a small margin,
#     and the output is the 1,000-record output repeated;
#   * test6 truncated while it is being read: a clean end or one error line,
#     and every status line written matches a record;
#   * a read-only file system (in a private mount namespace, when this
#     machine allows one): one error line naming results6, which is neither
#     created nor changed;
#   * qubic >>test6 on the million-record test6: refused at once, test6 and
#     results6 unchanged;
#   * qubic-solve on a 1 GiB line without a newline: one error line at once,
#     in bounded memory, like the batch program.
# Each run must end with status 0 and nothing on standard error, or with
# status 1 and exactly one line on standard error.
set -euo pipefail
cd "$(dirname "$0")/../.."
start=$SECONDS
exe=$PWD/build/src/qubic
[[ -x $exe ]] || { echo "io-faults: $exe not built"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "io-faults FAILED: $*"; exit 1; }
section() { echo "[$((SECONDS - start)) s] $*"; }

# Peak RSS is taken from wait4() in a small C launcher: a launcher with a
# large footprint (python) would count its own pages, since the kernel keeps
# the highest RSS a process had before exec.
cat >"$work/maxrss.c" <<'C'
#include <stdio.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
/* maxrss REPORT EXE: runs EXE, writes "status peak_rss_kib" to REPORT. */
int main(int argc, char** argv) {
  if (argc < 3) return 125;
  const pid_t pid = fork();
  if (pid == 0) {
    execv(argv[2], argv + 2);
    _exit(127);
  }
  int st = 0;
  struct rusage ru;
  if (pid < 0 || wait4(pid, &st, 0, &ru) != pid) return 125;
  FILE* f = fopen(argv[1], "w");
  if (!f) return 125;
  fprintf(f, "%d %ld\n", WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st), ru.ru_maxrss);
  return fclose(f) == 0 ? 0 : 125;
}
C
cc -O2 -o "$work/maxrss" "$work/maxrss.c"

# run DIR: runs qubic in DIR (stdout and stderr to DIR/stdout, DIR/stderr)
# and sets status and rss_kb (its peak resident set, in KiB).
run() {
  (cd "$1" && "$work/maxrss" "$work/report" "$exe" >stdout 2>stderr) || fail "launcher failed in $1"
  read -r status rss_kb <"$work/report"
}
# Exit status 0 with nothing on stderr.
expect_clean() {
  [[ $status == 0 ]] || fail "$1: status $status: $(head -c 300 "$2/stderr")"
  [[ ! -s $2/stderr ]] || fail "$1: stderr not empty"
}
# Exit status 1 with one line on stderr that contains $3.
expect_error() {
  [[ $status == 1 ]] || fail "$1: status $status, expected 1"
  [[ $(wc -l <"$2/stderr") == 1 && $(tail -c 1 "$2/stderr" | od -An -c | tr -d ' ') == '\n' ]] ||
    fail "$1: stderr is not one line: $(head -c 300 "$2/stderr")"
  grep -q -- "$3" "$2/stderr" || fail "$1: stderr does not name $3: $(cat "$2/stderr")"
}
# Peak RSS at most $2 KiB.
expect_rss_below() {
  ((rss_kb <= $2)) || fail "$1: peak RSS $rss_kb KiB exceeds $2 KiB"
  echo "  $1: peak RSS $rss_kb KiB"
}

road='  0.10000000E+01 -0.60000000E+01  0.11000000E+02 -0.60000000E+01'
one_gib=$((1 << 30))
rss_cap=16384   # KiB: the program holds two 1 MiB output buffers and one input buffer

section "1 GiB line, a valid record followed by NUL bytes, no newline"
mkdir "$work/short" "$work/long"
printf '%s\n' "$road" >"$work/short/test6"
run "$work/short"
expect_clean "64-column record" "$work/short"
printf '%s' "$road" >"$work/long/test6"
truncate -s "$one_gib" "$work/long/test6"
run "$work/long"
expect_clean "1 GiB line" "$work/long"
expect_rss_below "1 GiB line" "$rss_cap"
cmp -s "$work/short/results6" "$work/long/results6" || fail "1 GiB line: results6 differs from its first 64 columns'"
cmp -s "$work/short/stdout" "$work/long/stdout" || fail "1 GiB line: stdout differs from its first 64 columns'"
grep -qx 1 "$work/long/results6" || fail "1 GiB line: the record was not solved"
rm -rf "$work/short" "$work/long"

section "1 GiB line of NUL bytes, no newline"
mkdir "$work/nul"
truncate -s "$one_gib" "$work/nul/test6"
run "$work/nul"
expect_error "NUL line" "$work/nul" 'test6:1: field 1'
expect_rss_below "NUL line" "$rss_cap"
[[ ! -s $work/nul/results6 && ! -s $work/nul/stdout ]] || fail "NUL line: output for a record that was not read"
rm -rf "$work/nul"

section "10,000,000 blank lines"
mkdir "$work/blank"
head -c 10000000 /dev/zero | tr '\0' '\n' >"$work/blank/test6"
run "$work/blank"
expect_clean "blank lines" "$work/blank"
expect_rss_below "blank lines" "$rss_cap"
[[ $(wc -l <"$work/blank/results6") == 10000000 ]] || fail "blank lines: not one status line per line"
[[ $(grep -cvx 0 "$work/blank/results6" || true) == 0 ]] || fail "blank lines: a status other than 0"
[[ ! -s $work/blank/stdout ]] || fail "blank lines: standard output not empty"
rm -rf "$work/blank"

section "peak RSS: 1,000, 100,000 and 1,000,000 records"
# The three 1 MiB buffers (input, results6, standard output) are allocated
# at the start but only touched as far as the data goes, so 1,000 records
# (65 KB in, 130 KB out) stay below them by up to 3 MiB; from 100,000
# records on, every buffer is full and the peak must not move at all.
mkdir "$work/k" "$work/h" "$work/m"
python3 tools/gencubics.py --family mix --count 1000 --seed 20 --format test6 --out "$work/k/test6"
repeat() { for _ in $(seq "$2"); do cat "$1"; done; }
repeat "$work/k/test6" 100 >"$work/h/test6"
repeat "$work/h/test6" 10 >"$work/m/test6"
run "$work/k"; expect_clean "1,000 records" "$work/k"; rss_k=$rss_kb
run "$work/h"; expect_clean "100,000 records" "$work/h"; rss_h=$rss_kb
run "$work/m"; expect_clean "1,000,000 records" "$work/m"; rss_m=$rss_kb
echo "  peak RSS: 1,000 records $rss_k KiB, 100,000 records $rss_h KiB, 1,000,000 records $rss_m KiB"
((rss_m - rss_k <= 3 * 1024 + 512)) || fail "peak RSS grows with the number of records: $rss_k -> $rss_m KiB"
((rss_m - rss_h <= 256)) || fail "peak RSS grows with the number of records: $rss_h -> $rss_m KiB"
for f in results6 stdout; do
  [[ $(repeat "$work/k/$f" 1000 | sha256sum) == $(sha256sum <"$work/m/$f") ]] ||
    fail "1,000,000 records: $f is not the 1,000-record $f repeated"
done
rm -rf "$work/h"
rm -rf "$work/k"

section "qubic >>test6: refused before a byte is read or written"
before=$(sha256sum <"$work/m/test6")
cp "$work/m/results6" "$work/results6.before"
(cd "$work/m" && "$work/maxrss" "$work/report" "$exe" >>test6 2>stderr) || fail "launcher failed"
read -r status rss_kb <"$work/report"
expect_error "qubic >>test6" "$work/m" 'standard output: is the same file as test6'
[[ $(sha256sum <"$work/m/test6") == "$before" ]] || fail "qubic >>test6: test6 changed"
cmp -s "$work/m/results6" "$work/results6.before" || fail "qubic >>test6: results6 changed"

section "test6 truncated while it is being read"
# The input of the last case, cut to a quarter while the program runs.  A
# status line is 0 or 1; each 1 is followed by two 64-column records.  The
# program may see the cut or not: either way it stops cleanly or with one
# error line, and what it wrote is the output for a prefix of the input.
(cd "$work/m" && exec "$exe" >stdout 2>stderr) & pid=$!
sleep 0.3
truncate -s $(( $(stat -c %s "$work/m/test6") / 4 )) "$work/m/test6"
set +e; wait "$pid"; status=$?; set -e
if [[ $status == 0 ]]; then expect_clean "truncated" "$work/m"; else expect_error "truncated" "$work/m" test6; fi
python3 - "$work/m" <<'PY' || fail "truncated: output is not that of a prefix of the input"
import sys
d = sys.argv[1]
lines = open(d + "/results6", "rb").read().split(b"\n")
assert lines[-1] == b"", "results6 ends in a partial line"
k = solved = 0
while k < len(lines) - 1:
    assert lines[k] in (b"0", b"1"), lines[k]
    if lines[k] == b"1":
        assert len(lines[k + 1]) == 64 and len(lines[k + 2]) == 64
        solved += 1
        k += 3
    else:
        k += 1
out = open(d + "/stdout", "rb").read()
assert out.count(b"\n") == 2 * solved and (not out or out.endswith(b"\n"))
PY
echo "  status $status, $(grep -cx '[01]' "$work/m/results6" || true) records written"
rm -rf "$work/m"

section "qubic-solve: a 1 GiB line without a newline"
solve=$PWD/build/tools/qubic-solve
mkdir "$work/solve"
truncate -s "$one_gib" "$work/solve/input"
"$work/maxrss" "$work/report" "$solve" --csv <"$work/solve/input" >"$work/solve/stdout" 2>"$work/solve/stderr" ||
  fail "launcher failed"
read -r status rss_kb <"$work/report"
[[ $status == 2 ]] || fail "qubic-solve 1 GiB line: status $status, expected 2"
grep -q 'line 1: longer than 4096 characters' "$work/solve/stderr" || fail "qubic-solve: $(cat "$work/solve/stderr")"
expect_rss_below "qubic-solve 1 GiB line" "$rss_cap"
rm -rf "$work/solve"

section "read-only file system"
# A tmpfs mounted read-only in a private mount namespace (it vanishes with
# the namespace); what the runs leave is recorded in $work/ro, outside it.
mkdir -p "$work/ro/fs"
if unshare -m bash -eu -c '
    fs=$1 out=$2 road=$3 exe=$4
    mount -t tmpfs -o size=1m qubic-ro "$fs"
    mkdir "$fs/new" "$fs/kept"
    printf "%s\n" "$road" >"$fs/new/test6"
    printf "%s\n" "$road" >"$fs/kept/test6"
    echo earlier >"$fs/kept/results6"
    mount -o remount,ro "$fs"
    for c in new kept; do
      rc=0
      (cd "$fs/$c" && exec "$exe" >"$out/$c.stdout" 2>"$out/$c.stderr") || rc=$?
      echo "$rc" >"$out/$c.rc"
      ls -A "$fs/$c" >"$out/$c.ls"
      if [[ -e $fs/$c/results6 ]]; then cat "$fs/$c/results6" >"$out/$c.results6"; fi
    done
  ' _ "$work/ro/fs" "$work/ro" "$road" "$exe" 2>"$work/ro/unshare.err"; then
  for c in new kept; do
    [[ $(cat "$work/ro/$c.rc") == 1 ]] || fail "read-only ($c): status $(cat "$work/ro/$c.rc")"
    [[ $(wc -l <"$work/ro/$c.stderr") == 1 ]] && grep -q results6 "$work/ro/$c.stderr" ||
      fail "read-only ($c): stderr: $(cat "$work/ro/$c.stderr")"
    [[ ! -s $work/ro/$c.stdout ]] || fail "read-only ($c): output on stdout"
  done
  [[ $(cat "$work/ro/new.ls") == test6 ]] || fail "read-only: the run left files: $(cat "$work/ro/new.ls")"
  [[ $(cat "$work/ro/kept.results6") == earlier ]] || fail "read-only: the existing results6 changed"
  echo "  $(cat "$work/ro/new.stderr")"
else
  echo "  skipped: no private mount namespace with tmpfs here ($(head -n 1 "$work/ro/unshare.err"))"
fi

echo "io-faults: passed in $((SECONDS - start)) s"
