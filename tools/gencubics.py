#!/usr/bin/env python3
"""Seeded generator of test cubics for qubic.

    gencubics.py --family F --count N --seed S --format {csv,hex,test6}
    gencubics.py --list

Writes N cubics of family F to standard output (or --out FILE), one cubic per
line, highest power first:

  csv    four coefficients "a3 a2 a1 a0" separated by one blank, each the
         shortest decimal that reads back as the same single-precision value
         ("0.1", "-0", "1e-05", "3.4028235e+38", "inf", "-inf", "nan");
  hex    as csv, each coefficient a hexadecimal floating constant
         ("0x1.8000000000000p+1", "-0x0.0p+0", "inf", "nan");
  test6  one coefficient record: four E16.8 fields of 16 columns each,
         right-justified "0.dddddddd E+nn" ("  0.10000000E+01",
         " -0.60000000E+01"); non-finite values as "Infinity", "-Infinity",
         "NaN", right-justified.

Every coefficient is rounded to single precision before it is written; a
value beyond the single-precision range becomes an infinity of its sign.
The family "double" alone keeps double-precision coefficients (for
qubic-solve --exact --double): csv writes the shortest decimal that reads
back as the same double ("0.1", "-0.0", "5e-324"), and test6, whose fields
hold singles, is refused.
The output depends only on (family, count, seed): the random stream is
seeded from the family name and the seed, never from the clock, and the
first N cubics of a larger count are the same N cubics.

Families:
  uniform       coefficients uniform in [-1, 1]
  realroots     a3 (x - r1)(x - r2)(x - r3), real roots over several decades
  complexroots  a3 (x - r)(x^2 - 2u x + u^2 + v^2), moduli over decades
  nearmultiple  perturbed double and triple real roots, complex pairs close
                to the real axis
  wide          random signs, log-uniform magnitudes over the whole normal
                single-precision range (1.17549435e-38 .. 3.40282347e+38)
  special       zeros in every place, -0, subnormals, infinities, NaN, the
                largest and smallest normal singles, degenerate cubics
                (leading zero, constant zero, all zero)
  mix           all of the above interleaved (the large cross-build input)
  double        double-precision coefficients: the first four families
                unrounded, coefficients over the whole double range,
                subnormal ones, zeros, infinities and NaN, exact multiple
                roots scaled by powers of two, singles among doubles

Standard library only.
"""
import argparse
import math
import random
import struct
import sys

FLT_MAX = struct.unpack("<f", b"\xff\xff\x7f\x7f")[0]      # 0x7f7fffff
FLT_MIN = struct.unpack("<f", b"\x00\x00\x80\x00")[0]      # 0x00800000
FLT_TRUE_MIN = struct.unpack("<f", b"\x01\x00\x00\x00")[0]  # 0x00000001
INF = float("inf")
NAN = float("nan")

_pack = struct.Struct("<f").pack
_unpack = struct.Struct("<f").unpack


def f32(x):
    """Round a Python float to the nearest single; overflow gives +-inf."""
    try:
        return _unpack(_pack(x))[0]
    except OverflowError:
        return math.copysign(INF, x)


def f32_bits(x):
    """The 32-bit pattern of the single nearest to x."""
    return struct.unpack("<I", _pack(f32(x)))[0]


def f32_from_bits(b):
    return struct.unpack("<f", struct.pack("<I", b))[0]


def shortest(x):
    """Shortest decimal text that reads back as the same single as x.

    x must already be a single-precision value.  Tries '%.{p}g' for
    p = 1 .. 9 and keeps the first text that rounds back to the same bits
    (9 significant digits always do)."""
    if x != x:
        return "nan"
    if x == INF:
        return "inf"
    if x == -INF:
        return "-inf"
    want = _pack(x)
    for p in range(1, 10):
        s = "%.*g" % (p, x)
        try:
            back = _pack(float(s))
        except OverflowError:       # "3.403e+38" lies beyond the range
            continue
        if back == want:
            return s
    raise AssertionError("no 9-digit round trip for %r" % x)


