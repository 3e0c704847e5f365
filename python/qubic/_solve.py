"""qubic.solve, its result and the words for its flags."""
import operator
from collections import namedtuple

import numpy as np

from . import _checks, _qubic
from ._rounding import real

Solution = namedtuple("Solution", ["roots", "flags", "solved"], module="qubic")
Solution.__doc__ = """The roots of cubics with their flags.

roots   complex64 (complex128 with dtype=numpy.float64), shape (..., 3):
        root k of each cubic; NaN in both parts where the solver did not
        compute that root
flags   int32, shape (..., 3): the flag of each root (see flag_meaning)
solved  bool, shape (...): all three flags are FOUND"""


def names(coeffs):
    """The names of solve's coefficient arguments, by how many there are."""
    if len(coeffs) == 1:
        return ("c",)
    if len(coeffs) == 4:
        return ("a3", "a2", "a1", "a0")
    raise TypeError(f"solve() takes 1 or 4 coefficient arguments ({len(coeffs)} given)")


def four_last(c):
    """c itself, once its last axis is known to hold the 4 coefficients."""
    if c.ndim == 0 or c.shape[-1] != 4:
        raise ValueError(f"solve(c): the last axis of c must hold 4 coefficients, got shape {c.shape}")
    return c


def solver_dtype(dtype, exact):
    """The precision solve asks for, numpy.float32 or numpy.float64, once
    float64 is known to come with the exact engine."""
    dtype = _checks.precision(dtype)
    if dtype == np.float64 and not exact:
        raise ValueError("dtype=numpy.float64 needs exact=True: the solver is single precision")
    return dtype


def solve(*coeffs, exact=False, threads=None, dtype=np.float32):
    """Solve cubics a3 x^3 + a2 x^2 + a1 x + a0, highest power first.

    solve(a3, a2, a1, a0): four array-likes that broadcast together;
    solve(c): one array-like whose last axis holds a3, a2, a1, a0.

    Every coefficient is rounded once to float32, ties to even (float64 and
    integer arrays by one correctly rounded cast, Python ints with integer
    arithmetic, float32 input used as it is); the cubic solved is the one
    with these single-precision coefficients.  A value beyond the single
    range becomes an infinity of its sign.  Lists and object arrays of Python
    ints and floats are accepted; complex numbers, strings and other objects
    raise TypeError.

    dtype: numpy.float32 (default) as above, or numpy.float64 with
    exact=True: every coefficient is then rounded once to float64 instead
    (float64 input used as it is, Python ints with integer arithmetic), the
    cubic solved is the one with these double coefficients, and each part of
    each root is correctly rounded to double (roots complex128).  float64
    without exact=True, or any other dtype, raises ValueError: the solver
    is single precision.

    exact: False (default) for the solver, True for the exact engine (every
    root correctly rounded), whose vectorized batch path solves several
    cubics per instruction with the scalar engine's bits.  They refuse
    different cubics: the solver one with an infinite, NaN or subnormal
    coefficient, the exact engine only one with an infinite or NaN
    coefficient (flags REFUSED, roots NaN); see flag_meaning(code, exact)
    for what each flag says with each engine.

    threads: how many threads share the cubics, a positive int (default
    None: one per core; below 16,384 cubics per thread, fewer).  The cubics
    are independent, so the results are the same bits for any count.

    Returns Solution(roots, flags, solved) with shapes (..., 3), (..., 3) and
    (...), where ... is the broadcast shape of the coefficients.  No Python
    code runs per cubic of a numeric array, an array already in the dtype
    asked for is read in place whatever its strides, and the GIL is
    released while solving.

    >>> qubic.solve([[1, 0, 0, -1], [0, 1, -3, 2]]).flags
    array([[ 1,  1,  1],
           [ 1,  1, -1]], dtype=int32)
    """
    exact = _checks.switch(exact, "exact")
    threads = _checks.threads(threads)
    dtype = solver_dtype(dtype, exact)
    parts = [real(x, name, dtype) for x, name in zip(coeffs, names(coeffs))]
    c = four_last(parts[0]) if len(parts) == 1 else np.stack(np.broadcast_arrays(*parts), axis=-1)
    shape = c.shape[:-1]
    # A view where numpy can make one (the module reads rows and columns at
    # any stride, a broadcast row included); a copy only for an unaligned
    # buffer, whose floats cannot be read in place (ascontiguousarray would
    # keep a contiguous one as it is).
    flat = c.reshape(-1, 4)
    if not flat.flags.aligned:
        flat = flat.copy()
    # A count beyond the cubics gains nothing; capped, it fits the C++ size.
    threads = min(threads, max(len(flat), 1))
    if dtype == np.float64:
        roots, flags, solved = _qubic.solve_double(flat, threads)
    else:
        roots, flags, solved = _qubic.solve_float(flat, exact, threads)
    return Solution(roots.reshape(shape + (3,)), flags.reshape(shape + (3,)), solved.reshape(shape))


def flag_meaning(code, exact=False):
    """The meaning of a flag code in plain words, for the solver (exact=False)
    or the exact engine (exact=True), whose codes 1, -2 and -3 say something
    else there; "unknown flag code" for a code that engine never returns.

    >>> qubic.flag_meaning(1), qubic.flag_meaning(1, exact=True)
    ('found and usable', 'correctly rounded')
    """
    code = operator.index(code)
    exact = _checks.switch(exact, "exact")
    return _qubic.flag_meaning(min(max(code, -2**63), 2**63 - 1), exact)
