#!/usr/bin/python3
"""Accuracy of qubic-solve against the true roots of the cubics it reads.

    tools/accuracy.py --solver build/tools/qubic-solve
    tools/accuracy.py --solver ... --family nearmultiple --count 5000 --seed 7
    tools/accuracy.py --solver ... --guard            # CI: exit 1 on a wrong root
    tools/accuracy.py --solver ... --json out.json
    tools/accuracy.py --solver ... --engine all --table   # a row per engine

Engines (--engine, repeatable; default qubic):
    qubic   qubic-solve --csv, the solver;
    exact   qubic-solve --csv --exact, the exact engine;
    numpy   numpy.roots in double precision on the same single-precision
            coefficients, every root rounded to single.  numpy gives no
            flags: every finite root gets flag 1 (an infinite one -3), and a
            cubic is solved when numpy returns three finite roots (finite
            coefficients, a nonzero leading one).  A root that underflows to
            0 still counts: numpy does not know.

For every family (default: all of tools/gencubics.py) the tool generates the
seeded cubics, feeds them to `qubic-solve --csv` on standard input and reads
its CSV: a header line, then per cubic
    a3,a2,a1,a0,flag1,flag2,flag3,re1,im1,re2,im2,re3,im3
(coefficients as the solver read them, flags, roots as shortest decimals; an
unwritten root is an empty field).

True roots.  They are computed from the coefficients as the solver echoes
them, rounded to single precision, that is from the exact cubic the solver
worked on, in 320-bit arithmetic (mpmath): one real root by Newton's method
from the largest real eigenvalue of the companion matrix (numpy, double),
divided out, the quadratic factor solved by the quadratic formula and both
of its roots polished by Newton's method on the cubic itself; the product of
the three roots is checked against -a0/a3.  Multiple roots are found exactly
(gcd of p and p' in rational arithmetic); anything that does not converge
falls back to mpmath.polyroots with a large extra precision.  Degenerate
cubics: a zero leading coefficient leaves a quadratic, a linear or a
constant polynomial (a nonzero constant has no root at all, the zero
polynomial has every number as a root); a zero constant coefficient gives
the root 0 and a quadratic.

Error of a root.  For a computed root z with flag 1 the relative error is
    min over the true roots t of |z - t| / |t|,
in units of u = 2^-24 (the unit roundoff of single precision); a true root
0 uses the smallest normal single, 2^-126, in place of |t|, so that only an
exact 0 counts as right there.  A flag-1 root whose relative distance to
every true root exceeds 1e-2 is "wrong but trusted".  A solved cubic (flags
1, 1, 1) whose three roots cannot be paired one to one with the three true
roots within 1e-2 (a true root left out, another one given twice) counts as
"missed root".  A flag-1 root on a cubic with a non-finite coefficient, or on
a nonzero constant polynomial, is wrong but trusted too.

Error in ulps.  Each part x (real, imaginary) of a computed root is also
compared with the same part t of its nearest true root, in units of the
gap between x and the next single towards t:  |x - t| / |next(x, t) - x|.
x is the single nearest t (correctly rounded) exactly when this is at most
1/2 (at 1/2, t is a midpoint and ties go to even, not checked here); an
infinite x is right when t lies at or beyond the overflow threshold
2^128 - 2^103 with its sign.  The report gives the largest value over the
flag-1 roots ("ulps max") and counts the roots beyond 1/2 ("over half an
ulp"); for the exact engine the written roots with flag -3 (correctly
rounded, but overflowing, subnormal or rounded to zero) are checked and
counted too, and every such root is an offender, so --guard fails on it.  The true parts come
from 320-bit arithmetic, so a computed 1/2 + 2^-60 is still read as a tie.

Conditioning.  For each true root t the tool estimates how far t moves when
every coefficient a_k is perturbed by a relative amount u (half an ulp, the
rounding of the coefficients themselves):  with S = sum_k |a_k| |t|^k and
T_j = p^(j)(t) / j!, the move is h = min over j = 1, 2, 3 of (u S / |T_j|)^(1/j).
For a simple root this is the classical estimate u S / |p'(t)|, that is the
condition number S / |t p'(t)|; the terms j = 2, 3 take over at (nearly)
double and triple roots.  "cond" is h / |t| in units of u: a backward-stable
single-precision solver should keep error / cond at a small constant.  The
report gives that ratio (median, 99th percentile, maximum) and the largest
error among the roots with cond <= 16.

Exit status: 0; 1 with --guard when any family has a wrong-but-trusted root
or a missed root (for the exact engine also a flag-1 root beyond half an
ulp); 2 on a usage error or an unreadable solver output.
"""
import argparse
import json
import math
import os
import subprocess
import sys
import time
from fractions import Fraction

