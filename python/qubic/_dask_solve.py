"""qubic.dask.solve: qubic.solve on dask arrays, chunk by chunk."""
import dask.array as da
import numpy as np

from . import _checks
from ._rounding import real
from ._solve import Solution, four_last, names, solve as _solve, solver_dtype


def _packed(dtype):
    roots = np.complex128 if dtype == np.float64 else np.complex64
    return np.dtype([("roots", roots, (3,)), ("flags", np.int32, (3,)), ("solved", np.bool_)])


def _solve_block(block, exact, dtype):
    s = _solve(block, exact=exact, threads=1, dtype=dtype)  # the cluster runs the chunks in parallel
    out = np.empty(block.shape[:-1], dtype=_packed(dtype))
    out["roots"], out["flags"], out["solved"] = s.roots, s.flags, s.solved
    return out


def solve(*coeffs, exact=False, dtype=np.float32):
    """qubic.solve on dask arrays, chunk by chunk (map_blocks).

    solve(a3, a2, a1, a0) with arrays that broadcast together, or solve(c)
    with the last axis holding a3, a2, a1, a0; other array-likes are wrapped
    with dask.array.asarray.  The coefficients are rounded once to float32 as
    in qubic.solve (a list or a Python number here, before it is wrapped; a
    numpy or dask array chunk by chunk), and the results are those of
    qubic.solve on the whole array, bit for bit: each cubic is solved on its
    own.  exact is True or False and dtype numpy.float32 or numpy.float64
    (with exact=True), as in qubic.solve: with float64 the coefficients are
    rounded to float64 instead and the roots are complex128.  An object
    array is checked element by element when its chunks are computed.

    Returns qubic.Solution of three lazy dask arrays (roots, flags, solved)
    chunked like the cubics; they share one solve per chunk, so compute or
    store them together (see examples/dask_solve.py), and reduce or store
    rather than gather results larger than memory.
    """
    exact = _checks.switch(exact, "exact")
    dtype = solver_dtype(dtype, exact)
    parts = []
    for x, name in zip(coeffs, names(coeffs)):
        # Each argument rounded to dtype on its own, before anything combines
        # dtypes (stacking int64 with float32 would go through float64 first).
        x = da.asarray(x if isinstance(x, (da.Array, np.ndarray)) else real(x, name, dtype))
        if x.dtype.kind not in "fiubO":
            raise TypeError(f"{name}: coefficients must be real numbers, not {x.dtype}")
        parts.append(x.map_blocks(real, name, dtype, dtype=dtype))
    c = four_last(parts[0]) if len(parts) == 1 else da.stack(da.broadcast_arrays(*parts), axis=-1)
    c = c.rechunk({c.ndim - 1: -1})
    layout = _packed(dtype)
    packed = c.map_blocks(_solve_block, exact, dtype, drop_axis=c.ndim - 1, dtype=layout)
    per_root = packed.chunks + ((3,),)
    roots = packed.map_blocks(lambda b: b["roots"], new_axis=packed.ndim, chunks=per_root, dtype=layout["roots"].base)
    flags = packed.map_blocks(lambda b: b["flags"], new_axis=packed.ndim, chunks=per_root, dtype=np.int32)
    solved = packed.map_blocks(lambda b: b["solved"], dtype=np.bool_)
    return Solution(roots, flags, solved)
