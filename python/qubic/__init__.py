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
use, and a cubic is solved when its three flags are FOUND.

run_batch() is the batch program qubic in memory, and qubic.dask runs both on
a Dask cluster.
"""
from collections import namedtuple

import numpy as np

from . import _qubic
from ._qubic import (ALL_ROOTS, DEGRADED, FOUND, NO_ROOT, NOT_COMPUTED, REFUSED,
                     UNCLEAN, UNUSABLE)

__all__ = ["solve", "Solution", "run_batch", "RecordError", "flag_meaning",
           "FOUND", "ALL_ROOTS", "NO_ROOT", "REFUSED", "UNUSABLE", "DEGRADED", "UNCLEAN",
           "NOT_COMPUTED"]

Solution = namedtuple("Solution", ["roots", "flags", "solved"])
Solution.__doc__ = """The roots of cubics with their flags.

roots   complex64, shape (..., 3): root k of each cubic; NaN in both parts
        where the solver did not compute that root
flags   int32, shape (..., 3): the flag of each root (FOUND ... NOT_COMPUTED)
solved  bool, shape (...): all three flags are FOUND"""


def _float32(x, name):
    """x as a float32 array, each value rounded once to the nearest single.

    Floating-point input (float64, longdouble, ...) and integer input are
    converted by one correctly rounded cast, ties to even; a value beyond the
    single range becomes an infinity of its sign, one below it the nearest
    subnormal or a signed zero.  Other dtypes (complex, object, strings) are
    refused: an object array of Python ints would go through float64 first
    and be rounded twice."""
    a = np.asarray(x)
    if a.dtype.kind not in "fiub":
        raise TypeError(f"{name}: coefficients must be real numbers of a numeric dtype, not {a.dtype}")
    with np.errstate(over="ignore"):
        return a.astype(np.float32, copy=False)


def solve(*coeffs, exact=False, threads=None):
    """Solve cubics a3 x^3 + a2 x^2 + a1 x + a0, highest power first.

    solve(a3, a2, a1, a0): four array-likes that broadcast together;
    solve(c): one array-like whose last axis holds a3, a2, a1, a0.

    Every coefficient is rounded once to float32 (float64 and integer input by
    one correctly rounded cast; float32 input is used as it is); the cubic
    solved is the one with these single-precision coefficients.  An infinite,
    NaN or subnormal coefficient (after rounding) refuses its cubic: flags
    REFUSED, roots NaN.  Complex, object and string input raises TypeError.

    exact=True uses the exact engine (every root correctly rounded).

    threads: how many threads share the cubics (default None: one per core;
    below 16,384 cubics per thread, fewer).  The cubics are independent, so
    the results are the same bits for any count.

    Returns Solution(roots, flags, solved) with shapes (..., 3), (..., 3) and
    (...), where ... is the broadcast shape of the coefficients.  No Python
    code runs per cubic, and the GIL is released while solving.

    >>> qubic.solve([[1, 0, 0, -1], [0, 1, -3, 2]]).flags
    array([[ 1,  1,  1],
           [ 1,  1, -1]], dtype=int32)
    """
    if len(coeffs) == 1:
        c = _float32(coeffs[0], "c")
        if c.ndim == 0 or c.shape[-1] != 4:
            raise ValueError(f"solve(c): the last axis of c must hold 4 coefficients, got shape {c.shape}")
    elif len(coeffs) == 4:
        parts = [_float32(x, n) for x, n in zip(coeffs, ("a3", "a2", "a1", "a0"))]
        c = np.stack(np.broadcast_arrays(*parts), axis=-1)
    else:
        raise TypeError(f"solve() takes 1 or 4 coefficient arguments ({len(coeffs)} given)")
    shape = c.shape[:-1]
    roots, flags, solved = _qubic.solve_array(np.ascontiguousarray(c.reshape(-1, 4)), bool(exact),
                                              int(threads or 0))
    return Solution(roots.reshape(shape + (3,)), flags.reshape(shape + (3,)), solved.reshape(shape))


class RecordError(ValueError):
    """A field of the coefficient file cannot be read.

    str(error) is the program's one-line message, e.g.
    qubic: test6:3: field 2 (columns 17-32): cannot read "1.2.3" as a number
    results6 and stdout hold what the program writes before it stops (the
    output of every earlier record); line is the failing line's number."""

    def __init__(self, message, results6, stdout, line):
        super().__init__(message)
        self.results6 = results6
        self.stdout = stdout
        self.line = line


def run_batch(test6, *, exact=False, first_line=1):
    """The batch program qubic on the bytes of a coefficient file, in memory.

    Returns (results6, stdout) as bytes, byte for byte what the program writes
    to results6 and to standard output for the same test6.  A field that
    cannot be read raises RecordError (a ValueError) with the program's
    message.  first_line is the number of the first line in messages, for a
    block cut from a larger file.  exact=True solves with the exact engine.
    The GIL is released while the records are processed.

    >>> qubic.run_batch(b"1.".rjust(16) + b"-6.".rjust(16) + b"11.".rjust(16) + b"-6.".rjust(16))[1]
    b'3 1.9999999 1.0000001\\n0 0 0\\n'
    """
    if not isinstance(test6, bytes):
        raise TypeError(f"run_batch: test6 must be bytes, not {type(test6).__name__}")
    if first_line < 1:
        raise ValueError("run_batch: first_line must be at least 1")
    results6, stdout, message, line = _qubic.run_batch(test6, bool(exact), int(first_line))
    if message is not None:
        raise RecordError(message, results6, stdout, line)
    return results6, stdout


def flag_meaning(code):
    """The meaning of a flag code in plain words ("found and usable" for 1,
    "not computed" for -6; "unknown flag code" for a code the solver never
    returns)."""
    return _qubic.flag_meaning(int(code))