import mpmath
import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import gencubics  # noqa: E402

mp = mpmath.mp
PREC = 320
mp.prec = PREC

U = 2.0 ** -24                 # unit roundoff of single precision
FLT_MIN = 2.0 ** -126          # stands in for |t| when the true root is 0
WRONG = 1e-2                   # relative distance that makes a root wrong
SMALL_COND = 16.0              # "well conditioned" for the max-error column
HEADER = "a3,a2,a1,a0,flag1,flag2,flag3,re1,im1,re2,im2,re3,im3"

f32 = gencubics.f32


# ---------------------------------------------------------------------------
# reading the solver's CSV

class CsvError(Exception):
    pass


def _num(field):
    """A root or coefficient field as a single; None for an empty field."""
    field = field.strip()
    if field == "":
        return None
    return f32(float(field))


def parse_csv(text):
    """Rows of the solver's CSV: (coefs, flags, roots).

    coefs is a tuple of four singles (a3..a0), flags three ints, roots three
    complex numbers or None where the solver left the entry empty."""
    lines = text.splitlines()
    if not lines or lines[0].strip().replace(" ", "") != HEADER:
        raise CsvError("missing or wrong header line: %r" % (lines[0] if lines else ""))
    rows = []
    for n, line in enumerate(lines[1:], start=2):
        if not line.strip():
            continue
        f = line.split(",")
        if len(f) != 13:
            raise CsvError("line %d: %d fields instead of 13: %r" % (n, len(f), line))
        try:
            coefs = tuple(_num(x) for x in f[0:4])
            flags = tuple(int(x) for x in f[4:7])
            roots = []
            for k in range(3):
                re, im = _num(f[7 + 2 * k]), _num(f[8 + 2 * k])
                roots.append(None if re is None or im is None else complex(re, im))
        except ValueError as e:
            raise CsvError("line %d: %s: %r" % (n, e, line))
        if any(c is None for c in coefs):
            raise CsvError("line %d: empty coefficient: %r" % (n, line))
        rows.append((coefs, flags, tuple(roots)))
    return rows


def numpy_rows(cubics):
    """Rows in the solver's CSV shape, from numpy.roots rounded to single
    (see the module notes for its flags)."""
    rows = []
    for c in cubics:
        flags, roots = [-6, -6, -6], [None, None, None]
        if all(math.isfinite(x) for x in c) and c[0] != 0.0:
            for k, z in enumerate(np.roots(np.array(c, dtype=np.float64))):
                z = complex(f32(z.real), f32(z.imag))
                roots[k] = z
                flags[k] = 1 if math.isfinite(z.real) and math.isfinite(z.imag) else -3
        rows.append((c, tuple(flags), tuple(roots)))
    return rows


ENGINES = ("qubic", "exact", "numpy")
ENGINE_LABEL = {"qubic": "qubic", "exact": "qubic --exact", "numpy": "numpy.roots"}


def engine_rows(engine, solver, cubics, input_format="csv", extra_args=()):
    """The rows of one engine on the cubics."""
    if engine == "numpy":
        return numpy_rows(cubics)
    args = list(extra_args) + (["--exact"] if engine == "exact" else [])
    return run_solver(solver, cubics, input_format, args)


