"""qubic.solve: shapes, dtypes, and the same bits as qubic-solve --csv."""
from fractions import Fraction

import numpy as np
import pytest

import qubic
from conftest import gencubics, has_exact_option, solve_tool_csv


def bits(a):
    return np.ascontiguousarray(a).view(np.uint32)


# Shapes: (arguments, broadcast shape).  The coefficients are arbitrary; the
# check is that each cubic lands where broadcasting puts it.
SHAPES = [
    ("four scalars", (1, -6, 11, -6), ()),
    ("one trailing axis of 4", (np.ones((5, 4)),), (5,)),
    ("scalar a3 with vectors", (1, [0, 1, 2], [-1, 0, 1], 0), (3,)),
    ("column against row", (np.ones((2, 1)), np.ones((1, 3)), 0, -1), (2, 3)),
    ("empty batch", (np.zeros((0, 4)),), (0,)),
    ("3-d trailing axis", (np.arange(24.0).reshape(2, 3, 4),), (2, 3)),
]


@pytest.mark.parametrize("why,args,shape", SHAPES, ids=[s[0] for s in SHAPES])
def test_shapes_and_broadcasting(why, args, shape):
    s = qubic.solve(*args)
    assert (s.roots.shape, s.flags.shape, s.solved.shape) == (shape + (3,), shape + (3,), shape)
    assert (s.roots.dtype, s.flags.dtype, s.solved.dtype) == (np.complex64, np.int32, np.bool_)
    # Each cubic is the one broadcasting gives: compare with a single solve.
    parts = np.broadcast_arrays(*args) if len(args) == 4 else np.moveaxis(args[0], -1, 0)
    for idx in np.ndindex(shape):
        one = qubic.solve(*(float(np.asarray(p)[idx]) for p in parts))
        assert np.array_equal(bits(s.roots[idx]), bits(one.roots)) and np.array_equal(s.flags[idx], one.flags)


@pytest.mark.parametrize("args,error", [
    ((np.ones((5, 3)),), ValueError),
    ((np.ones(4), 1), TypeError),
    ((np.ones((2, 4)) * 1j,), TypeError),
    ((np.array([[10**30, 1, 1, 1]], dtype=object),), TypeError),
    (([1, 2], [1, 2, 3], 0, 0), ValueError),
])
def test_refused_arguments(args, error):
    with pytest.raises(error):
        qubic.solve(*args)


# Rounding once to float32: (why, input coefficient a2 of x^3 + a2 x^2 - 1,
# the single it must become, worked by hand).
ONE_ROUNDING = [
    # 2^60 + 2^36 + 1 lies just above the midpoint 2^60 + 2^36 of the singles
    # 2^60 and 2^60 + 2^37: one rounding goes up; through float64 first the
    # +1 is lost, the tie goes to even and gives 2^60.
    ("int64 rounded once", np.int64(2**60 + 2**36 + 1), np.float32(2.0**60 + 2.0**37)),
    # 1 + 2^-24 + 2^-52 is above the midpoint of 1 and 1 + 2^-23.
    ("float64 rounded once", np.float64(1 + 2.0**-24 + 2.0**-52), np.float32(1 + 2.0**-23)),
    ("float64 tie to even", np.float64(1 + 2.0**-24), np.float32(1.0)),
    ("float64 beyond the range", np.float64(1e39), np.float32(np.inf)),
    ("float64 below the range", np.float64(1e-50), np.float32(0.0)),
    ("float16 exact", np.float16(0.5), np.float32(0.5)),
    ("bool", True, np.float32(1.0)),
]


@pytest.mark.parametrize("why,given,single", ONE_ROUNDING, ids=[r[0] for r in ONE_ROUNDING])
def test_coefficients_are_rounded_once(why, given, single):
    a = qubic.solve(1, given, 0, -1)
    b = qubic.solve(np.float32(1), single, np.float32(0), np.float32(-1))
    assert np.array_equal(bits(a.roots), bits(b.roots)) and np.array_equal(a.flags, b.flags)


def test_rounding_cases_tell_apart():
    """The cubics of the rounding table differ from those of the wrong
    roundings, so the table can fail."""
    right = qubic.solve(1, np.float32(2.0**60 + 2.0**37), 0, -1)
    wrong = qubic.solve(1, np.float32(2.0**60), 0, -1)
    assert not np.array_equal(bits(right.roots), bits(wrong.roots))


