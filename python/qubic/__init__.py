"""qubic: all three roots of cubics with single-precision coefficients, for numpy.

    >>> import qubic
    >>> s = qubic.solve(1, -6, 11, -6)          # x^3 - 6x^2 + 11x - 6
    >>> s.roots                                 # complex64, shape (3,)
    array([3.       +0.j, 1.9999999+0.j, 1.0000001+0.j], dtype=complex64)
    >>> s.flags, s.solved
    (array([1, 1, 1], dtype=int32), array(True))

The same solver as the C++ library, bit for bit: every cubic is solved in
IEEE 754 single precision by qubic::solve, one call per cubic in a compiled
loop that runs without the GIL.  Each root comes with a flag (FOUND ...
NOT_COMPUTED, see flag_meaning); only a root flagged FOUND (1) is a root to
use, and a cubic is solved when its three flags are FOUND.  exact=True
solves with the exact engine instead: every root correctly rounded; with
dtype=numpy.float64 too, the cubics are those of the double coefficients and
the roots complex128, every part correctly rounded to double.

run_batch() is the batch program qubic in memory, and qubic.dask runs both on
a Dask cluster.
"""
from ._batch import RecordError, run_batch
from ._qubic import (ALL_ROOTS, DEGRADED, FOUND, NO_ROOT, NOT_COMPUTED, REFUSED, UNCLEAN, UNUSABLE,
                     __version__)
from ._solve import Solution, flag_meaning, solve

__all__ = ["solve", "Solution", "run_batch", "RecordError", "flag_meaning",
           "FOUND", "ALL_ROOTS", "NO_ROOT", "REFUSED", "UNUSABLE", "DEGRADED", "UNCLEAN",
           "NOT_COMPUTED"]


def __dir__():
    # The public names only: the implementation lives in private submodules.
    return sorted(__all__ + ["__version__"])