def run_solver(solver, cubics, input_format="csv", extra_args=()):
    """Feed the cubics to the solver on standard input, return its rows."""
    text = "".join(gencubics.format_line(c, input_format) + "\n" for c in cubics)
    p = subprocess.run([solver, "--csv", *extra_args], input=text, text=True,
                       capture_output=True)
    if p.returncode != 0:
        raise CsvError("%s exited with status %d: %s" % (solver, p.returncode,
                                                         p.stderr.strip()[:500]))
    rows = parse_csv(p.stdout)
    if len(rows) != len(cubics):
        raise CsvError("%d cubics in, %d rows out" % (len(cubics), len(rows)))
    return rows


# ---------------------------------------------------------------------------
# true roots

def _finite(c):
    return all(math.isfinite(x) for x in c)


def _horner(coefs, z):
    """p(z) and p'(z) for coefs highest power first."""
    p = coefs[0]
    d = 0
    for a in coefs[1:]:
        d = d * z + p
        p = p * z + a
    return p, d


def _quadratic(a, b, c):
    """Both roots of a x^2 + b x + c (a, c nonzero) as mpc."""
    disc = b * b - 4 * a * c
    if disc >= 0:
        s = mp.sqrt(disc)
        q = -(b + s) / 2 if b >= 0 else -(b - s) / 2
        return [mp.mpc(q / a), mp.mpc(c / q)]
    re = -b / (2 * a)
    im = mp.sqrt(-disc) / (2 * abs(a))
    return [mp.mpc(re, im), mp.mpc(re, -im)]


def _multiple_roots(a3, a2, a1, a0):
    """Exact roots when the cubic has a multiple root, else None."""
    p = [Fraction(x) for x in (a3, a2, a1, a0)]
    d = [3 * p[0], 2 * p[1], p[2]]
    # remainder of p divided by p': linear r1 x + r0
    q1 = p[0] / d[0]
    t = [p[1] - q1 * d[1], p[2] - q1 * d[2], p[3]]
    q0 = t[0] / d[0]
    r1, r0 = t[1] - q0 * d[1], t[2] - q0 * d[2]
    if r1 == 0 and r0 == 0:                 # p' divides p: triple root
        x = -p[1] / (3 * p[0])
        return [x, x, x]
    if r1 == 0:
        return None
    x = -r0 / r1                            # the candidate double root
    if d[0] * x * x + d[1] * x + d[2] != 0:
        return None
    return [x, x, -p[1] / p[0] - 2 * x]


def _fallback(coefs):
    return [mp.mpc(z) for z in mp.polyroots(coefs, maxsteps=4000, extraprec=4 * PREC)]


def _cubic_roots(c, start):
    """Three roots of the cubic c (a3, a0 nonzero, all finite) as mpc."""
    a = [mp.mpf(x) for x in c]
    tol = mp.mpf(2) ** (-(PREC - 40))
    x = None
    real = [z.real for z in start if z.imag == 0 and math.isfinite(z.real)]
    if real:
        x = mp.mpf(max(real, key=abs))
        for it in range(200):
            p, d = _horner(a, x)
            if d == 0:
                x = None
                break
            dx = p / d
            x -= dx
            if abs(dx) <= tol * abs(x):
                break
            if it == 20:                    # slow: a multiple root?
                m = _multiple_roots(*c)
                if m is not None:
                    return [mp.mpc(mp.mpf(v.numerator) / v.denominator) for v in m]
        else:
            x = None
    if x is None or x == 0:
        return _fallback(a)
    b0 = -a[3] / x                          # backward division: stable for a large root
    b1 = (b0 - a[2]) / x
    roots = [mp.mpc(x)] + _quadratic(a[0], b1, b0)
    for k in (1, 2):                        # polish on the cubic itself
        z = roots[k]
        for _ in range(60):
            p, d = _horner(a, z)
            if d == 0:
                break
            dz = p / d
            z -= dz
            if abs(dz) <= tol * abs(z):
                break
        roots[k] = z
    prod = roots[0] * roots[1] * roots[2]
    want = -a[3] / a[0]
    if abs(prod - want) > mp.mpf(2) ** -200 * abs(want):
        return _fallback(a)
    return roots


