#!/usr/bin/env python3
"""Speed of qubic.solve, both engines, against the C++ library's own loops.

    /usr/bin/python3 python/bench.py [--build build] [--count 1000000]
                                     [--sample 2000] [--repeats 5]
    /usr/bin/python3 python/bench.py --callgrind [--build build] [--count N]
    /usr/bin/python3 python/bench.py --double [--sample 10000] [...]

One run, the same cubics for all: a seeded mix drawn as the batch program's
reference input is (40% three real roots, 40% a real root and a complex
pair, 20% random coefficients, over several decades), rounded to float32.
The contenders run in turn, round after round (--repeats), and each keeps
its fastest round:

  qubic.solve on all of them, one thread per core (wall time) and on one
  thread (CPU time of the thread), with the solver and with exact=True, the
  latter also on a strided view (every other column of an (n, 8) array);
  qubic_solve_loop, the C++ library's own loops on one thread (CPU time):
  qubic::solve per cubic, qubic::solve_exact_batch on the whole array, and
  qubic::solve_exact per cubic (the scalar exact engine);
  numpy.roots per cubic on the first --sample of them (scaled to --count,
  wall time, against qubic.solve on all threads).

Then the ratios against the targets, both from the fastest rounds and as
the median of the ratios within a round: numpy.roots >= 100x slower than
qubic.solve; qubic.solve on one thread within 1.5x of the C++ loop, and
with exact=True within 1.3x of the C++ batch entry.  CPU time is used for
one thread because on a loaded machine wall time counts the waits.

--double adds the exact engine on double cubics: the same draw kept in
float64 (not rounded to float32), solved by qubic.solve(..., exact=True,
dtype=numpy.float64), against numpy.roots per cubic on the first --sample
of those doubles: on every thread in wall time as for float32, and on one
thread in CPU time; and on one thread against the C++ batch entry
qubic::solve_exact_double_batch on them (beside the C++ loop of the scalar
qubic::solve_exact_double); targets: numpy.roots >= 100x slower per cubic,
and qubic.solve within 1.3x of the C++ batch entry.

--callgrind counts instructions per cubic instead (valgrind's callgrind, no
timing): each one-thread contender run once and twice in a fresh process,
the difference divided by --count, so that start-up, imports and reading
the cubics cancel.  Valgrind's processor has no AVX-512: the batch path
counted is its AVX2 variant.

Timings only: the exit status is 0 whatever they are.
"""
import argparse
import os
import pathlib
import platform
import statistics
import subprocess
import sys
import tempfile
import time

import numpy as np


def cubics(count, seed=6, dtype=np.float32):
    """count cubics (count, 4), float32 (or dtype), highest power first, drawn as the
    batch program's reference input draws them (bench/make-test6.py), with
    numpy's generator: 40% a3 (x - r1)(x - r2)(x - r3), 40% a3 (x - r)(x^2 -
    2u x + u^2 + v^2), 20% four random coefficients; scales over decades."""
    rng = np.random.default_rng(seed)

    def sign(n):
        return rng.choice([-1.0, 1.0], n)

    def scale(lo, hi, n):
        return 10.0 ** rng.uniform(lo, hi, n)

    kind = rng.random(count)
    a3 = sign(count) * scale(-2, 2, count)
    s = scale(-2, 3, count)
    r1, r2, r3 = (s * rng.uniform(-1, 1, count) for _ in range(3))
    real = np.stack([np.ones(count), -(r1 + r2 + r3), r1 * r2 + r2 * r3 + r1 * r3, -(r1 * r2 * r3)], -1)
    r, u, v = r1, r2, s * rng.uniform(0.01, 1, count)
    q = u * u + v * v
    pair = np.stack([np.ones(count), -(r + 2 * u), 2 * u * r + q, -r * q], -1)
    rand = sign(4 * count).reshape(count, 4) * scale(-3, 3, 4 * count).reshape(count, 4)
    c = np.where((kind < 0.4)[:, None], real, np.where((kind < 0.8)[:, None], pair, rand))
    c[kind < 0.8] *= a3[kind < 0.8, None]
    with np.errstate(over="ignore"):
        return c.astype(dtype)


