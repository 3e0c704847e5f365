# qubic.solve: shapes, dtypes, and the same bits as qubic-solve --csv.
from fractions import Fraction

import numpy as np
import pytest

import qubic
from conftest import bits, gencubics, program, same

# (arguments, the broadcast shape or the exception raised).  Each cubic must
# land where broadcasting puts it, from any strides.
SHAPES = [
    ((1, -6, 11, -6), ()),
    ((1, [0, 1, 2], [-1, 0, 1], 0), (3,)),
    ((np.arange(1, 3.0).reshape(2, 1), np.arange(3.0).reshape(1, 3), 0, -1), (2, 3)),
    ((np.zeros((0, 4)),), (0,)),
    ((np.arange(48.0).reshape(2, 3, 8)[..., ::2],), (2, 3)),  # the trailing axis of 4, strided
    ((np.ones((5, 3)),), ValueError),
    (([1, 2], [1, 2, 3], 0, 0), ValueError),
    ((np.ones(4), 1), TypeError),
    ((np.ones((2, 4)) * 1j,), TypeError),
    ((np.array([[10**30, 1, 1, 1]], dtype=object),), TypeError),
]


@pytest.mark.parametrize("args,shape", SHAPES)
def test_shapes_and_broadcasting(args, shape):
    if not isinstance(shape, tuple):
        with pytest.raises(shape):
            qubic.solve(*args)
        return
    s = qubic.solve(*args)
    assert [(a.shape, a.dtype) for a in s] == [(shape + (3,), np.complex64), (shape + (3,), np.int32), (shape, bool)]
    parts = np.broadcast_arrays(*args) if len(args) == 4 else np.moveaxis(args[0], -1, 0)
    for idx in np.ndindex(shape):
        assert same([a[idx] for a in s], qubic.solve(*(float(np.asarray(p)[idx]) for p in parts)))


# Rounding once to float32: (input a2 of x^3 + a2 x^2 - 1, the single it must
# become, the single a wrong rounding gives), worked by hand.
ONE_ROUNDING = [
    # 2^60 + 2^36 + 1 lies just above the midpoint 2^60 + 2^36 of the singles
    # 2^60 and 2^60 + 2^37: one rounding goes up; through float64 first the
    # +1 is lost, the tie goes to even and gives 2^60.
    (np.int64(2**60 + 2**36 + 1), 2.0**60 + 2.0**37, 2.0**60),
    (np.float64(1 + 2.0**-24 + 2.0**-52), 1 + 2.0**-23, 1.0),  # above the midpoint: truncation gives 1
    (np.float64(1 + 2.0**-24), 1.0, 1 + 2.0**-23),             # the midpoint: to even, not up
    (np.float64(1e39), np.inf, np.finfo(np.float32).max),      # beyond the range: infinite, refused
]


@pytest.mark.parametrize("given,right,wrong", ONE_ROUNDING)
def test_coefficients_are_rounded_once(given, right, wrong):
    a, b, c = (qubic.solve(1, x, 0, -1) for x in (given, np.float32(right), np.float32(wrong)))
    assert same(a, b) and not same(a, c)


@pytest.mark.parametrize("value", [np.inf, np.nan, np.float32(1e-40)])
def test_refused_coefficient(value):
    s = qubic.solve([1, value], 1, 1, 1)
    assert s.flags.tolist() == [[1, 1, 1], [-2, -2, -2]] and s.solved.tolist() == [True, False]
    assert np.isnan(s.roots[1].real).all() and np.isnan(s.roots[1].imag).all()


def test_flag_constants_and_meanings():
    codes = {"FOUND": 1, "ALL_ROOTS": 0, "NO_ROOT": -1, "REFUSED": -2, "UNUSABLE": -3,
             "DEGRADED": -4, "UNCLEAN": -5, "NOT_COMPUTED": -6}
    assert {name: getattr(qubic, name) for name in codes} == codes
    assert [qubic.flag_meaning(c) for c in (1, -6, 2, -7)] == ["found and usable", "not computed"] + ["unknown flag code"] * 2


def single(text):
    # The single nearest to the decimal text (ties to even), read exactly with
    # rationals; a text the CLI leaves empty (not computed) gives NaN.
    if not text or "n" in text:  # "", nan, inf and their negatives
        return np.float32(text or "nan")
    q = Fraction(text)
    near = np.float32(float(q))  # within one step of the answer
    with np.errstate(over="ignore"):  # the step beyond the largest single is infinite, and skipped
        near = [near] + [np.nextafter(near, np.float32(d), dtype=np.float32) for d in (-np.inf, np.inf)]
    best = min((c for c in near if np.isfinite(c)), key=lambda c: (abs(Fraction(float(c)) - q), int(bits(c)) & 1))
    return np.copysign(best, np.float32(-1 if text[0] == "-" else 1))  # -0 stays -0


def test_same_bits_as_the_cli(exact):
    # Every flag and every root's bits equal what qubic-solve --csv prints for
    # the same cubics; a root it leaves empty is NaN here.
    cubics = [c for f in ["uniform", "realroots", "complexroots", "nearmultiple", "wide", "special"]
              for c in gencubics.cubics(f, 1500, 12)]
    lines = "".join(gencubics.format_line(c, "csv") + "\n" for c in cubics)
    out = program("QUBIC_SOLVE_EXE", "--csv", *["--exact"] * exact, input=lines, text=True, check=True).stdout
    rows = [row.split(",") for row in out.splitlines()[1:]]
    s = qubic.solve(np.array(cubics, dtype=np.float32), exact=exact)
    assert np.array_equal(np.array([[int(x) for x in row[4:7]] for row in rows], dtype=np.int32), s.flags)
    theirs = np.array([[single(x) for x in row[7:13]] for row in rows], dtype=np.float32)
    ours = s.roots.view(np.float32).reshape(-1, 6)
    alike = (bits(theirs) == bits(ours)) | (np.isnan(theirs) & np.isnan(ours))
    assert alike.all(), [(i, rows[i]) for i in np.flatnonzero(~alike.all(axis=1))[:3]]


def test_threads_change_no_bit(exact):
    # 50,000 cubics in three slices of at least 16,384, against one thread.
    c = np.random.default_rng(13).standard_normal((50000, 4)).astype(np.float32)
    assert same(qubic.solve(c, exact=exact, threads=3), qubic.solve(c, exact=exact, threads=1))


def test_docstring_examples():
    import doctest
    assert doctest.testmod(qubic, extraglobs={"qubic": qubic}).failed == 0