def true_roots(c, start=None):
    """True roots of the cubic with the single-precision coefficients c.

    Returns None when a coefficient is not finite (no cubic to speak of),
    "all" for the zero polynomial, otherwise a list of mpc (empty for a
    nonzero constant)."""
    if not _finite(c):
        return None
    coefs = list(c)
    while coefs and coefs[0] == 0.0:
        coefs.pop(0)
    if not coefs:
        return "all"
    roots = []
    while coefs[-1] == 0.0:
        coefs.pop()
        roots.append(mp.mpc(0))
    deg = len(coefs) - 1
    if deg == 1:
        roots.append(mp.mpc(-mp.mpf(coefs[1]) / coefs[0]))
    elif deg == 2:
        roots += _quadratic(*(mp.mpf(x) for x in coefs))
    elif deg == 3:
        if start is None:
            start = np.roots(coefs)
        roots += _cubic_roots(coefs, start)
    return roots


def companion_starts(cubics):
    """Double-precision roots of the proper cubics, in one batch."""
    idx = [i for i, c in enumerate(cubics)
           if _finite(c) and c[0] != 0.0 and c[3] != 0.0]
    out = {}
    if not idx:
        return out
    a = np.array([cubics[i] for i in idx], dtype=np.float64)
    m = np.zeros((len(idx), 3, 3))
    m[:, 0, :] = -a[:, 1:] / a[:, :1]
    m[:, 1, 0] = 1.0
    m[:, 2, 1] = 1.0
    ev = np.linalg.eigvals(m)
    for i, e in zip(idx, ev):
        out[i] = [complex(z) for z in e]
    return out


def cond_units(c, t):
    """Relative move of the true root t under relative coefficient
    perturbations of size u, in units of u (see the module notes)."""
    if t == 0:
        return 0.0
    r = abs(t)
    coefs = [mp.mpf(x) for x in c]
    while coefs and coefs[0] == 0:
        coefs.pop(0)
    n = len(coefs) - 1
    s = sum(abs(a) * r ** (n - i) for i, a in enumerate(coefs))
    # Taylor coefficients T_j = p^(j)(t) / j! by repeated synthetic division
    b = [mp.mpc(x) for x in coefs]
    taylor = []
    for _ in range(n + 1):
        for i in range(1, len(b)):
            b[i] += b[i - 1] * t
        taylor.append(b[-1])
        b = b[:-1]
    best = mp.inf
    for j in range(1, n + 1):
        tj = abs(taylor[j])
        if tj != 0:
            best = min(best, (U * s / tj) ** (mp.mpf(1) / j))
    return float(best / r / U)


# ---------------------------------------------------------------------------
# the analysis

HALF_ULP_SLACK = mp.mpf(2) ** -60    # the true parts' own error is far below


OVERFLOW = mp.mpf(2) ** 128 - mp.mpf(2) ** 103  # from here on, to nearest is infinite


def ulps(x, t):
    """|x - t| in units of the gap from the single x to the next single
    towards the true value t (mpf); 0 when they are equal.  Beyond the
    largest single the gap is taken as 2^104, the last one in range.  An
    infinite x is right (0) for a t of its sign at or beyond OVERFLOW, else
    infinitely wrong."""
    if math.isinf(x):
        return mp.mpf(0) if (x > 0) == (t > 0) and abs(t) >= OVERFLOW else mp.inf
    d = mp.mpf(x) - t
    if d == 0:
        return mp.mpf(0)
    with np.errstate(over="ignore"):
        nxt = float(np.nextafter(np.float32(x), np.float32(math.inf if d < 0 else -math.inf)))
    gap = abs(nxt - x) if math.isfinite(nxt) else 2.0 ** 104
    return abs(d) / gap