def strided(c):
    """c as every other column of an (n, 8) array: a view numpy cannot
    flatten into a C-contiguous (n, 4) one without a copy."""
    wide = np.zeros((len(c), 8), np.float32)
    wide[:, ::2] = c
    return wide[:, ::2]


DOUBLE = "exact=True, float64, 1 thread"
DOUBLE_ALL = "exact=True, float64"


def calls(qubic, c, d=None):
    """The Python contenders: name -> (call, clock); with the float64
    cubics d (--double), the double engine too."""
    wall, cpu = time.perf_counter, time.thread_time
    s = strided(c)
    double = {} if d is None else {
        DOUBLE_ALL: (lambda: qubic.solve(d, exact=True, dtype=np.float64), wall),
        DOUBLE: (lambda: qubic.solve(d, exact=True, dtype=np.float64, threads=1), cpu)}
    return {
        "qubic.solve": (lambda: qubic.solve(c), wall),
        "qubic.solve, 1 thread": (lambda: qubic.solve(c, threads=1), cpu),
        "exact=True": (lambda: qubic.solve(c, exact=True), wall),
        "exact=True, 1 thread": (lambda: qubic.solve(c, exact=True, threads=1), cpu),
        "exact=True, 1 thread, strided": (lambda: qubic.solve(s, exact=True, threads=1), cpu),
        # The same strided cubics copied to contiguous rows first: what reading the strides saves.
        "exact=True, 1 thread, strided, copied": (
            lambda: qubic.solve(np.ascontiguousarray(s), exact=True, threads=1), cpu),
        **double,
    }


LOOPS = {"C++ loop, qubic::solve": "solve", "C++ solve_exact_batch": "batch", "C++ loop, qubic::solve_exact": "exact"}
DOUBLE_LOOP = "C++ loop, qubic::solve_exact_double"  # on the float64 cubics, in path + ".f64"
DOUBLE_BATCH = "C++ solve_exact_double_batch"  # the same cubics, one call


def loops(double):
    """The C++ loops: name -> (engine, suffix of the file of cubics)."""
    return {**{name: (engine, "") for name, engine in LOOPS.items()}, **({DOUBLE_LOOP: ("double", ".f64"), DOUBLE_BATCH: ("double_batch", ".f64")} if double else {})}


def loop(build, path, engine, repeats=1):
    """Seconds (CPU) of the best of `repeats` passes of qubic_solve_loop."""
    out = subprocess.run([str(build / "python" / "qubic_solve_loop"), path, str(repeats), engine],
                         capture_output=True, text=True, check=True).stdout
    return float(out.split("best of")[1].split(":")[1].split("s,")[0])


def timed(f, clock):
    t0 = clock()
    f()
    return clock() - t0


def timings(a, build, qubic, c, d, path):
    sample = c[: a.sample].astype(np.float64)
    contenders = calls(qubic, c, d)
    roots, roots64, roots64_wall = "numpy.roots per cubic", "numpy.roots per float64 cubic, CPU", \
        "numpy.roots per float64 cubic"
    cpp = loops(d is not None)
    t = {name: [] for name in [*contenders, *cpp, roots] + [roots64, roots64_wall] * (d is not None)}  # seconds
    for _ in range(a.repeats):
        for name, (f, clock) in contenders.items():
            t[name].append(timed(f, clock))
        for name, (engine, suffix) in cpp.items():
            t[name].append(loop(build, path + suffix, engine))
        t[roots].append(timed(lambda: [np.roots(p) for p in sample], time.perf_counter) / len(sample) * a.count)
        if d is not None:
            t0, c0 = time.perf_counter(), time.thread_time()
            [np.roots(p) for p in d[: a.sample]]
            t[roots64_wall].append((time.perf_counter() - t0) / a.sample * a.count)
            t[roots64].append((time.thread_time() - c0) / a.sample * a.count)
    wall = {name for name, (_, clock) in contenders.items() if clock is time.perf_counter} | {roots, roots64_wall}

    solved = qubic.solve(c).solved.mean()
    print(f"machine: {platform.machine()}, {os.cpu_count()} CPUs, {platform.processor() or platform.platform()}")
    print(f"{a.count} cubics ({100 * solved:.1f}% solved by the solver), fastest of {a.repeats} rounds")
    for name, v in t.items():
        print(f"  {name:40s} {min(v):9.4f} s {1e9 * min(v) / a.count:9.1f} ns per cubic"
              f" ({'wall' if name in wall else 'CPU'})")

    def ratio(x, y, target, sense):
        best = min(t[x]) / min(t[y])
        per_round = statistics.median(p / q for p, q in zip(t[x], t[y]))
        met = best >= target if sense == ">=" else best <= target
        print(f"{x} / {y}: {best:.2f}x (median of rounds {per_round:.2f}x; target {sense} {target}x:"
              f" {'met' if met else 'MISSED'})")

    ratio(roots, "qubic.solve", 100, ">=")
    ratio("qubic.solve, 1 thread", "C++ loop, qubic::solve", 1.5, "<=")
    ratio("exact=True, 1 thread", "C++ solve_exact_batch", 1.3, "<=")
    ratio("exact=True, 1 thread, strided", "C++ solve_exact_batch", 1.3, "<=")
    if d is not None:
        ratio(roots64_wall, DOUBLE_ALL, 100, ">=")   # as for float32: every core, against numpy's one
        ratio(roots64, DOUBLE, 100, ">=")           # one thread each
        ratio(DOUBLE, DOUBLE_BATCH, 1.3, "<=")
        ratio(DOUBLE_LOOP, DOUBLE_BATCH, 1, ">=")    # what the batch entry gains over the scalar engine


