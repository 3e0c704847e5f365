# qubic.solve(..., exact=True) runs the exact engine's batch path: its bits
# must be those of the scalar engine (solve_exact, one call per cubic) for
# every cubic, however the array is laid out and however many threads share
# it (and the solver's, exact=False, those of plain rows).  That the scalar
# engine's bits are qubic-solve --exact's is test_solve.py's
# test_same_bits_as_the_cli; the hard rows below also carry answers worked
# by hand.
import numpy as np
import pytest

import qubic
from conftest import bits, gencubics, same
from qubic import _qubic

BIG, TINY = np.finfo(np.float32).max, float(np.float32(1e-40))  # TINY: subnormal
INF, NAN = np.inf, np.nan
SQRT3_2 = float.fromhex("0x1.bb67aep-1")  # sqrt(3)/2 = 0x1.bb67ae8584caap-1, 0.26 ulp above this single
# (why, a3 a2 a1 a0, flags, roots; None: a root not worked by hand).  Real
# roots ascend, then the pair with the positive imaginary part first; an
# exact zero is +0, an unwritten root NaN.
HARD = [
    ("all zero: every number a root", (0, 0, 0, 0), (0, 0, 0), (NAN, NAN, NAN)),
    ("signed zeros only", (-0.0, 0, -0.0, -0.0), (0, 0, 0), (NAN, NAN, NAN)),
    ("x(x - 1)(x - 2): a root exactly 0", (1, -3, 2, 0), (1, 1, 1), (0, 1, 2)),
    ("quadratic (x - 1)(x - 2)", (0, 1, -3, 2), (1, 1, -1), (1, 2, NAN)),
    ("quadratic, -0 leading", (-0.0, -1, 4.96193123, -1.83648694), (1, 1, -1), (None, None, NAN)),
    ("quadratic over 19 decades", (0, 6.48907092e17, -2.33793419e34, 1.49627788e36), (1, 1, -1), (None, None, NAN)),
    ("linear 2x - 1", (0, 0, 2, -1), (1, -1, -1), (0.5, NAN, NAN)),
    ("nonzero constant: no root", (0, 0, 0, 5), (-1, -1, -1), (NAN, NAN, NAN)),
    ("infinite coefficient: refused", (1, INF, 0, 0), (-2, -2, -2), (NAN, NAN, NAN)),
    ("-inf leading: refused", (-INF, 1, 1, 1), (-2, -2, -2), (NAN, NAN, NAN)),
    ("NaN: refused", (1, 1, NAN, 1), (-2, -2, -2), (NAN, NAN, NAN)),
    ("subnormal coefficients, x^3 - 1", (TINY, 0, 0, -TINY), (1, 1, 1),
     (1, complex(-0.5, SQRT3_2), complex(-0.5, -SQRT3_2))),
    ("x^2 (x - TINY): a subnormal root", (1, -TINY, 0, 0), (1, 1, -3), (0, 0, TINY)),
    ("x^2 (1e-30 x - 1e30): a root beyond the range", (1e-30, -1e30, 0, 0), (1, 1, -3), (0, 0, INF)),
    # Over 2^110: -2^-259 x^3 + (x + 256)^2, a real root near 2^259 and a
    # pair near -256 whose imaginary part is about 2^-117.5 (normal).
    ("|a2/a3| beyond 2^256", (-2.0**-149, 2.0**110, 2.0**119, 2.0**126), (-3, 1, 1), (INF, None, None)),
    # -1024 (x - 51200)(x - 245760)^2, every coefficient a single exactly.
    ("double root 245760, simple root 51200", (-1024, 555745280, -8.76173328e13, 3.16659349e18), (1, 1, 1),
     (51200, 245760, 245760)),
    ("triple root 1", (1, -3, 3, -1), (1, 1, 1), (1, 1, 1)),
    ("BIG (x - 1)(x^2 + 1)", (BIG, -BIG, BIG, -BIG), (1, 1, 1), (1, complex(0, 1), complex(0, -1))),
]
FAMILIES = ["special", "nearmultiple", "wide", "realroots", "complexroots", "uniform"]


def cubics():
    # The hard rows and 300 seeded cubics of each family, repeated past three
    # threads' worth (16,384 cubics each); 1,818 is not a multiple of the
    # 256-cubic blocks, so each copy meets the blocks at another offset.
    base = [c for _, c, _, _ in HARD] + [c for f in FAMILIES for c in gencubics.cubics(f, 300, 17)]
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


def test_hard_rows_by_hand():
    s = qubic.solve(C[: len(HARD)], exact=True)
    for (why, _, flags, roots), got_flags, got in zip(HARD, s.flags, s.roots):
        assert got_flags.tolist() == list(flags), why
        for want, z in zip(roots, got):
            if want is None:
                continue
            want = np.complex64(complex(want) if want == want else complex(NAN, NAN))
            parts = [(want.real, z.real), (want.imag, z.imag)]
            assert all(np.isnan(w) and np.isnan(g) or bits(w) == bits(g) for w, g in parts), (why, want, z)


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