def e16(x):
    """E16.8 field of the single x: 16 columns, right-justified."""
    if x != x:
        body = "NaN"
    elif x == INF:
        body = "Infinity"
    elif x == -INF:
        body = "-Infinity"
    elif x == 0.0:
        body = ("-" if math.copysign(1.0, x) < 0 else "") + "0.00000000E+00"
    else:
        # d.dddddddE+xx, correctly rounded to 8 significant digits, carries
        # included (9.99999997e-7 gives 1.0000000E-06).
        s = "%.7E" % abs(x)
        mant, ex = s.split("E")
        e = int(ex) + 1                 # d.ddddddd 10^x == 0.dddddddd 10^(x+1)
        body = "%s0.%s%sE%s%02d" % ("-" if x < 0 else "", mant[0], mant[2:],
                                   "-" if e < 0 else "+", abs(e))
    return body.rjust(16)


# ---------------------------------------------------------------------------
# families.  Each takes a random.Random and returns four Python floats
# (a3, a2, a1, a0), not yet rounded to single precision.

def _sign(rng):
    return -1.0 if rng.random() < 0.5 else 1.0


def _decades(rng, lo, hi):
    return 10.0 ** rng.uniform(lo, hi)


def _from_roots(a3, r1, r2, r3):
    """a3 (x - r1)(x - r2)(x - r3) for three real roots, in double."""
    return (a3, -a3 * (r1 + r2 + r3), a3 * (r1 * r2 + r1 * r3 + r2 * r3),
            -a3 * (r1 * r2 * r3))


def _from_pair(a3, r, u, v):
    """a3 (x - r)(x^2 - 2u x + u^2 + v^2), roots r and u +- i v, in double."""
    q = u * u + v * v
    return (a3, -a3 * (r + 2.0 * u), a3 * (2.0 * u * r + q), -a3 * (r * q))


def gen_uniform(rng):
    return tuple(rng.uniform(-1.0, 1.0) for _ in range(4))


def gen_realroots(rng):
    a3 = _sign(rng) * _decades(rng, -4, 4)
    c = rng.uniform(-4, 4)
    r = [_sign(rng) * 10.0 ** (c + rng.uniform(-3, 3)) for _ in range(3)]
    return _from_roots(a3, *r)


def gen_complexroots(rng):
    a3 = _sign(rng) * _decades(rng, -4, 4)
    c = rng.uniform(-4, 4)
    r = _sign(rng) * 10.0 ** (c + rng.uniform(-3, 3))
    m = 10.0 ** (c + rng.uniform(-3, 3))
    t = rng.uniform(0.0, math.pi)
    return _from_pair(a3, r, m * math.cos(t), m * math.sin(t))


def gen_nearmultiple(rng):
    a3 = _sign(rng) * _decades(rng, -3, 3)
    c = rng.uniform(-3, 3)
    r = _sign(rng) * 10.0 ** c

    def near(x):
        # relative perturbation from 1e-9 up to 1e-2, sometimes none at all
        if rng.random() < 0.15:
            return x
        return x * (1.0 + _sign(rng) * _decades(rng, -9, -2))

    kind = rng.randrange(4)
    if kind == 0:          # double root and a separate real root
        s = _sign(rng) * 10.0 ** (c + rng.uniform(-2, 2))
        return _from_roots(a3, r, near(r), s)
    if kind == 1:          # triple root
        return _from_roots(a3, r, near(r), near(r))
    if kind == 2:          # complex pair close to the real axis
        v = abs(r) * _decades(rng, -9, -2)
        s = r if rng.random() < 0.5 else _sign(rng) * 10.0 ** (c + rng.uniform(-2, 2))
        return _from_pair(a3, near(s), r, v)
    # double root that lies close to the third one as well, opposite signs
    # of perturbation: three roots within a small relative cluster
    return _from_roots(a3, near(r), near(r), near(near(r)))


def gen_wide(rng):
    out = []
    for _ in range(4):
        e = rng.randint(-126, 127)
        out.append(_sign(rng) * math.ldexp(1.0 + rng.random(), e))
    return tuple(out)


