"""qubic on a Dask cluster: cubics chunk by chunk, the batch job block by block.

    from distributed import Client
    import qubic.dask
    client = Client("tcp://scheduler:8786")        # or Client(LocalCluster(...))
    s = qubic.dask.solve(coeffs)                    # coeffs: dask.array, last axis a3..a0
    qubic.dask.run_batch(client, "test6", "results6", "stdout")
    qubic.dask.run_batch_parts(client, "s3://bucket/test6", "s3://bucket/out", read="workers")

Compute or store the three arrays of s together (one solve per chunk), and
store or reduce rather than gather results larger than memory:
examples/dask_solve.py does both.  Every worker needs qubic installed (the
same build gives the same bits).
"""
from ._dask_batch import run_batch, run_batch_parts
from ._dask_solve import solve

__all__ = ["solve", "run_batch", "run_batch_parts"]


def __dir__():
    return sorted(__all__)
