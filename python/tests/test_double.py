# qubic.solve(..., exact=True, dtype=numpy.float64): double cubics, complex128
# roots, each part the double nearest to the true value.  Expected roots are
# exact (cubics built from known roots) or worked with mpmath and rationals
# by tools/reference_check.py.
import numpy as np
import pytest

import qubic
from conftest import same

pytest.importorskip("mpmath")
import reference_check  # noqa: E402  (tools/, on the path through conftest)

F64 = dict(exact=True, dtype=np.float64)
NAN = complex(np.nan, np.nan)


def solve64(*coeffs):
    return qubic.solve(*coeffs, **F64)


def bits64(a):
    return np.ascontiguousarray(a).view(np.uint64).tolist()


def x2(k):
    return 2.0**k


# Cubics with exactly known roots: (why, a3..a0, the roots in the engine's
# order, real ascending then the pair with positive imaginary part first,
# the flags).  Every coefficient and every root is exact in double.  The
# double engine's ties, multiple roots and range ends are checked against
# the rational reference in tests/exact64; here, what the module adds: the
# order and flags as written, unwritten roots, and the rounding of its inputs.
KNOWN = [
    ("(x-1)(x-2)(x-3)", (1, -6, 11, -6), (1, 2, 3), (1, 1, 1)),
    ("(x-1)(x^2-2x+2): 1 and 1 +- i", (1, -3, 4, -2), (1, 1 + 1j, 1 - 1j), (1, 1, 1)),
    ("2^-1074 x^3 - x^2: the root 2^1074 overflows", (x2(-1074), -1, 0, 0), (0, 0, np.inf), (1, 1, -3)),
    ("a leading zero: (x-1)(x-2)", (0, 1, -3, 2), (1, 2, NAN), (1, 1, -1)),
    ("a NaN coefficient", (1, np.nan, 0, 0), (NAN,) * 3, (-2, -2, -2)),
    ("an int beyond the double range: +inf", (1, 2**1024, 0, 0), (NAN,) * 3, (-2, -2, -2)),
    # Python ints rounded once to double, not to single: 2^60 + 2^8 is a
    # double (not a single); 2^53 + 1 is a tie between doubles, to even 2^53.
    ("an int exact in double", (1, -(2**60 + 2**8), 0, 0), (0, 0, 2.0**60 + 2**8), (1, 1, 1)),
    ("an int halfway between doubles", (1, -(2**53 + 1), 0, 0), (0, 0, 2.0**53), (1, 1, 1)),
    # Beyond int64, in a list with floats: 2^70 + 2^17 + 1 lies just above
    # the midpoint of 2^70 and 2^70 + 2^18.
    ("an int beyond int64", ([1.0, -(2**70 + 2**17 + 1), 0, 0],), (0, 0, 2.0**70 + 2**18), (1, 1, 1)),
]


@pytest.mark.parametrize("why,coeffs,roots,flags", KNOWN, ids=[k[0] for k in KNOWN])
def test_known_roots(why, coeffs, roots, flags):
    s = solve64(*coeffs)
    assert s.roots.dtype == np.complex128 and s.flags.tolist() == list(flags)
    # Every part by its bits (+0, not -0, for a real root's imaginary part and
    # for an exact zero root), NaN in both parts where nothing is written.
    want = np.array(roots, dtype=np.complex128)
    # NaN's sign and payload carry no meaning: every NaN compared as one.
    def canonical(z):
        parts = z.view(np.float64)
        return bits64(np.where(np.isnan(parts), np.nan, parts))
    assert canonical(s.roots) == canonical(want), s.roots
    assert bool(s.solved) == (flags == (1, 1, 1))


# A float64 coefficient that is not a single is taken as it is: the roots
# differ from those of the float32 cubic wherever the two cubics' roots
# differ in double.  (x^2 (x - c): the root c itself.)
NOT_SINGLE = [0.1, 1 + x2(-30), 1e300, x2(-1074) * 3]


@pytest.mark.parametrize("c", NOT_SINGLE)
def test_double_coefficient_is_not_rounded_to_single(c):
    d, f = solve64(1, -c, 0, 0), qubic.solve(1, -c, 0, 0, exact=True)
    assert d.roots[2] == c and f.roots[2] != c
    assert f.roots.dtype == np.complex64  # the default precision stays single