_SPECIAL_POOL = (
    0.0, -0.0, 1.0, -1.0, 2.0, 0.5, -3.0,
    FLT_MAX, -FLT_MAX, FLT_MIN, -FLT_MIN,
    INF, -INF, NAN,
    FLT_TRUE_MIN, -FLT_TRUE_MIN, 1.0e-40, -1.0e-40,
    1.0e-38,                            # below FLT_MIN: a subnormal
    1.17549435e-38,                     # rounds to FLT_MIN: accepted
    f32_from_bits(0x007fffff),          # largest subnormal
    1.0e38, -1.0e-37,
)
_BAD = (INF, -INF, NAN, FLT_TRUE_MIN, -1.0e-40, 1.0e-38, f32_from_bits(0x007fffff))
_ZEROS = (0.0, -0.0)
_EXTREMES = (FLT_MAX, -FLT_MAX, FLT_MIN, -FLT_MIN)


def _ordinary(rng):
    return _sign(rng) * _decades(rng, -3, 3)


def gen_special(rng):
    kind = rng.randrange(9)
    if kind == 0:          # anything from the pool in every place
        return tuple(rng.choice(_SPECIAL_POOL) for _ in range(4))
    if kind == 1:          # pool values mixed with ordinary ones
        return tuple(rng.choice(_SPECIAL_POOL) if rng.random() < 0.5
                     else _ordinary(rng) for _ in range(4))
    if kind == 2:          # one refused value in one place
        c = [_ordinary(rng) for _ in range(4)]
        c[rng.randrange(4)] = rng.choice(_BAD)
        return tuple(c)
    if kind == 3:          # leading zero: quadratic, linear or constant left
        c = [rng.choice(_ZEROS)] + [_ordinary(rng) for _ in range(3)]
        k = rng.randrange(4)           # how many more leading zeros
        for i in range(1, 1 + min(k, 2)):
            c[i] = rng.choice(_ZEROS)
        if k == 3:
            c[3] = rng.choice(_ZEROS)  # all four zero
        return tuple(c)
    if kind == 4:          # constant zero, perhaps the linear one as well
        c = [_ordinary(rng) for _ in range(3)] + [rng.choice(_ZEROS)]
        if rng.random() < 0.3:
            c[2] = rng.choice(_ZEROS)
        if rng.random() < 0.2:
            c[1] = rng.choice(_ZEROS)
        return tuple(c)
    if kind == 5:          # all zero, with any signs of zero
        return tuple(rng.choice(_ZEROS) for _ in range(4))
    if kind == 6:          # zeros in random places of an otherwise ordinary cubic
        return tuple(rng.choice(_ZEROS) if rng.random() < 0.4 else _ordinary(rng)
                     for _ in range(4))
    if kind == 7:          # the extremes of the normal range
        return tuple(rng.choice(_EXTREMES) if rng.random() < 0.7 else _ordinary(rng)
                     for _ in range(4))
    # values that round to infinity or below the normal range in single
    return tuple(rng.choice((4.0e38, -1.0e39, 1.0e-39, -2.0e-45, 1.0e-46))
                 if rng.random() < 0.3 else _ordinary(rng) for _ in range(4))


FAMILIES = {
    "uniform": gen_uniform,
    "realroots": gen_realroots,
    "complexroots": gen_complexroots,
    "nearmultiple": gen_nearmultiple,
    "wide": gen_wide,
    "special": gen_special,
}
# weights of the families in "mix"
MIX_WEIGHTS = (("uniform", 2), ("realroots", 3), ("complexroots", 3),
               ("nearmultiple", 2), ("wide", 2), ("special", 1))
ALL_FAMILIES = tuple(FAMILIES) + ("mix",)  # the single-precision families
DOUBLE_FAMILIES = ("double",)

DBL_MAX = sys.float_info.max
DBL_MIN = sys.float_info.min                 # 2^-1022
DBL_TRUE_MIN = math.ldexp(1.0, -1074)
_DOUBLE_POOL = (0.0, -0.0, 1.0, -1.0, 0.1, -3.0, DBL_MAX, -DBL_MAX, DBL_MIN, -DBL_MIN,
                DBL_TRUE_MIN, -DBL_TRUE_MIN, math.ldexp(1.0, -1022) - DBL_TRUE_MIN,  # largest subnormal
                1e-310, FLT_MAX, FLT_TRUE_MIN, 1e300, -1e-300, INF, -INF, NAN)


