# qubic.solve: shapes, dtypes, and the same bits as qubic-solve --csv.
import sys
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
    ((np.array([[2**100, 1.5, True, np.float16(1)]], dtype=object),), (1,)),  # numbers in an object array
    ((np.array([[1, "1", 1, 1]], dtype=object),), TypeError),                 # but no strings
    (([1, Fraction(1, 3), 1, 1],), TypeError),                                # nor other objects
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


# Rounding once to float32: (input a2 of x^3 + a2 x^2, whose roots 0, 0, -a2
# show a2 as it was rounded; the single it must become, the single a wrong
# rounding gives), worked by hand.
ONE_ROUNDING = [
    # 2^60 + 2^36 + 1 lies just above the midpoint 2^60 + 2^36 of the singles
    # 2^60 and 2^60 + 2^37: one rounding goes up; through float64 first the
    # +1 is lost, the tie goes to even and gives 2^60.
    (np.int64(2**60 + 2**36 + 1), 2.0**60 + 2.0**37, 2.0**60),
    (2**63 + 2**39 + 1, 2.0**63 + 2.0**40, 2.0**63),           # the same for a Python int beyond int64
    (2**24 + 1, 2.0**24, 2.0**24 + 2),                          # a tie between 2^24 and 2^24 + 2: to even
    (2**24 + 3, 2.0**24 + 4, 2.0**24 + 2),                      # a tie between 2^24 + 2 and 2^24 + 4: to even
    # The largest single is (2^24 - 1) 2^104; the midpoint m between it and
    # 2^128 rounds to the even 2^128, infinite; m - 1 rounds down, but through
    # float64 it becomes m and then infinite.
    ((2**24 - 1) * 2**104 + 2**103, np.inf, np.finfo(np.float32).max),
    ((2**24 - 1) * 2**104 + 2**103 - 1, np.finfo(np.float32).max, np.inf),
    (2**200, np.inf, np.finfo(np.float32).max),                 # beyond the range: infinite, refused
    (-2**2000, -np.inf, -np.finfo(np.float32).max),             # beyond even float64's
    (np.float64(1 + 2.0**-24 + 2.0**-52), 1 + 2.0**-23, 1.0),  # above the midpoint: truncation gives 1
    (np.float64(1 + 2.0**-24), 1.0, 1 + 2.0**-23),             # the midpoint: to even, not up
    (np.float64(1e39), np.inf, np.finfo(np.float32).max),      # beyond the range: infinite, refused
]
# The ways a coefficient comes in: its own argument, in a list (numpy makes
# float64 of a list mixing ints and floats), in an object array.
FORMS = {"argument": lambda x: (1, x, 0, 0), "list": lambda x: ([1, x, 0, 0],),
         "object array": lambda x: (np.array([1, x, 0, 0], dtype=object),)}


@pytest.mark.parametrize("form", FORMS)
@pytest.mark.parametrize("given,right,wrong", ONE_ROUNDING)
def test_coefficients_are_rounded_once(given, right, wrong, form):
    a = qubic.solve(*FORMS[form](given))
    b, c = (qubic.solve(1, np.float32(x), 0, 0) for x in (right, wrong))
    assert same(a, b) and not same(a, c)


# (coefficient, refused by the solver, refused by the exact engine).
REFUSED = [(np.inf, True, True), (np.nan, True, True), (np.float32(1e-40), True, False)]


@pytest.mark.parametrize("value,by_solver,by_exact", REFUSED)
def test_refused_coefficient(value, by_solver, by_exact, exact):
    s = qubic.solve([1, value], 1, 1, 1, exact=exact)
    refused = by_exact if exact else by_solver
    assert s.flags[0].tolist() == [1, 1, 1] and (s.flags[1] == -2).all() == refused
    assert np.isnan(s.roots[1].view(np.float32)).all() == refused


