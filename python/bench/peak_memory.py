"""Run a command and print the peak resident memory of it and of all its processes together.

    /usr/bin/python3 python/bench/peak_memory.py COMMAND [ARG ...]

Samples the resident memory (RSS) of the command's process and of every
process it starts, four times a second (psutil), until it ends; prints the
peak of the command's own process, the peak of the sum over all of them at
one sampling, and the wall time.  A Dask LocalCluster's workers and nanny
processes are among them.  Shared pages count once per process that maps
them, so the sum is an upper bound.
"""
import subprocess
import sys
import time

import psutil


def main(command):
    start = time.perf_counter()
    child = subprocess.Popen(command)
    top = psutil.Process(child.pid)
    own = total = 0
    while child.poll() is None:
        rss = []
        for p in [top] + top.children(recursive=True):
            try:
                rss.append(p.memory_info().rss)
            except psutil.Error:  # ended between the listing and the sample
                rss.append(0)
        own, total = max(own, rss[0]), max(total, sum(rss))
        time.sleep(0.25)
    wall = time.perf_counter() - start
    print(f"exit status {child.returncode}; {wall:.1f} s wall; peak RSS: the command {own / 2**20:.0f} MiB, "
          f"all its processes together {total / 2**20:.0f} MiB", file=sys.stderr)
    return child.returncode


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
