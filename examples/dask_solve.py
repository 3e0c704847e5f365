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
# holds a few chunks at a time (CHUNK cubics, 37 bytes of results each).
N = 1_000_000
CHUNK = 125_000


def main(folder):
    os.makedirs(folder, exist_ok=True)
    # For a real cluster: Client("tcp://HOST:8786"), and FOLDER on a file
    # system that every worker sees.
    with LocalCluster(n_workers=2, threads_per_worker=1) as cluster, Client(cluster):
        c = da.random.RandomState(1).uniform(-1, 1, size=(N, 4), chunks=(CHUNK, 4))  # a3 a2 a1 a0 per row
        roots, flags, solved = qubic.dask.solve(c)
        # One task per chunk saves that chunk where it was solved.
        chunks = zip(*(a.to_delayed().ravel() for a in (roots, flags, solved)))
        saves = [dask.delayed(np.savez)(os.path.join(folder, f"{i}.npz"), roots=r, flags=f, solved=s)
                 for i, (r, f, s) in enumerate(chunks)]
        # Flag codes run from NOT_COMPUTED (-6) to FOUND (1): shifted, they count from 0.
        per_flag = da.bincount(flags.ravel() - qubic.NOT_COMPUTED, minlength=qubic.FOUND - qubic.NOT_COMPUTED + 1)
        _, share, per_flag = dask.compute(saves, solved.mean(), per_flag)   # one pass over the chunks
    print(f"{N} cubics, {share:.2%} solved; results in {folder}/0.npz .. {len(saves) - 1}.npz")
    for code, count in enumerate(per_flag, start=qubic.NOT_COMPUTED):
        if count:
            print(f"{code:3d} {count:8d}  {qubic.flag_meaning(code)}")


if __name__ == "__main__":  # the workers are processes that import this file: start them only when run
    main(sys.argv[1] if len(sys.argv) > 1 else "dask_solve.out")