def gen_double(rng):
    """One double cubic; see the family list above."""
    kind = rng.randrange(8)
    if kind < 4:           # uniform, real roots, complex pairs, near-multiple: not rounded
        return (gen_uniform, gen_realroots, gen_complexroots, gen_nearmultiple)[kind](rng)
    if kind == 4:          # random signs and exponents over the whole range, subnormal ones too
        return tuple(_sign(rng) * math.ldexp(1.0 + rng.random(), rng.randint(-1074, 1023)) for _ in range(4))
    if kind == 5:          # the pool in some places
        return tuple(rng.choice(_DOUBLE_POOL) if rng.random() < 0.5 else _ordinary(rng) for _ in range(4))
    if kind == 6:          # small integer roots, some repeated, scaled exactly by 2^k
        r = [rng.randint(-4, 4) for _ in range(3)]
        if rng.random() < 0.5:
            r[1] = r[0]
        k = rng.randint(-1000, 1000)
        return tuple(math.ldexp(x, k) for x in _from_roots(1.0, *r))
    return tuple(f32(_ordinary(rng)) for _ in range(4))  # singles, as doubles


def _mix(rng):
    names = [n for n, _ in MIX_WEIGHTS]
    weights = [w for _, w in MIX_WEIGHTS]

    def one(r):
        return FAMILIES[r.choices(names, weights)[0]](r)
    return one


def cubics(family, count, seed):
    """Yield `count` cubics of `family` as tuples of four singles (a3..a0),
    or of four doubles for a family of DOUBLE_FAMILIES."""
    if family not in ALL_FAMILIES + DOUBLE_FAMILIES:
        raise ValueError("unknown family %r" % family)
    # A string seed is hashed with SHA-512 by random.seed: stable across runs
    # and interpreters, independent of PYTHONHASHSEED.
    rng = random.Random("qubic/%s/%d" % (family, seed))
    if family in DOUBLE_FAMILIES:
        for _ in range(count):
            yield gen_double(rng)
        return
    gen = _mix(rng) if family == "mix" else FAMILIES[family]
    for _ in range(count):
        yield tuple(f32(c) for c in gen(rng))


def format_line(c, fmt, double=False):
    """One cubic as a line of fmt; double: the coefficients are doubles
    (csv then writes Python's repr, the shortest round trip of a double)."""
    if fmt == "hex":
        return " ".join(x.hex() if math.isfinite(x) else repr(x) for x in c)
    if fmt == "csv":
        return " ".join(repr(x) if double else shortest(x) for x in c)
    if double:
        raise ValueError("test6 holds singles: no double cubics")
    return "".join(e16(x) for x in c)


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--family", default="mix", choices=ALL_FAMILIES + DOUBLE_FAMILIES)
    ap.add_argument("--count", type=int, default=1000)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--format", default="csv", choices=("csv", "hex", "test6"))
    ap.add_argument("--out", help="output file (default: standard output)")
    ap.add_argument("--list", action="store_true", help="list the families and exit")
    a = ap.parse_args(argv)
    if a.list:
        for name in ALL_FAMILIES + DOUBLE_FAMILIES:
            print(name)
        return 0
    if a.count < 0:
        ap.error("--count must be >= 0")
    if a.family in DOUBLE_FAMILIES and a.format == "test6":
        ap.error("--format test6 holds singles: not for --family double")
    out = open(a.out, "w") if a.out else sys.stdout
    try:
        buf = []
        for c in cubics(a.family, a.count, a.seed):
            buf.append(format_line(c, a.format, a.family in DOUBLE_FAMILIES))
            if len(buf) >= 4096:
                out.write("\n".join(buf) + "\n")
                buf.clear()
        if buf:
            out.write("\n".join(buf) + "\n")
    finally:
        if a.out:
            out.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
