#!/usr/bin/python3
"""An independent check of the test suite's exact reference (the judge of the
exact engine in both precisions, tests/exact/reference.cpp), against true
roots worked here with mpmath and exact rationals by another method.

    tools/reference_check.py --reference build/tests/qubic_reference
    tools/reference_check.py --reference ... --count 2000 --seed 7
    tools/reference_check.py --show "1 0 0 3"           # x^3 + 3, rounded to double
    tools/reference_check.py --show "1 0 0 3" --float   # rounded to float

The reference decides real roots by Sturm sequences and rounds by a binary
search over bit patterns with exact comparisons.  Here instead:

* Kinds of roots from the sign of the discriminant, exactly (Fractions).  A
  zero discriminant gives the multiple roots by closed rational formulas
  (triple root -b/(3a); else the double root (9ad - bc) / (2(b^2 - 3ac)) and
  the simple one -b/a minus twice it).  A quadratic's roots come from its
  discriminant, the pair's imaginary part as the square root of a rational.
* Otherwise the roots are found numerically: their sizes from the Newton
  polygon of the coefficients, mpmath.polyroots on the cubic scaled to each
  size, then Newton's method on the exact cubic at PREC bits (more when a
  rational root needs it); the three must satisfy Vieta's relations, be
  distinct, and be as many real ones as the discriminant says, or the cubic
  counts as undecided.  A real root that is rational, N/D, makes N/D times
  the leading integer coefficient an integer (rational root theorem), so
  that integer nearest the approximation is tried exactly; a rational root
  gives the pair's parts exactly as rationals (u) and the root of one (v).
* Rounding to double or float by exact integer arithmetic (to nearest, ties
  to even; at or beyond the overflow threshold, infinity).  A part known only
  approximately, x within err, is irrational (see above), so it is never a
  tie, and it is decided when x - err and x + err round alike; otherwise the
  cubic counts as undecided.
* Flags: -2 for a non-finite coefficient, 0 for the zero polynomial, -1 for
  roots a lower degree lacks, else 1 when both parts are normal or an exact
  zero, -3 otherwise.

Each cubic goes to qubic_reference (tests/exact/reference_main.cpp) as a line
"d|f a3 a2 a1 a0" in hexadecimal; every flag and every bit of every written
part must agree.  Exit status: 0 when all agree and at most 1% are
undecided, 1 otherwise, 2 on a usage error or when the reference fails.
"""
import argparse
import math
import random
import struct
import subprocess
import sys
from fractions import Fraction

import mpmath

mp = mpmath.mp
PREC = 400


class Undecided(Exception):
    pass


# ---------------------------------------------------------------------------
# formats and exact rounding

class Format:
    def __init__(self, letter, p, emin, emax):
        self.letter, self.p, self.emin, self.emax = letter, p, emin, emax
        # the smallest normal and the value that stands for infinity
        self.tiny = Fraction(2) ** emin
        self.huge = Fraction(2) ** emax


DOUBLE = Format("d", 53, -1022, 1024)
FLOAT = Format("f", 24, -126, 128)


def floor_log2(x):
    """floor(log2 x) for a Fraction x > 0."""
    e = x.numerator.bit_length() - x.denominator.bit_length()
    while Fraction(2) ** e > x:
        e -= 1
    while Fraction(2) ** (e + 1) <= x:
        e += 1
    return e


def round_exact(x, fmt):
    """x (a Fraction) to the nearest value of fmt, ties to even: a Python float
    holding that value, or +-inf.  Example: 3/2 * 2^-1074 gives 2^-1073."""
    if x == 0:
        return 0.0
    a = abs(x)
    q = max(floor_log2(a), fmt.emin) - (fmt.p - 1)  # the spacing there is 2^q
    n = a / Fraction(2) ** q
    m = n.numerator // n.denominator
    rest = n - m
    if rest > Fraction(1, 2) or (rest == Fraction(1, 2) and m % 2 == 1):
        m += 1
    value = m * Fraction(2) ** q
    y = math.inf if value >= fmt.huge else float(value)
    return -y if x < 0 else y