def _part_distance(z, t):
    """How far the computed root z (parts possibly infinite) is from the
    true root t, part by part, relative to |t|: for picking its true root."""
    scale = max(abs(t), FLT_MIN)
    d = 0
    for x, tp in ((z.real, t.real), (z.imag, t.imag)):
        if math.isinf(x):
            d += 0 if ulps(x, tp) == 0 else mp.inf
        else:
            d += abs(mp.mpf(x) - tp) / scale
    return d


def _rel(z, t):
    zt = mp.mpc(z.real, z.imag)
    d = abs(zt - t)
    return float(d / (abs(t) if t != 0 else FLT_MIN) / U)


def _pctl(v, q):
    if not v:
        return None
    return float(np.percentile(np.array(v, dtype=np.float64), q))


_TRUE = {}  # true roots by coefficients: the engines share their cubics


def analyse(rows, cubics=None, rounded=False):
    """Figures and offending cubics for one family.

    rows: (coefs, flags, roots) as from parse_csv; the coefficients of each
    row are the cubic whose true roots are computed.  cubics: the generated
    cubics, only to count rows whose echoed coefficients differ.  rounded:
    the engine claims correctly rounded flag-1 roots, and a root beyond
    half an ulp is an offender."""
    coefs_all = [r[0] for r in rows]
    starts = companion_starts(coefs_all)
    errs, conds, ratios, small_cond_errs = [], [], [], []
    solved = wrong = missed = trusted = over_half = 0
    ulps_max = None
    echo_mismatch = 0
    offenders = []
    flag_counts = {}
    limit = WRONG / U
    for i, (c, flags, roots) in enumerate(rows):
        if cubics is not None:
            if [gencubics.shortest(x) for x in cubics[i]] != [gencubics.shortest(x) for x in c]:
                echo_mismatch += 1
        for f in flags:
            flag_counts[f] = flag_counts.get(f, 0) + 1
        if all(f == 1 for f in flags):
            solved += 1
        ones = [k for k in range(3) if flags[k] == 1]
        threes = [k for k in range(3) if flags[k] == -3] if rounded else []
        if not ones and not threes:
            continue
        if c not in _TRUE:
            _TRUE[c] = true_roots(c, starts.get(i))
        tr = _TRUE[c]
        bad, unrounded = [], []
        for k in ones:
            z = roots[k]
            trusted += 1
            if z is None or not (math.isfinite(z.real) and math.isfinite(z.imag)):
                bad.append((k, "flag 1 without a finite root"))
                continue
            if tr == "all":
                errs.append(0.0)
                continue
            if not tr:
                bad.append((k, "flag 1 but the cubic has no root" if tr is not None
                            else "flag 1 on a refused coefficient"))
                continue
            e = [_rel(z, t) for t in tr]
            j = min(range(len(tr)), key=e.__getitem__)
            err = e[j]
            ue = max(ulps(z.real, tr[j].real), ulps(z.imag, tr[j].imag))
            ulps_max = float(ue) if ulps_max is None else max(ulps_max, float(ue))
            if ue > mp.mpf(0.5) + HALF_ULP_SLACK:
                over_half += 1
                if rounded:
                    unrounded.append((k, "%.6g ulps from the true value: not correctly rounded" % ue))
            cond = cond_units(c, tr[j])
            errs.append(err)
            conds.append(cond)
            if cond > 0:
                ratios.append(err / cond)
                if cond <= SMALL_COND:
                    small_cond_errs.append(err)
            else:
                ratios.append(0.0 if err == 0 else math.inf)
                small_cond_errs.append(err)
            if err > limit:
                bad.append((k, "relative error %.3g, cond %.3g (units of 2^-24)" % (err, cond)))
        for k in threes if isinstance(tr, list) and tr else ():
            z = roots[k]
            if z is None:
                unrounded.append((k, "flag -3 without a written root"))
                continue
            t = min(tr, key=lambda t: _part_distance(z, t))
            ue = max(ulps(z.real, t.real), ulps(z.imag, t.imag))
            if ue > mp.mpf(0.5) + HALF_ULP_SLACK:
                over_half += 1
                unrounded.append((k, "flag -3, %.6g ulps from the true value: not correctly rounded" % ue))
        wrong += len(bad)
        if (len(ones) == 3 and not bad and isinstance(tr, list) and len(tr) == 3
                and not _one_to_one(roots, tr, limit)):
            missed += 1
            bad.append((None, "a true root is left out (no one-to-one pairing within 1e-2)"))
        bad += unrounded
        if bad:
            offenders.append({"coefs": [gencubics.shortest(x) for x in c],
                              "flags": list(flags),
                              "roots": [None if z is None else [z.real, z.imag] for z in roots],
                              "true": (None if tr is None else "all" if tr == "all" else
                                       [[float(t.real), float(t.imag)] for t in tr]),
                              "why": ["root %d: %s" % (k + 1, w) if k is not None else w
                                      for k, w in bad]})
    n = len(rows)
    return {
        "cubics": n,
        "solved": solved,
        "solved_share": solved / n if n else None,
        "flag1_roots": trusted,
        "err_median": _pctl(errs, 50), "err_p99": _pctl(errs, 99),
        "err_max": max(errs) if errs else None,
        "cond_median": _pctl(conds, 50), "cond_p99": _pctl(conds, 99),
        "ratio_median": _pctl(ratios, 50), "ratio_p99": _pctl(ratios, 99),
        "ratio_max": max(ratios) if ratios else None,
        "err_max_small_cond": max(small_cond_errs) if small_cond_errs else None,
        "ulps_max": ulps_max,
        "over_half_ulp": over_half,
        "wrong_but_trusted": wrong,
        "missed_root": missed,
        "echo_mismatch": echo_mismatch,
        "flag_counts": {str(k): v for k, v in sorted(flag_counts.items(), reverse=True)},
        "offenders": offenders,
        "errors": errs,
    }


