"""The checks of qubic's non-coefficient arguments, shared by qubic and qubic.dask.

Each returns the value as a plain Python bool or int, or raises TypeError
(wrong kind) or ValueError (right kind, out of range) naming the argument;
precision returns a numpy scalar type and raises only ValueError.

    >>> switch(np.bool_(True), "exact"), count(np.int64(3), "threads")
    (True, 3)
"""
import operator

import numpy as np


def switch(value, name):
    """True or False: a bool or a numpy.bool_; anything else, even a truthy
    string such as "no", is a TypeError."""
    if isinstance(value, (bool, np.bool_)):
        return bool(value)
    raise TypeError(f"{name} must be True or False, not {value!r}")


def count(value, name, minimum=1):
    """An int (Python or numpy integer, not bool, not float) of at least
    minimum."""
    if isinstance(value, (bool, np.bool_)):
        raise TypeError(f"{name} must be an int, not bool")
    try:
        value = operator.index(value)
    except TypeError:
        raise TypeError(f"{name} must be an int, not {type(value).__name__}") from None
    if value < minimum:
        raise ValueError(f"{name} must be at least {minimum}, not {value}")
    return value


def threads(value):
    """None (one thread per core) as 0, or a positive count."""
    return 0 if value is None else count(value, "threads")


def precision(value):
    """numpy.float32 or numpy.float64 from a dtype argument: those types,
    their numpy.dtype or their names ("float32", "f8", float, ...).  Anything
    else is a ValueError, None too (numpy.dtype(None) would be float64, a
    precision the caller did not name)."""
    try:
        dt = None if value is None else np.dtype(value)
    except (TypeError, ValueError):  # not a dtype at all
        dt = None
    if dt == np.float32:
        return np.float32
    if dt == np.float64:
        return np.float64
    raise ValueError(f"dtype must be numpy.float32 or numpy.float64, not {value!r}")
