"""Solve cubics on a Dask cluster chunk by chunk; the workers store the results, nothing is gathered.

    python3 examples/dask_solve.py [FOLDER]       (FOLDER defaults to dask_solve.out)

Writes FOLDER/0.npz, 1.npz, ...: the roots, flags and solved of each chunk
(numpy.load reads them back), and prints how many roots carry each flag.
"""
import os
import sys

import dask
import dask.array as da
import numpy as np
from distributed import Client, LocalCluster

import qubic
import qubic.dask

# Seconds as it stands.  For 10**8 cubics or more raise N alone: each worker
# holds a few chunks at a time (CHUNK cubics, 37 bytes of results each), and
# the client and scheduler keep a record of every task of a computation, so
# the cubics go in passes of at most PASS, which keeps that record bounded too.
N = 1_000_000
CHUNK = 125_000
PASS = 64 * CHUNK


def main(folder):
    os.makedirs(folder, exist_ok=True)
    # Flag codes run from NOT_COMPUTED (-6) to FOUND (1): shifted, they count from 0.
    per_flag, solved, files = 0, 0, 0
    # For a real cluster: Client("tcp://HOST:8786"), and FOLDER on a file
    # system that every worker sees.
    with LocalCluster(n_workers=2, threads_per_worker=1) as cluster, Client(cluster):
        for start in range(0, N, PASS):
            # a3 a2 a1 a0 per row, drawn where each chunk is solved
            c = da.random.RandomState(start).uniform(-1, 1, size=(min(PASS, N - start), 4), chunks=(CHUNK, 4))
            s = qubic.dask.solve(c)
            # One task per chunk saves that chunk where it was solved.
            chunks = zip(*(a.to_delayed().ravel() for a in s))
            saves = [dask.delayed(np.savez)(os.path.join(folder, f"{files + i}.npz"), roots=r, flags=f, solved=ok)
                     for i, (r, f, ok) in enumerate(chunks)]
            counts = da.bincount(s.flags.ravel() - qubic.NOT_COMPUTED, minlength=qubic.FOUND - qubic.NOT_COMPUTED + 1)
            _, n, counts = dask.compute(saves, s.solved.sum(), counts)   # one pass over these chunks
            per_flag, solved, files = per_flag + counts, solved + n, files + len(saves)
    print(f"{N} cubics, {solved / N:.2%} solved; results in {folder}/0.npz .. {files - 1}.npz")
    for code, count in enumerate(per_flag, start=qubic.NOT_COMPUTED):
        if count:
            print(f"{code:3d} {count:9d}  {qubic.flag_meaning(code)}")


if __name__ == "__main__":  # the workers are processes that import this file: start them only when run
    main(sys.argv[1] if len(sys.argv) > 1 else "dask_solve.out")