def _one_to_one(roots, tr, limit):
    import itertools
    for perm in itertools.permutations(range(3)):
        if all(_rel(roots[k], tr[perm[k]]) <= limit for k in range(3)):
            return True
    return False


# ---------------------------------------------------------------------------

def _fmt(x):
    if x is None:
        return "-"
    if x == 0:
        return "0"
    if math.isinf(x):
        return "inf"
    return "%.3g" % x


def summary_line(fam, s):
    return ("%-13s n=%-6d solved=%5.1f%%  err med/p99/max=%s/%s/%s  cond med=%s  "
            "err/cond med/p99/max=%s/%s/%s  maxerr(cond<=%g)=%s  ulps max=%s  "
            "over-half-ulp=%d  wrong-trusted=%d  missed=%d"
            % (fam, s["cubics"], 100.0 * (s["solved_share"] or 0.0),
               _fmt(s["err_median"]), _fmt(s["err_p99"]), _fmt(s["err_max"]),
               _fmt(s["cond_median"]), _fmt(s["ratio_median"]), _fmt(s["ratio_p99"]),
               _fmt(s["ratio_max"]), SMALL_COND, _fmt(s["err_max_small_cond"]),
               _fmt(s["ulps_max"]), s["over_half_ulp"], s["wrong_but_trusted"],
               s["missed_root"]))


def _readme_num(x):
    """Three significant digits, thousands separated: 0.71, 29.6, 2,060."""
    if x is None:
        return "-"
    if x == 0 or math.isinf(x):
        return _fmt(x)
    t = "%.3g" % x
    if "e" in t or abs(x) >= 1000:
        return "{:,}".format(int(float(t))) if abs(x) < 1e15 else t
    return t


