"""The batch job on a local Dask cluster against one run of the program: wall time and the client's memory.

    /usr/bin/python3 python/bench/dask_batch.py [--build build] [--records N ...] [--workers W ...] [--dir DIR]

For each N (default 10^6 and 10^7) it writes N records of the reference
input (bench/make-test6.py) into a scratch folder under DIR (default the
system's temporary folder; 10^7 records take 650 MB, their outputs 1.7 GB),
runs the batch program once, then for each worker count (default 1 and 2)
each way of running qubic.dask: the blocks read by the client or by the
workers, the outputs written by the client into results6 and stdout or by
the workers into numbered parts.  Each of those runs in a fresh process (a
LocalCluster of worker processes, one thread each, started before the
timing) and its outputs are checked against the program's, byte for byte,
parts joined in name order.  Printed per run: wall seconds of the call, the
ratio to the program's wall time, the CPU seconds of the client process and
of the workers together during the call, and the peak resident memory of
the client process (ru_maxrss; LocalCluster runs the scheduler in it too, so
the tasks it holds count), with --traced also the peak of the client's
Python allocations during the call (tracemalloc), which the C library's
allocator does not blur.  The scratch folder is removed at the end; the exit
status is 1 if any outputs differ from the program's (the times are never
judged).
"""
import argparse
import hashlib
import json
import os
import pathlib
import resource
import shutil
import subprocess
import sys
import tempfile
import time
import tracemalloc

ROOT = pathlib.Path(__file__).resolve().parents[2]
MODES = [("client", "file"), ("workers", "file"), ("client", "parts"), ("workers", "parts")]


def child(read, write, workers, test6, out, traced):
    """One timed run in this process; prints its wall time and peak memory."""
    from distributed import Client, LocalCluster
    import qubic.dask
    with LocalCluster(n_workers=workers, threads_per_worker=1, processes=True, dashboard_address=None) as cluster, \
            Client(cluster) as client:
        if traced:
            tracemalloc.start()
        cpu = client.run(time.process_time)
        start, own = time.perf_counter(), time.process_time()
        if write == "parts":
            qubic.dask.run_batch_parts(client, test6, out, read=read)
        else:
            qubic.dask.run_batch(client, test6, os.path.join(out, "results6"), os.path.join(out, "stdout"), read=read)
        wall, own = time.perf_counter() - start, time.process_time() - own
        workers = sum(client.run(time.process_time).values()) - sum(cpu.values())
        peak = tracemalloc.get_traced_memory()[1] / 2**20 if traced else float("nan")
    print(json.dumps({"wall": wall, "client_cpu": own, "workers_cpu": workers, "traced_mib": peak,
                      "maxrss_mib": resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1024}))


def digest(paths):
    h = hashlib.sha256()
    for p in paths:
        with open(p, "rb") as f:
            while chunk := f.read(1 << 22):
                h.update(chunk)
    return h.hexdigest()


def outputs(folder):
    """The digests of results6 and stdout in folder, parts joined in name order."""
    names = sorted(os.listdir(folder))
    return tuple(digest([os.path.join(folder, n) for n in names if n == kind or n.startswith(kind + ".")])
                 for kind in ("results6", "stdout"))


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--build", default=str(ROOT / "build"))
    ap.add_argument("--records", type=int, nargs="+", default=[10**6, 10**7])
    ap.add_argument("--workers", type=int, nargs="+", default=[1, 2])
    ap.add_argument("--dir", default=None)
    ap.add_argument("--traced", action="store_true", help="also the client's peak of Python allocations "
                    "(tracemalloc, which slows the client)")
    ap.add_argument("--child", nargs=5, help=argparse.SUPPRESS)
    a = ap.parse_args()
    if a.child:
        read, write, workers, test6, out = a.child
        return child(read, write, int(workers), test6, out, a.traced)
    build = pathlib.Path(a.build).resolve()
    env = dict(os.environ, PYTHONPATH=str(build / "python"))
    scratch = pathlib.Path(tempfile.mkdtemp(prefix="qubic-dask-bench.", dir=a.dir))
    differ = 0
    try:
        for n in a.records:
            prog = scratch / "program"
            prog.mkdir()
            test6 = prog / "test6"
            subprocess.run([sys.executable, ROOT / "bench" / "make-test6.py", str(n), test6, "6"], check=True)
            start, cpu = time.perf_counter(), resource.getrusage(resource.RUSAGE_CHILDREN)
            with open(prog / "stdout", "wb") as so:
                subprocess.run([build / "src" / "qubic"], cwd=prog, stdout=so, check=True)
            program, after = time.perf_counter() - start, resource.getrusage(resource.RUSAGE_CHILDREN)
            program_cpu = after.ru_utime + after.ru_stime - cpu.ru_utime - cpu.ru_stime
            want = outputs(prog)
            for name in ("results6", "stdout"):
                os.unlink(prog / name)
            print(f"{n} records ({test6.stat().st_size / 2**20:.0f} MiB): one qubic process {program:.2f} s wall, "
                  f"{program_cpu:.2f} s CPU; load average {os.getloadavg()[0]:.1f} on {os.cpu_count()} cores")
            print(f"{'workers':>7} {'read by':>8} {'written as':>10} {'wall s':>8} {'/ qubic':>8} {'CPU s client':>13} "
                  f"{'workers':>8} {'client peak MiB':>16}" + f" {'traced MiB':>11}" * a.traced)
            for workers in a.workers:
                for read, write in MODES:
                    out = scratch / "out"
                    out.mkdir()
                    p = subprocess.run([sys.executable, __file__, "--child", read, write, str(workers), str(test6),
                                        str(out)] + ["--traced"] * a.traced, env=env, capture_output=True, text=True)
                    if p.returncode:
                        sys.exit(p.stderr)
                    r = json.loads(p.stdout.splitlines()[-1])
                    same = "" if outputs(out) == want else "  OUTPUTS DIFFER"
                    differ += bool(same)
                    shutil.rmtree(out)
                    print(f"{workers:>7} {read:>8} {write:>10} {r['wall']:>8.2f} {r['wall'] / program:>8.2f} "
                          f"{r['client_cpu']:>13.2f} {r['workers_cpu']:>8.2f} {r['maxrss_mib']:>16.1f}"
                          + f" {r['traced_mib']:>11.1f}" * a.traced + same, flush=True)
            shutil.rmtree(prog)
    finally:
        shutil.rmtree(scratch)
    return 1 if differ else 0


if __name__ == "__main__":
    sys.exit(main())