def round_sqrt(r, fmt):
    """sqrt(r) for a Fraction r > 0, rounded to fmt: exact, by integer square
    roots (a tie is an exact square root on a midpoint)."""
    e = floor_log2(r) // 2  # 2^e <= sqrt(r) < 2^(e+1)
    q = max(e, fmt.emin) - (fmt.p - 1) - 2  # a quarter of fmt's spacing there
    n2 = r / Fraction(4) ** q  # (sqrt(r) / 2^q)^2
    m = math.isqrt(n2.numerator // n2.denominator)  # floor(sqrt(r) / 2^q)
    return round_exact(Fraction(m) * Fraction(2) ** q, fmt) if Fraction(m) ** 2 == n2 else \
        _round_between(m, q, r, fmt)


def _round_between(m, q, r, fmt):
    # sqrt(r) lies strictly between m 2^q and (m + 1) 2^q, whose spacing is
    # finer than fmt's there: a midpoint of fmt in between is at most one
    # point, so rounding either end gives the answer unless that midpoint
    # falls strictly inside, where sqrt(r) against it decides.
    lo, hi = Fraction(m) * Fraction(2) ** q, Fraction(m + 1) * Fraction(2) ** q
    a, b = round_exact(lo, fmt), round_exact(hi, fmt)
    if a == b:
        return a
    mid = (Fraction(a) + Fraction(b)) / 2 if b != math.inf else fmt.huge - Fraction(2) ** (fmt.emax - fmt.p - 1)
    return a if r < mid * mid else b


def to_fraction(x):
    sign, man, exp, _ = x._mpf_
    v = Fraction(int(man)) * Fraction(2) ** int(exp)  # plain ints: gmpy2's do not mix with Fraction
    return -v if sign else v


def round_part(value, fmt):
    """A part: a Fraction (exact), ("sqrt", r) for sqrt(r), or (x, err) with x
    an irrational number within err of the mpf x."""
    if isinstance(value, Fraction):
        return round_exact(value, fmt)
    if value[0] == "sqrt":
        return round_sqrt(value[1], fmt)
    x, err = value
    # x - err and x + err as exact rationals: in mpmath they would be rounded
    # to the working precision of the caller (53 bits unless main set it),
    # which moves a subnormal root's interval by far more than err.
    xf, ef = to_fraction(x), to_fraction(err)
    lo, hi = round_exact(xf - ef, fmt), round_exact(xf + ef, fmt)
    if struct.pack(">d", lo) != struct.pack(">d", hi):
        raise Undecided("%s +- %s does not settle the rounding" % (mpmath.nstr(x, 20), mpmath.nstr(err, 5)))
    return lo


def fine(value, rounded, fmt):
    """An exact zero, or a normal value (the flag 1 condition)."""
    if isinstance(value, Fraction) and value == 0:
        return True
    return math.isfinite(rounded) and abs(Fraction(rounded)) >= fmt.tiny


# ---------------------------------------------------------------------------
# true roots

def poly_at(p, x):
    """p (coefficients highest power first) at x, by Horner's scheme."""
    v = 0 * x
    for c in p:
        v = v * x + c
    return v


def derivative(p):
    n = len(p) - 1
    return [c * (n - k) for k, c in enumerate(p[:-1])]


def newton_polygon_sizes(p):
    """The edges of the upper convex hull of (k, log2 |a_k|) as (log2 size,
    k, l): an edge from k to l (k < l) stands for l - k roots of size about
    (|a_k| / |a_l|)^(1/(l - k)), near the roots of the terms k .. l alone."""
    n = len(p) - 1
    pts = [(k, math.log2(abs(p[n - k]))) for k in range(n + 1) if p[n - k] != 0]
    hull = []
    for pt in pts:
        while len(hull) >= 2:
            (x1, y1), (x2, y2) = hull[-2], hull[-1]
            if (y2 - y1) * (pt[0] - x1) <= (pt[1] - y1) * (x2 - x1):
                hull.pop()
            else:
                break
        hull.append(pt)
    return [((y1 - y2) / (x2 - x1), x1, x2) for (x1, y1), (x2, y2) in zip(hull, hull[1:])]


def polish(p, z, real, prec):
    """Newton's method on p from z at prec bits: (root, error bound)."""
    with mp.workprec(prec):
        mp_p = [mpmath.mpf(c.numerator) / c.denominator for c in p]
        dp = derivative(mp_p)
        z = mpmath.mpf(z.real) if real else mpmath.mpc(z)
        step = None
        for _ in range(200):
            d = poly_at(dp, z)
            if d == 0:
                raise Undecided("zero derivative")
            step = poly_at(mp_p, z) / d
            z -= step
            if abs(step) <= abs(z) * mpmath.mpf(2) ** (20 - prec):
                break
        else:
            raise Undecided("Newton's method did not settle")
        return +z, 8 * abs(step) + abs(z) * mpmath.mpf(2) ** (8 - prec)


def numeric_roots(p, real_count, prec):
    """The three roots of a square-free cubic p (Fractions, no zero root):
    [(root, err)], the real_count real ones first.  Every root mpmath finds on
    the cubic scaled to each size of the Newton polygon is a candidate; each
    is polished on p, and exactly three distinct ones must remain."""
    candidates = []
    n = len(p) - 1
    with mp.workprec(prec):
        coefs = [mpmath.mpf(c.numerator) / c.denominator for c in p]
        for size, k, l in newton_polygon_sizes(p):
            s = mpmath.mpf(2) ** round(size)
            scaled = [c * s ** (n - i) for i, c in enumerate(coefs)]
            for poly in (scaled, scaled[n - l:n - k + 1]):  # the whole cubic, the edge's terms
                big = max(abs(c) for c in poly)
                try:
                    with mp.workprec(prec // 4):  # a start for Newton's method is all it must give
                        ys = mpmath.polyroots([c / big for c in poly], maxsteps=400, extraprec=prec // 4)
                except mpmath.libmp.NoConvergence:
                    continue
                candidates += [y * s for y in ys]
    distinct = []
    for z in candidates:
        try:
            w, err = polish(p, z, False, prec)
        except Undecided:
            continue
        with mp.workprec(prec):
            for x in (w, mpmath.conj(w)):  # p is real: a root's conjugate is one too
                if all(abs(x - v) > (abs(x) + abs(v)) * mpmath.mpf(2) ** (-prec // 2) for v, _ in distinct):
                    distinct.append((x, err))
    if len(distinct) != 3:
        raise Undecided("%d distinct roots found" % len(distinct))
    distinct.sort(key=lambda z: abs(mpmath.im(z[0])) / abs(z[0]))
    with mp.workprec(prec):
        # a real root polished in complex arithmetic keeps a residue of imaginary part
        roots = [(mpmath.re(z), err + abs(mpmath.im(z))) for z, err in distinct[:real_count]] + distinct[real_count:]
        zs = [z for z, _ in roots]
        a3, a2, a0 = (mpmath.mpf(c.numerator) / c.denominator for c in (p[0], p[1], p[3]))
        tol = mpmath.mpf(2) ** (-prec // 2)
        if abs(zs[0] * zs[1] * zs[2] + a0 / a3) > tol * abs(a0 / a3) or \
                abs(zs[0] + zs[1] + zs[2] + a2 / a3) > tol * sum(abs(z) for z in zs):
            raise Undecided("Vieta's relations fail")
        if real_count == 1 and (abs(mpmath.im(zs[1])) <= tol * abs(zs[1]) or abs(zs[1] - mpmath.conj(zs[2])) > tol * abs(zs[1])):
            raise Undecided("no conjugate pair")
    return roots


def rational_root(p, x, prec):
    """x exactly when the real root near x (within 2^-prec of it, relative) of
    the integer-scaled p is rational."""
    scale = 1
    for c in p:
        scale = scale * c.denominator // math.gcd(scale, c.denominator)
    lead = abs(p[0] * scale).numerator  # the leading coefficient of the integer polynomial
    bits = max(prec, max(1, int(abs(x)).bit_length()) + lead.bit_length() + 64)
    with mp.workprec(bits):
        r, _ = polish(p, x, True, bits)
        n = int(mpmath.nint(r * lead))
    candidate = Fraction(n, lead)
    return candidate if poly_at(p, candidate) == 0 else None


def true_roots(coefs, prec):
    """The roots of a3 x^3 + a2 x^2 + a1 x + a0 (a3 first; floats taken
    exactly): (flags, [(re, im)] as round_part values, real roots ascending,
    then the pair with the positive imaginary part first)."""
    if not all(math.isfinite(c) for c in coefs):
        return (-2, -2, -2), []
    p = [Fraction(c) for c in coefs]
    while p and p[0] == 0:
        p.pop(0)
    if not p:
        return (0, 0, 0), []
    degree = len(p) - 1
    reals, pair = [], None
    while p[-1] == 0:
        reals.append(Fraction(0))
        p.pop()
    n = len(p) - 1
    if n == 1:
        reals.append(-p[1] / p[0])
    elif n == 2:
        a, b, c = p
        disc = b * b - 4 * a * c
        if disc == 0:
            reals += [-b / (2 * a)] * 2
        elif disc < 0:
            pair = (-b / (2 * a), ("sqrt", -disc / (4 * a * a)))
        else:
            sq = _rational_sqrt(disc)
            if sq is not None:
                reals += [(-b - sq) / (2 * a), (-b + sq) / (2 * a)]
            else:
                with mp.workprec(prec + 64):
                    mb, md = (mpmath.mpf(x.numerator) / x.denominator for x in (b, disc))
                    t = -(mb + mpmath.sign(mb) * mpmath.sqrt(md)) / 2 if b != 0 else mpmath.sqrt(md) / 2
                    ma, mc = (mpmath.mpf(x.numerator) / x.denominator for x in (a, c))
                    for x in (t / ma, mc / t):
                        reals.append((x, abs(x) * mpmath.mpf(2) ** (-prec)))
    elif n == 3:
        a, b, c, d = p
        disc = 18 * a * b * c * d - 4 * b ** 3 * d + b * b * c * c - 4 * a * c ** 3 - 27 * a * a * d * d
        if disc == 0:
            if b * b == 3 * a * c:
                reals += [-b / (3 * a)] * 3
            else:
                double = (9 * a * d - b * c) / (2 * (b * b - 3 * a * c))
                reals += [double, double, -b / a - 2 * double]
        else:
            roots = numeric_roots(p, 3 if disc > 0 else 1, prec)
            for z, err in roots[:3 if disc > 0 else 1]:
                exact = rational_root(p, z, prec)
                reals.append(exact if exact is not None else (z, err))
            if disc < 0:
                r = reals[-1]
                if isinstance(r, Fraction):
                    s = -b / a
                    u = (s - r) / 2
                    pair = (u, ("sqrt", c / a - 2 * u * r - u * u))
                else:
                    z, err = roots[1]
                    pair = ((mpmath.re(z), err), (abs(mpmath.im(z)), err))
    reals.sort(key=lambda v: v if isinstance(v, Fraction) else to_fraction(v[0]))
    out = [(r, Fraction(0)) for r in reals]
    if pair is not None:
        out += [pair, (pair[0], ("neg", pair[1]))]
    flags = [1] * len(out) + [-1] * (3 - len(out))
    assert len(out) == degree
    return tuple(flags), out


def _rational_sqrt(x):
    n, d = math.isqrt(x.numerator), math.isqrt(x.denominator)
    return Fraction(n, d) if n * n == x.numerator and d * d == x.denominator else None


def rounded(coefs, fmt):
    """(flags, [(re, im)] rounded to fmt): the answer the reference must give.
    Undecided at PREC bits, the cubic is tried again at 4 and 16 times that."""
    for prec in (PREC, 4 * PREC, 16 * PREC):
        try:
            return _rounded(coefs, fmt, prec)
        except Undecided as e:
            why = e
    raise why


def _rounded(coefs, fmt, prec):
    flags, roots = true_roots(coefs, prec)
    flags, out = list(flags), []
    for k, (re, im) in enumerate(roots):
        negate = isinstance(im, tuple) and im[0] == "neg"
        im = im[1] if negate else im
        r, i = round_part(re, fmt), round_part(im, fmt)
        flags[k] = 1 if fine(re, r, fmt) and fine(im, i, fmt) else -3
        out.append((r, -i if negate else i))
    return tuple(flags), out


# ---------------------------------------------------------------------------
# cubics to check (seeded), and the comparison

def as_float(x):
    """x rounded to float (infinite beyond the float range)."""
    try:
        return struct.unpack(">f", struct.pack(">f", x))[0]
    except OverflowError:
        return math.copysign(math.inf, x)


def families(fmt, rng):
    """name -> a function drawing one cubic (a3 first) in fmt."""
    double = fmt is DOUBLE
    bits = 64 if double else 32
    emin = -1074 if double else -149
    emax = 1023 if double else 127

    def pattern():
        u = rng.getrandbits(bits)
        if u % 8 == 0:
            return 0.0
        x = struct.unpack(">d", u.to_bytes(8, "big"))[0] if double else struct.unpack(">f", u.to_bytes(4, "big"))[0]
        return x if math.isfinite(x) else 1.0

    def ordinary():
        return [rng.uniform(-10, 10) for _ in range(4)]

    def whole_range():
        return [pattern() for _ in range(4)]

    def multiple():
        # 2^k (x - p 2^j)^2 (x - q 2^j), exact
        p = rng.randint(-128, 128)
        q = rng.choice([p, rng.randint(-128, 128)])
        j = rng.randint(-emax // 8, emax // 8)
        k = rng.randint(-emax // 8, emax // 8)
        c = [1, -(2 * p + q), p * p + 2 * p * q, -p * p * q]
        return [math.ldexp(v, k + n * j) for n, v in enumerate(c)]

    def tie():
        # a root o 2^(emin-1) halfway between two subnormals, or 2^s + 1 times
        # 2^-s of that just off it, in 2^k (x - root)(x^2 + 2^j)
        o = 2 * rng.randint(0, 1 << 19) + 1
        s = rng.choice([0, rng.randint(1, 24 if double else 3)])
        n = (o << s) + (1 if s else 0)
        k, j = rng.randint(34, 60), rng.randint(0, 60)
        return [math.ldexp(1, k), math.ldexp(-n, k + emin - 1 - s), math.ldexp(1, j + k),
                math.ldexp(-n, j + k + emin - 1 - s)]

    def edge():
        # a3 tiny and a2 = -a3 t with t near the overflow threshold, or a0 = -a1 t
        # with t in the subnormal range
        c = [rng.uniform(-4, 4) for _ in range(4)]
        ma, mt = rng.uniform(1, 2), rng.uniform(1, 2)
        if rng.random() < 0.5:
            ea, et = rng.randint(emin, emin + 100), rng.randint(emax - 10, emax + 4)
            c[0], c[1] = math.ldexp(ma, ea), -math.ldexp(ma * mt, ea + et)
        else:
            et = rng.randint(emin - 20, emin + 60)
            c[2], c[3] = ma, -math.ldexp(ma * mt, et)
        return c

    def lower():
        c = whole_range()
        c[0] = 0.0
        if rng.random() < 0.3:
            c[1] = 0.0
        return c

    out = {"ordinary": ordinary, "whole range": whole_range, "exact multiple roots": multiple,
           "ties and near ties": tie, "overflow and underflow edges": edge, "lower degrees": lower}
    if double:
        def near_midpoint():
            # x^3 - (K - e1) x^2 - e1 (K - e2) x - e1 e2 (K - e3): p(K) = e1 e2 e3,
            # a root within about e3 / K^2 of the midpoint K (odd, 54 bits)
            k0 = (1 << 53) + 2 * rng.randrange(1 << 52) + 1
            e1, e2 = rng.choice([-1, 1]), rng.choice([-1, 1])
            e3 = 2 * rng.randrange(1 << 44) + 1
            j = rng.randint(-300, 300)
            c = [1, -(k0 - e1), -e1 * (k0 - e2), -e1 * e2 * (k0 - e3)]
            return [math.ldexp(float(v), n * j) for n, v in enumerate(c)]

        def tiny_imaginary():
            # x^3 - R (x - u0)^2: a pair u0 +- i |u0| (|u0|/R)^(1/2) when u0 < 0
            k, rho = rng.randint(-100, 300), rng.randint(20, 110)
            m = rng.randrange(1 << 25, 1 << 26) * rng.choice([-1, 1])
            e = k - 2 * rho - 25
            return [1.0, -math.ldexp(1, k), math.ldexp(m, k + 1 + e), -math.ldexp(m * m, k + 2 * e)]

        out["near midpoints"] = near_midpoint
        out["tiny imaginary parts"] = tiny_imaginary
    return out


def fmt_line(fmt, c):
    return fmt.letter + " " + " ".join(float(x).hex() for x in c)


def parse_reference(line):
    f = line.split()
    flags = tuple(int(x) for x in f[:3])
    parts = [None if f[3 + 2 * k] == "-" else (float.fromhex(f[3 + 2 * k]), float.fromhex(f[4 + 2 * k])) for k in range(3)]
    return flags, parts


def same(x, y):
    return struct.pack(">d", x) == struct.pack(">d", y)


def check(reference, count, seed):
    rng = random.Random(seed)
    cubics = []
    for fmt in (DOUBLE, FLOAT):
        for name, draw in families(fmt, rng).items():
            for _ in range(count):
                c = draw()
                if fmt is FLOAT:
                    c = [as_float(x) for x in c]
                if all(math.isfinite(x) for x in c):
                    cubics.append((fmt, name, c))
    text = "".join(fmt_line(fmt, c) + "\n" for fmt, _, c in cubics)
    run = subprocess.run([reference], input=text, capture_output=True, text=True)
    if run.returncode != 0:
        print("reference failed: %s" % run.stderr.strip(), file=sys.stderr)
        return 2
    lines = run.stdout.splitlines()
    if len(lines) != len(cubics):
        print("%d cubics in, %d lines out" % (len(cubics), len(lines)), file=sys.stderr)
        return 2
    wrong, undecided, checked = 0, 0, {}
    for (fmt, name, c), line in zip(cubics, lines):
        try:
            flags, parts = rounded(c, fmt)
        except Undecided as e:
            undecided += 1
            print("undecided (%s, %s): %s: %s" % (fmt.letter, name, fmt_line(fmt, c), e))
            continue
        key = (fmt.letter, name)
        checked[key] = checked.get(key, 0) + 1
        rflags, rparts = parse_reference(line)
        ok = rflags == flags and all(
            (rp is None) == (k >= len(parts)) and (rp is None or (same(rp[0], parts[k][0]) and same(rp[1], parts[k][1])))
            for k, rp in enumerate(rparts))
        if not ok:
            wrong += 1
            print("DEPARTURE (%s, %s): %s\n  reference: %s\n  mpmath:    %s %s" % (
                fmt.letter, name, fmt_line(fmt, c), line, flags, [(r.hex(), i.hex()) for r, i in parts]))
    for (letter, name), n in sorted(checked.items()):
        print("%s %-30s %5d agree" % (letter, name, n))
    print("%d cubics: %d agree, %d depart, %d undecided" % (len(cubics), len(cubics) - wrong - undecided, wrong, undecided))
    return 0 if wrong == 0 and undecided * 100 <= len(cubics) else 1


def show(coefs, fmt):
    flags, parts = rounded(coefs, fmt)
    print("flags", *flags)
    for re, im in parts:
        print(re.hex(), im.hex(), "(%r %+ri)" % (re, im))


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--reference", help="the qubic_reference program")
    ap.add_argument("--count", type=int, default=40, help="cubics per family and precision (default 40)")
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--show", metavar='"A3 A2 A1 A0"',
                    help="print the true rounded roots of one cubic instead (decimal or hexadecimal)")
    ap.add_argument("--float", action="store_true", help="with --show: round to float (the coefficients must be floats)")
    args = ap.parse_args(argv)
    mp.prec = PREC
    if args.show:
        coefs = [float.fromhex(x) if "0x" in x.lower() else float(x) for x in args.show.split()]
        if len(coefs) != 4:
            ap.error("--show needs four coefficients")
        show(coefs, FLOAT if args.float else DOUBLE)
        return 0
    if not args.reference:
        ap.error("--reference or --show is needed")
    return check(args.reference, args.count, args.seed)


if __name__ == "__main__":
    sys.exit(main())