def test_flag_constants_and_meanings(exact):
    # The words qubic-solve prints beside each flag, engine by engine.
    codes = {"FOUND": 1, "ALL_ROOTS": 0, "NO_ROOT": -1, "REFUSED": -2, "UNUSABLE": -3,
             "DEGRADED": -4, "UNCLEAN": -5, "NOT_COMPUTED": -6}
    assert {name: getattr(qubic, name) for name in codes} == codes
    cubics = ["1 -6 11 -6", "0 0 0 0", "0 1 1 1", "1 inf 0 0", "1e-30 0 0 1e30", "1 0 0 1e-45"]
    cubics += [gencubics.format_line(c, "csv").replace(",", " ") for c in gencubics.cubics("special", 400, 5)]
    out = program("QUBIC_SOLVE_EXE", *["--exact"] * exact, input="\n".join(cubics) + "\n", text=True).stdout
    said = {int(f[3]): f[4] for f in (line.split(None, 4) for line in out.splitlines() if line[:1].isdigit())}
    assert {1, 0, -1, -2, -3} <= set(said) and said == {c: qubic.flag_meaning(c, exact=exact) for c in said}
    unknown = [2, -7, 2**70] + [-4, -5, -6] * exact
    assert [qubic.flag_meaning(np.int64(c) if c < 2**63 else c, exact) for c in unknown] == ["unknown flag code"] * len(unknown)


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


# Each argument of an unusual type or value, and the error it must raise
# before anything runs (None: accepted, the result as with the defaults).
C = np.ones((3, 4))
ARGUMENTS = [
    ("far more threads than cubics", lambda: qubic.solve(C, threads=2**40), None),
    ("numpy's int and bool", lambda: qubic.solve(C, threads=np.int64(2), exact=np.bool_(False)), None),
    ("a count as a float", lambda: qubic.solve(C, threads=1.5), TypeError),
    ("a count as a bool", lambda: qubic.solve(C, threads=True), TypeError),
    ("no thread", lambda: qubic.solve(C, threads=0), ValueError),
    ("fewer than none", lambda: qubic.solve(C, threads=-1), ValueError),
    ("a truthy string for exact", lambda: qubic.solve(C, exact="no"), TypeError),
    ("an int for exact", lambda: qubic.solve(C, exact=1), TypeError),
    ("the batch job's exact", lambda: qubic.run_batch(b"", exact="no"), TypeError),
    ("line 0", lambda: qubic.run_batch(b"", first_line=0), ValueError),
    ("a line beyond 64 bits", lambda: qubic.run_batch(b"", first_line=2**64), ValueError),
    ("a float line", lambda: qubic.run_batch(b"", first_line=1.0), TypeError),
    ("text, not bytes", lambda: qubic.run_batch(" " * 64), TypeError),
    ("bytes with gaps", lambda: qubic.run_batch(memoryview(b" " * 128)[::2]), TypeError),
    ("a float code", lambda: qubic.flag_meaning(1.0), TypeError),
    ("a string for the meanings' exact", lambda: qubic.flag_meaning(1, "yes"), TypeError),
]


@pytest.mark.parametrize("why,call,error", ARGUMENTS, ids=[a[0] for a in ARGUMENTS])
def test_arguments(why, call, error):
    if error is None:
        assert same(call(), qubic.solve(C))
        return
    with pytest.raises(error, match="threads|exact|first_line|bytes-like|integer"):
        call()


def test_namespace_and_version():
    # The public names and nothing else; the version the programs print.
    assert dir(qubic) == ["ALL_ROOTS", "DEGRADED", "FOUND", "NOT_COMPUTED", "NO_ROOT", "REFUSED", "RecordError",
                          "Solution", "UNCLEAN", "UNUSABLE", "__version__", "flag_meaning", "run_batch", "solve"]
    assert program("QUBIC_EXE", "--version").stdout.decode() == f"qubic {qubic.__version__}\n"


def test_docstring_examples():
    import doctest
    for module in [m for name, m in sorted(sys.modules.items()) if name == "qubic" or name.startswith("qubic.")]:
        assert doctest.testmod(module, extraglobs={"qubic": qubic, "np": np}).failed == 0, module