def random_cubics(rng, n):
    """Seeded double cubics: uniform coefficients, real roots and complex
    pairs over decades (built in double, so the cubic is whatever the
    rounding made it), coefficients 2^-40 .. 2^40 apart; each cubic then
    scaled by a power of two up to 2^+-600."""
    out = []
    for i in range(n):
        kind = i % 4
        if kind == 0:
            c = rng.uniform(-1, 1, 4)
        elif kind == 1:
            r = rng.choice([-1, 1], 3) * 10.0 ** rng.uniform(-6, 6, 3)
            c = [1, -r.sum(), r[0] * r[1] + r[0] * r[2] + r[1] * r[2], -r.prod()]
        elif kind == 2:
            r, u, v = rng.uniform(-1, 1) * 10.0 ** rng.uniform(-4, 4, 3)
            c = [1, -(r + 2 * u), 2 * u * r + u * u + v * v, -r * (u * u + v * v)]
        else:
            c = rng.choice([-1, 1], 4) * np.ldexp(rng.uniform(1, 2, 4), rng.integers(-40, 40, 4))
        out.append(np.asarray(c, dtype=np.float64) * np.ldexp(1.0, int(rng.integers(-600, 600))))
    return np.array(out)


def test_random_cubics_against_mpmath():
    # 200 cubics, numpy seed 16: every flag and every bit of every root part
    # as tools/reference_check.py works them out (mpmath roots, rounded with
    # exact rationals), which shares nothing with the engine or its reference.
    # The last cubic has a subnormal root -d/c (1 + O(2^-1000)) that lies
    # 0.52 of a spacing above a subnormal: it rounds up, flag -3.
    edge = [float.fromhex(x) for x in ("-0x1.3db2c383c32p-4", "-0x1.e85fcc8089b0ap+1", "0x1.503b185838a9dp+0",
                                       "-0x0.1d2c2cc41148cp-1022")]
    cubics = np.vstack([random_cubics(np.random.default_rng(16), 200), [edge]])
    s = solve64(cubics)
    for c, flags, roots in zip(cubics, s.flags, s.roots):
        want, parts = reference_check.rounded([float(x) for x in c], reference_check.DOUBLE)
        assert (flags.tolist(), bits64(roots.view(np.float64))) == (list(want), bits64(np.ravel(parts))), c


def test_layouts_and_threads():
    # Strided, broadcast and list inputs read in place give the cubics they
    # hold; more threads give the same bits (36,000 cubics: three slices).
    c = random_cubics(np.random.default_rng(7), 36000)
    whole = solve64(c)
    assert [a.shape for a in whole] == [(36000, 3), (36000, 3), (36000,)]
    strided = np.zeros((36000, 8))
    strided[:, ::2] = c
    assert same(solve64(strided[:, ::2]), whole) and same(qubic.solve(c, threads=3, **F64), whole)
    assert same(solve64(*c[:5].T.tolist()), qubic.solve(c[:5], **F64))
    assert same(solve64(c[0, 0], c[:3, 1], c[0, 2], c[0, 3]), solve64(np.column_stack(
        [np.full(3, c[0, 0]), c[:3, 1], np.full(3, c[0, 2]), np.full(3, c[0, 3])])))


# dtype arguments: accepted spellings, and the ValueErrors.
DTYPES = [
    ("numpy.float64", dict(exact=True, dtype=np.float64), np.complex128),
    ("its name", dict(exact=True, dtype="float64"), np.complex128),
    ("Python float", dict(exact=True, dtype=float), np.complex128),
    ("numpy.float32", dict(exact=True, dtype=np.float32), np.complex64),
    ("float32 with the solver", dict(dtype=np.dtype("f4")), np.complex64),
    ("float64 with the solver", dict(dtype=np.float64), "needs exact=True"),
    ("float64 with exact=False", dict(exact=False, dtype="f8"), "needs exact=True"),
    ("half precision", dict(exact=True, dtype=np.float16), "float32 or numpy.float64"),
    ("long double", dict(exact=True, dtype=np.longdouble), "float32 or numpy.float64"),
    ("an integer dtype", dict(exact=True, dtype=np.int64), "float32 or numpy.float64"),
    ("None", dict(exact=True, dtype=None), "float32 or numpy.float64"),
    ("not a dtype", dict(exact=True, dtype="double precision"), "float32 or numpy.float64"),
]


@pytest.mark.parametrize("why,kw,result", DTYPES, ids=[d[0] for d in DTYPES])
def test_dtype_argument(why, kw, result):
    if isinstance(result, str):
        with pytest.raises(ValueError, match=result):
            qubic.solve(1, -6, 11, -6, **kw)
        return
    assert qubic.solve(1, -6, 11, -6, **kw).roots.dtype == result


def test_dask_passes_dtype_through():
    da = pytest.importorskip("dask.array")
    import qubic.dask
    c = random_cubics(np.random.default_rng(3), 1000)
    lazy = qubic.dask.solve(da.from_array(c, chunks=(300, 2)), **F64)
    assert lazy.roots.dtype == np.complex128
    assert same(da.compute(*lazy, scheduler="synchronous"), solve64(c))
    with pytest.raises(ValueError, match="needs exact=True"):
        qubic.dask.solve(da.from_array(c), dtype=np.float64)