@pytest.mark.parametrize("value", [np.inf, -np.inf, np.nan, np.float32(1e-40)])
def test_refused_coefficient(value):
    s = qubic.solve([1, value], 1, 1, 1)
    assert s.flags.tolist() == [[1, 1, 1], [-2, -2, -2]] and s.solved.tolist() == [True, False]
    assert np.isnan(s.roots[1].real).all() and np.isnan(s.roots[1].imag).all()


def test_flag_constants_and_meanings():
    codes = {"FOUND": 1, "ALL_ROOTS": 0, "NO_ROOT": -1, "REFUSED": -2, "UNUSABLE": -3,
             "DEGRADED": -4, "UNCLEAN": -5, "NOT_COMPUTED": -6}
    assert {name: getattr(qubic, name) for name in codes} == codes
    assert qubic.flag_meaning(1) == "found and usable" and qubic.flag_meaning(-6) == "not computed"
    assert {qubic.flag_meaning(c) for c in (2, -7, 2**40)} == {"unknown flag code"}


ENGINES = [False] + ([True] if qubic.exact_available else [])


def test_exact_reaches_the_exact_engine():
    """(x - 1)(x - 2)(x - 3): the exact engine gives the true roots 1, 2, 3,
    ascending; the default solver 3, 2 - 2^-23, 1 + 2^-23."""
    if not qubic.exact_available:
        with pytest.raises(NotImplementedError):
            qubic.solve(1, -6, 11, -6, exact=True)
        return
    assert qubic.solve(1, -6, 11, -6, exact=True).roots.tolist() == [1, 2, 3]
    assert qubic.solve(1, -6, 11, -6).roots.tolist() == [3, 2 - 2**-23, 1 + 2**-23]


def single(text):
    """The single nearest to the decimal text (ties to even), read exactly
    with rationals: a text the CLI leaves empty, and "nan", give NaN."""
    if text in ("", "nan", "-nan"):
        return np.float32(np.nan)
    if text.endswith("inf"):
        return np.float32(-np.inf if text[0] == "-" else np.inf)
    q = Fraction(text)
    near = np.float32(float(q))  # within one step of the answer
    with np.errstate(over="ignore"):  # the step beyond the largest single is infinite, and skipped
        steps = [np.nextafter(near, np.float32(d), dtype=np.float32) for d in (-np.inf, np.inf)]
    best = min((c for c in [near] + steps if np.isfinite(c)),
               key=lambda c: (abs(Fraction(float(c)) - q), int(bits(c)) & 1))
    return -best if text[0] == "-" and best == 0 else best


@pytest.mark.parametrize("exact", ENGINES, ids=["qubic", "exact"][:len(ENGINES)])
@pytest.mark.parametrize("family", ["uniform", "realroots", "complexroots", "nearmultiple", "wide", "special"])
def test_same_bits_as_the_cli(family, exact):
    """Every flag and every root's bits equal what qubic-solve --csv prints
    for the same cubics (its shortest texts read back exactly); a root it
    leaves empty (not computed) is NaN here."""
    if exact and not has_exact_option("QUBIC_SOLVE_EXE"):
        pytest.skip("qubic-solve has no --exact in this build")
    cubics = list(gencubics.cubics(family, 1500, 12))
    rows = solve_tool_csv([gencubics.format_line(c, "csv") for c in cubics], exact)
    s = qubic.solve(np.array(cubics, dtype=np.float32), exact=exact)
    assert len(rows) == len(cubics)
    flags = np.array([[int(x) for x in row[4:7]] for row in rows], dtype=np.int32)
    theirs = np.array([[single(x) for x in row[7:13]] for row in rows], dtype=np.float32)
    ours = s.roots.view(np.float32).reshape(-1, 6)
    assert np.array_equal(flags, s.flags)
    same = (bits(theirs) == bits(ours)) | (np.isnan(theirs) & np.isnan(ours))
    assert same.all(), [(i, rows[i]) for i in np.flatnonzero(~same.all(axis=1))[:3]]


def test_docstring_examples():
    import doctest
    assert doctest.testmod(qubic, extraglobs={"qubic": qubic}).failed == 0