def table(results, engines, fams):
    """The figures as a Markdown table, a row per family and engine."""
    lines = ["| family | engine | solved | error median / p99 / max | ulps max | cond median "
             "| error/cond p99 / max | wrong |",
             "|---|---|---|---|---|---|---|---|"]
    for fam in fams:
        for e in engines:
            s = results[e][fam]
            lines.append("| %s | %s | %.1f%% | %s / %s / %s | %s | %s | %s / %s | %d |"
                         % (fam, ENGINE_LABEL[e], 100.0 * (s["solved_share"] or 0.0),
                            _readme_num(s["err_median"]), _readme_num(s["err_p99"]),
                            _readme_num(s["err_max"]),
                            "-" if s["ulps_max"] is None else "%.3g" % s["ulps_max"],
                            _readme_num(s["cond_median"]), _readme_num(s["ratio_p99"]),
                            _readme_num(s["ratio_max"]), s["wrong_but_trusted"]))
    return "\n".join(lines)


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--solver", required=True, help="path of qubic-solve")
    ap.add_argument("--family", action="append", choices=gencubics.ALL_FAMILIES,
                    help="family to run (repeatable; default: all)")
    ap.add_argument("--engine", action="append", choices=ENGINES + ("all",),
                    help="engine to run (repeatable; default: qubic; all: every one)")
    ap.add_argument("--count", type=int, default=2000, help="cubics per family")
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--solver-arg", action="append", default=[],
                    help="extra argument for the solver (repeatable)")
    ap.add_argument("--input-format", default="csv", choices=("csv", "test6"),
                    help="how the cubics are written to the solver's input")
    ap.add_argument("--guard", action="store_true",
                    help="exit 1 if a family has a wrong-but-trusted or missed root "
                         "(numpy is not guarded)")
    ap.add_argument("--table", action="store_true",
                    help="end with a Markdown table, a row per family and engine")
    ap.add_argument("--json", help="write the figures to this file")
    ap.add_argument("--max-offenders", type=int, default=20,
                    help="offending cubics printed per family")
    a = ap.parse_args(argv)
    fams = a.family or list(gencubics.ALL_FAMILIES)
    engines = a.engine or ["qubic"]
    engines = list(ENGINES) if "all" in engines else list(dict.fromkeys(engines))
    results = {e: {} for e in engines}
    failed = False
    t0 = time.time()
    print("errors in units of 2^-24 relative; cond = relative root move per 2^-24 "
          "coefficient perturbation, same units; ulps: of the float result, per part")
    for fam in fams:
        cubics = list(gencubics.cubics(fam, a.count, a.seed))
        for engine in engines:
            try:
                rows = engine_rows(engine, a.solver, cubics, a.input_format, a.solver_arg)
            except (CsvError, OSError) as e:
                print("accuracy.py: %s: %s" % (fam, e), file=sys.stderr)
                return 2
            s = analyse(rows, cubics if a.input_format == "csv" else None,
                        rounded=engine == "exact")
            s["family"] = fam
            s["engine"] = engine
            s["seed"] = a.seed
            print(summary_line(fam if len(engines) == 1 else "%s %s" % (fam, ENGINE_LABEL[engine]), s))
            print("  flags: " + "  ".join("%s:%d" % kv for kv in s["flag_counts"].items()))
            if s["echo_mismatch"]:
                print("  warning: %d rows echo coefficients other than the ones sent"
                      % s["echo_mismatch"])
            if s["offenders"]:
                failed = failed or engine != "numpy"
                for o in s["offenders"][:a.max_offenders]:
                    print("  %s  flags %s  roots %s  true %s  -- %s"
                          % (" ".join(o["coefs"]), o["flags"], o["roots"], o["true"],
                             "; ".join(o["why"])))
                if len(s["offenders"]) > a.max_offenders:
                    print("  ... %d more" % (len(s["offenders"]) - a.max_offenders))
            sys.stdout.flush()
            results[engine][fam] = s
    print("%.1f s" % (time.time() - t0))
    if a.table:
        print(table(results, engines, fams))
    if a.json:
        def strip(r):
            return {f: {k: v for k, v in s.items() if k != "errors"} for f, s in r.items()}
        with open(a.json, "w") as fh:
            json.dump(strip(results[engines[0]]) if len(engines) == 1 else
                      {e: strip(r) for e, r in results.items()}, fh, indent=1)
    return 1 if a.guard and failed else 0


if __name__ == "__main__":
    sys.exit(main())
