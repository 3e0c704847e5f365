"""Coefficients rounded once to the solver's precision.

real(x, name, dtype) is x as an array of dtype (float32 or float64), each value
rounded once to the nearest, ties to even:

- floating-point input (float64, longdouble, ...) and integer input of a
  numeric dtype by numpy's cast, which is one correctly rounded conversion;
- Python ints, alone or in lists and object arrays, with integer arithmetic,
  so that an int beyond 2^53 is not first rounded to float64 (a second
  rounding can land on the other side of a midpoint);
- a value beyond the range becomes an infinity of its sign, one below it the
  nearest subnormal or a signed zero.

Complex numbers, strings and other objects raise TypeError.

    >>> real([1, 2**63 + 2**39 + 1], "c").tolist()      # 2^63 + 2^40: one rounding
    [1.0, 9.223373136366404e+18]
    >>> np.float32(np.float64(2**63 + 2**39 + 1))       # through float64: 2^63
    9.223372e+18
"""
import numpy as np

_EXACT_IN_DOUBLE = 2.0**53  # every int of magnitude below this is a double


def real(x, name, dtype=np.float32):
    a = np.asarray(x)
    # numpy makes float64 of a list that mixes ints with floats (or with ints
    # beyond int64): an int of 2^53 or more may have been rounded there, so
    # such a list is converted element by element instead.
    ints_rounded = isinstance(x, (list, tuple)) and a.dtype == np.float64 and bool(np.any(abs(a) >= _EXACT_IN_DOUBLE))
    if a.dtype == object or ints_rounded:
        objects = np.asarray(x, dtype=object)
        out = np.empty(objects.shape, dtype)
        for i, v in enumerate(objects.flat):
            out.flat[i] = _one(v, name, dtype)
        return out
    if a.dtype.kind not in "fiub":
        raise TypeError(f"{name}: coefficients must be real numbers, not {a.dtype}")
    with np.errstate(over="ignore"):
        return a.astype(dtype, copy=False)


def _one(v, name, dtype):
    if isinstance(v, (int, np.integer)):  # bool is an int
        return _int(int(v), dtype)
    if isinstance(v, (float, np.floating, np.bool_)):
        with np.errstate(over="ignore"):
            return dtype(v)
    raise TypeError(f"{name}: coefficients must be real numbers, not {type(v).__name__}")


def _int(n, dtype):
    """The int n rounded to dtype, ties to even, beyond the range +-inf.

    Keep the top p bits of |n| (p = 24 for float32) in q; the bits shifted out
    decide: above half an ulp q goes up, at exactly half it goes up when odd.
    q may carry to 2^p, which is still exact.  The rounded value q 2^shift
    overflows when it reaches 2^maxexp (2^128 for float32: the largest single
    is (2^24 - 1) 2^104, and the midpoint between it and 2^128 rounds to the
    even 2^128).  Below that, q 2^shift has at most p significant bits, so the
    double float(q << shift) and its conversion to dtype are exact.

    >>> _int(2**24 + 1, np.float32), _int(2**24 + 3, np.float32)   # ties: to q = 2^23, 2^23 + 2
    (16777216.0, 16777220.0)
    """
    info = np.finfo(dtype)
    digits = info.nmant + 1
    m = abs(n)
    shift = max(m.bit_length() - digits, 0)
    q, r = divmod(m, 1 << shift)
    half = (1 << shift) >> 1
    if shift and (r > half or (r == half and q & 1)):
        q += 1
    value = q << shift
    magnitude = np.inf if value >= 1 << info.maxexp else float(value)
    return dtype(-magnitude if n < 0 else magnitude)