def instructions(cmd):
    run = subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=/dev/null", *cmd],
                         capture_output=True, text=True, check=True)
    return int(run.stderr.split("Collected :")[1].split()[0])


def callgrind(a, build, path):
    me = [sys.executable, os.path.abspath(__file__), "--build", str(build), "--file", path, "--one"]
    print(f"{a.count} cubics: instructions per cubic (callgrind: two calls minus one, so start-up cancels)")
    for name, (_, clock) in calls(None, np.zeros((0, 4), np.float32), np.zeros((0, 4)) if a.double else None).items():
        if clock is time.thread_time:
            once, twice = (instructions(me + [name, str(k)]) for k in (1, 2))
            print(f"  {name:40s} {(twice - once) / a.count:9.1f}")
    for name, (engine, suffix) in loops(a.double).items():
        loop_cmd = [str(build / "python" / "qubic_solve_loop"), path + suffix]
        once, twice = (instructions(loop_cmd + [str(k), engine]) for k in (1, 2))
        print(f"  {name:40s} {(twice - once) / a.count:9.1f}")


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--build", default="build", help="the build folder (default: build)")
    ap.add_argument("--count", type=int, default=1_000_000)
    ap.add_argument("--sample", type=int, default=2000, help="cubics for numpy.roots (default 2000)")
    ap.add_argument("--repeats", type=int, default=5)
    ap.add_argument("--callgrind", action="store_true", help="count instructions per cubic instead")
    ap.add_argument("--double", action="store_true", help="the exact engine on float64 cubics too")
    ap.add_argument("--file", help=argparse.SUPPRESS)  # --one: the cubics, as written by a run
    ap.add_argument("--one", nargs=2, help=argparse.SUPPRESS)  # NAME TIMES: one contender, for callgrind
    a = ap.parse_args(argv)
    build = pathlib.Path(a.build)
    sys.path.insert(0, str(build / "python"))
    import qubic

    if a.one:  # the float64 cubics, when asked for, beside the float32 ones
        c = np.fromfile(a.file, np.float32).reshape(-1, 4)
        d = np.fromfile(a.file + ".f64", np.float64).reshape(-1, 4) if a.one[0] == DOUBLE else None
        f, _ = calls(qubic, c, d)[a.one[0]]
        for _ in range(int(a.one[1])):
            f()
        return 0
    c = cubics(a.count)
    d = cubics(a.count, dtype=np.float64) if a.double else None
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "cubics.f32")
        c.tofile(path)
        if d is not None:
            d.tofile(path + ".f64")
        if a.callgrind:
            callgrind(a, build, path)
        else:
            timings(a, build, qubic, c, d, path)
    return 0


if __name__ == "__main__":
    sys.exit(main())
