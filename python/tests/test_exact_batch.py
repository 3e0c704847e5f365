# qubic.solve(..., exact=True) runs the exact engine's batch path: its bits
# must be those of the scalar engine (solve_exact, one call per cubic) for
# every cubic, however the array is laid out and however many threads share
# it (and the solver's, exact=False, those of plain rows).  That the scalar
# engine's bits are qubic-solve --exact's is test_solve.py's
# test_same_bits_as_the_cli, and that they are the true roots correctly
# rounded, tests/exact against the rational reference.
import numpy as np
import pytest

import qubic
from conftest import gencubics, same
from qubic import _qubic

BIG, TINY = np.finfo(np.float32).max, float(np.float32(1e-40))  # TINY: subnormal
INF, NAN = np.inf, np.nan
# Cubics of every path of the engine's screening and of its slow classes (like the
# rows of tests/exact NamedExamples and CostsWithinBounds), among the seeded ones.
HARD = [
    (0, 0, 0, 0), (-0.0, 0, -0.0, -0.0),           # every number a root
    (1, -3, 2, 0),                                 # a root exactly 0
    (0, 1, -3, 2), (-0.0, -1, 4.96193123, -1.83648694), (0, 6.48907092e17, -2.33793419e34, 1.49627788e36),
    (0, 0, 2, -1), (0, 0, 0, 5),                   # linear; no root
    (1, INF, 0, 0), (-INF, 1, 1, 1), (1, 1, NAN, 1),  # refused
    (TINY, 0, 0, -TINY), (1, -TINY, 0, 0),          # subnormal coefficients; a subnormal root
    (1e-30, -1e30, 0, 0), (-2.0**-149, 2.0**110, 2.0**119, 2.0**126),  # a root beyond the range
    (-1024, 555745280, -8.76173328e13, 3.16659349e18), (1, -3, 3, -1),  # double and triple roots
    (BIG, -BIG, BIG, -BIG),
]
FAMILIES = ["special", "nearmultiple", "wide", "realroots", "complexroots", "uniform"]


def cubics():
    # The hard rows and 300 seeded cubics of each family, repeated past three
    # threads' worth (16,384 cubics each); 1,818 is not a multiple of the
    # 256-cubic blocks, so each copy meets the blocks at another offset.
    base = HARD + [c for f in FAMILIES for c in gencubics.cubics(f, 300, 17)]
    with np.errstate(over="ignore"):
        base = np.array(base, dtype=np.float32)
    return np.resize(base, (3 * 16384 + 1001, 4))


C = cubics()
N = len(C)
ALL = np.arange(N)


@pytest.fixture(scope="module")
def scalar():
    return _qubic.solve_exact_each(C, 1)


@pytest.fixture(scope="module")
def rows_solved():
    # The solver (exact=False) reads the same strides: its answers on C's
    # plain rows, one thread.
    return qubic.solve(C, threads=1)


def widened(c):
    w = np.full((len(c), 8), NAN, np.float32)
    w[:, ::2] = c
    return w[:, ::2]


def unaligned(c):
    raw = np.zeros(c.nbytes + 1, np.uint8)[1:].view(np.float32).reshape(c.shape)
    raw[...] = c
    assert not raw.flags.aligned
    return raw


# (why, the arguments of qubic.solve, the rows of C its results hold, in order).
LAYOUTS = [
    ("contiguous rows", lambda: (C,), ALL),
    ("every other column of a wider array", lambda: (widened(C),), ALL),
    ("rows in reverse: a negative row stride", lambda: (C[::-1],), ALL[::-1]),
    ("column-major: row stride 1, column stride n", lambda: (np.asfortranarray(C),), ALL),
    ("every third row", lambda: (C[::3],), ALL[::3]),
    ("one row broadcast to all: row stride 0", lambda: (np.broadcast_to(C[11], C.shape),), np.full(N, 11)),
    ("a (k, 3, 4) view numpy cannot flatten", lambda: (C[: N // 6 * 6].reshape(-1, 6, 4)[:, 1::2],),
     ALL[: N // 6 * 6].reshape(-1, 6)[:, 1::2].ravel()),
    ("an unaligned buffer, copied", lambda: (unaligned(C),), ALL),
    ("big-endian floats, converted", lambda: (C.astype(">f4"),), ALL),
    ("four arguments, stacked", lambda: tuple(C.T), ALL),
]


@pytest.mark.parametrize("threads", [1, 3])
@pytest.mark.parametrize("why,args,rows", LAYOUTS, ids=[a[0] for a in LAYOUTS])
def test_no_layout_or_thread_count_changes_a_bit(why, args, rows, threads, exact, scalar, rows_solved):
    s = qubic.solve(*args(), exact=exact, threads=threads)
    flat = [a.reshape((len(rows),) + a.shape[s.solved.ndim:]) for a in s]
    want = [a[rows] for a in (scalar if exact else rows_solved)]
    assert same(flat, want), C[rows[differing(flat, want)[:3]]]


def differing(x, y):
    # The cubics whose results differ in any bit, by index.
    rows = [(a.reshape(len(a), -1).view(np.uint8) != b.reshape(len(b), -1).view(np.uint8)).any(axis=1)
            for a, b in zip(x, y)]
    return np.flatnonzero(np.any(rows, axis=0))


# Arrays the module itself refuses rather than reads: the Python half never
# passes them (it copies or converts first).
BAD = [
    ("float64", np.zeros((2, 4))),
    ("byte-swapped floats", np.zeros((2, 4), ">f4")),
    ("unaligned", unaligned(np.zeros((2, 4), np.float32))),
    ("a row stride of a float and a half", np.lib.stride_tricks.as_strided(np.zeros(8, np.float32), (2, 4), (6, 4))),
    ("three columns", np.zeros((2, 3), np.float32)),
    ("one axis", np.zeros(8, np.float32)),
]


@pytest.mark.parametrize("why,array", BAD, ids=[b[0] for b in BAD])
def test_the_module_refuses_unreadable_arrays(why, array, exact):
    with pytest.raises(ValueError, match="coefficients must"):
        _qubic.solve_float(array, exact, 1)
