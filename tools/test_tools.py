#!/usr/bin/python3
# Tests of the Python tools, the cubic generator and the accuracy metric:
#     /usr/bin/python3 -m unittest discover -s tools -p 'test_tools.py'
# The generator tests need only the standard library; the accuracy tests need
# numpy and mpmath and are skipped without them.
import io
import math
import os
import random
import struct
import sys
import unittest
from contextlib import redirect_stdout
from unittest import mock

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import gencubics as g  # noqa: E402

try:
    import accuracy as acc
except ImportError:         # numpy or mpmath missing
    acc = None


def bits(x):
    return struct.unpack("<I", struct.pack("<f", x))[0]


def lines(family, count, seed, fmt="csv"):
    return [g.format_line(c, fmt, family in g.DOUBLE_FAMILIES) for c in g.cubics(family, count, seed)]


class Generator(unittest.TestCase):
    def test_seeded(self):
        # the same seed gives the same cubics, another seed others, a
        # shorter run a prefix; the command line writes what the library gives
        for fam in g.ALL_FAMILIES + g.DOUBLE_FAMILIES:
            with self.subTest(family=fam):
                self.assertEqual(lines(fam, 200, 11), lines(fam, 200, 11))
                self.assertNotEqual(lines(fam, 50, 11), lines(fam, 50, 12))
        self.assertEqual(lines("mix", 300, 5)[:120], lines("mix", 120, 5))
        out = io.StringIO()
        with redirect_stdout(out):
            g.main(["--family", "special", "--count", "40", "--seed", "9", "--format", "test6"])
        self.assertEqual(out.getvalue().splitlines(), lines("special", 40, 9, "test6"))

    def test_singles_in_64_column_records(self):
        for c in g.cubics("mix", 2000, 4):
            line = g.format_line(c, "test6")
            self.assertEqual((len(line), line[::16]), (64, "    "), line)
            self.assertTrue(all(x != x or g.f32(x) == x for x in c), c)

    def test_families_reach_their_edges(self):
        special = list(g.cubics("special", 3000, 1))
        xs = [x for c in special for x in c]
        kinds = {"nan": lambda x: x != x, "inf": math.isinf, "-0": lambda x: x == 0 and math.copysign(1, x) < 0,
                 "subnormal": lambda x: 0 < abs(x) < g.FLT_MIN, "flmax": lambda x: abs(x) == g.FLT_MAX,
                 "flmin": lambda x: abs(x) == g.FLT_MIN}
        for kind, test in kinds.items():
            self.assertTrue(any(test(x) for x in xs), kind)
        self.assertTrue(any(not any(c) for c in special), "all zero")
        self.assertTrue(any(c[0] == 0 and any(c) for c in special), "leading zero")
        self.assertTrue(any(c[0] != 0 and c[3] == 0 for c in special), "constant zero")
        exps = [math.frexp(x)[1] for c in g.cubics("wide", 2000, 1) for x in c]
        self.assertLess(min(exps), -110)
        self.assertGreater(max(exps), 110)

    def test_double_family(self):
        # Doubles across the whole range, not all singles, as text that reads
        # back to the same double in both formats; no test6 for them.
        cubics = list(g.cubics("double", 3000, 1))
        xs = [x for c in cubics for x in c]
        finite = [x for x in xs if math.isfinite(x) and x != 0]
        self.assertTrue(any(0 < abs(x) < sys.float_info.min for x in finite), "subnormal double")
        self.assertTrue(any(abs(x) > g.FLT_MAX for x in finite), "beyond the single range")
        self.assertTrue(any(x != g.f32(x) for x in finite), "not a single")
        self.assertTrue(any(all(x == g.f32(x) for x in c) for c in cubics), "a single cubic")
        self.assertTrue(any(math.isnan(x) for x in xs) and any(math.isinf(x) for x in xs), "nan, inf")
        exps = [math.frexp(x)[1] for x in finite]
        self.assertLess(min(exps), -1000)
        self.assertGreater(max(exps), 1000)
        for fmt, read in (("csv", float), ("hex", float.fromhex)):
            for c in cubics[:500]:
                back = tuple(read(t) for t in g.format_line(c, fmt, True).split(" "))
                self.assertEqual(struct.pack("<4d", *back), struct.pack("<4d", *c), (fmt, c))
        with self.assertRaises(ValueError):
            g.format_line(cubics[0], "test6", True)


class Formats(unittest.TestCase):
    def test_known_values(self):
        for x, field, short in [
            (1.0, "  0.10000000E+01", "1"),
            (g.f32_from_bits(0x358637bd), "  0.10000000E-05", "1e-06"),   # 9.99999997e-7: a carry
            (4194303.75, "  0.41943038E+07", "4194303.8"),   # an exact tie at the ninth digit, to even
            (g.f32(16777217.0), "  0.16777216E+08", "16777216"),        # a tie on rounding to single, to even
            (-0.0, " -0.00000000E+00", "-0"),
            (-g.FLT_MAX, " -0.34028235E+39", "-3.4028235e+38"),
            (g.FLT_TRUE_MIN, "  0.14012985E-44", "1e-45"),
            (float("-inf"), "       -Infinity", "-inf"),
            (float("nan"), "             NaN", "nan"),
        ]:
            self.assertEqual((g.e16(x), g.shortest(x)), (field, short), x)
        # rounding to single overflows to infinity beyond the midpoint, underflows to 0 below half 2^-149
        self.assertEqual([g.f32(1e39), g.f32(-4e38), g.f32(3.4028235e38), bits(g.f32(1e-46))],
                         [math.inf, -math.inf, g.FLT_MAX, 0])

    def test_shortest_round_trips(self):
        # random bit patterns, seed 20240601: the text the solver is fed reads
        # back to the same single (NaN aside)
        rng = random.Random(20240601)
        for b in (rng.getrandbits(32) for _ in range(20000)):
            x = g.f32_from_bits(b)
            self.assertTrue(x != x or bits(g.f32(float(g.shortest(x)))) == b, hex(b))


@unittest.skipIf(acc is None, "numpy and mpmath are needed")
class AccuracyMetric(unittest.TestCase):
    HEAD = "a3,a2,a1,a0,flag1,flag2,flag3,re1,im1,re2,im2,re3,im3\n"

    def test_counts(self):
        # rows of `qubic-solve --csv` (without the header) and the counts they give
        cases = [
            ("right roots", "1,-6,11,-6,1,1,1,3,0,2,0,1,0",
             dict(solved=1, wrong_but_trusted=0, missed_root=0, err_max=0.0)),
            ("1 + 2^-23 against 1: two units of 2^-24", "1,-6,11,-6,1,1,1,3,0,2,0,1.0000001,0",
             dict(err_max=2.0, wrong_but_trusted=0)),
            ("1.5 lies 25 % from 2", "1,-6,11,-6,1,1,1,3,0,2,0,1.5,0\n1,-6,11,-6,1,1,1,3,0,2,0,1,0",
             dict(cubics=2, wrong_but_trusted=1, err_max=0.25 * 2 ** 24, offender_flags=[[1, 1, 1]])),
            ("a wrong root without flag 1", "1,-6,11,-6,1,1,-3,3,0,2,0,1.5,0", dict(wrong_but_trusted=0, solved=0)),
            ("a root given twice", "1,-6,11,-6,1,1,1,3,0,3,0,1,0", dict(wrong_but_trusted=0, missed_root=1)),
            ("x^3 - 1 with a conjugate; a wrong modulus", "1,0,0,-1,-3,1,1,1,0,-0.5,0.8660254,-0.5,-0.8660254\n"
             "1,0,0,-1,1,1,1,1,0,-0.5,0.8660254,-0.5,-0.5", dict(wrong_but_trusted=1, offender_flags=[[1, 1, 1]])),
            ("a true zero root needs an exact zero", "1,0,-1,0,1,1,1,1e-30,0,1,0,-1,0\n1,0,-1,0,1,1,-3,0,0,1,0,-1,0",
             dict(wrong_but_trusted=1, offender_flags=[[1, 1, 1]])),
            ("leading zero: no third root", "0,1,-3,2,1,1,-1,2,0,1,0,,", dict(wrong_but_trusted=0, flag1_roots=2)),
            ("a nonzero constant has no root", "0,0,0,5,1,-1,-1,1,0,,,,", dict(wrong_but_trusted=1)),
            ("a refused coefficient has no trusted root", "1,inf,0,1,1,-2,-2,1,0,,,,", dict(wrong_but_trusted=1)),
        ]
        for why, body, want in cases:
            s = acc.analyse(acc.parse_csv(self.HEAD + body + "\n"))
            s["offender_flags"] = [o["flags"] for o in s["offenders"]]
            self.assertEqual({k: s[k] for k in want}, want, why)

    def test_true_roots_and_condition(self):
        def real_sorted(c):
            return sorted(float(t.real) for t in acc.true_roots(c))
        self.assertEqual(real_sorted((1.0, -4.0, 5.0, -2.0)), [1.0, 1.0, 2.0])
        self.assertEqual(real_sorted((2.0, -6.0, 6.0, -2.0)), [1.0, 1.0, 1.0])
        self.assertEqual(acc.true_roots((0.0, -0.0, 0.0, 0.0)), "all")
        self.assertEqual(acc.true_roots((0.0, 0.0, 0.0, 3.0)), [])
        self.assertIsNone(acc.true_roots((1.0, float("nan"), 0.0, 1.0)))
        # (x-1)(x-2)(x-3) at 1: sum |a_k| / |1 * p'(1)| = 24 / 2
        self.assertEqual(acc.cond_units((1.0, -6.0, 11.0, -6.0), 1), 12.0)
        # triple root of (x-1)^3: (u * 8 / 1)^(1/3) / u
        c = acc.cond_units((1.0, -3.0, 3.0, -1.0), 1)
        self.assertAlmostEqual(c, 2.0 / 2 ** -16, delta=1e-6 * c)

    def test_malformed_csv_is_refused(self):
        for text in ("a,b\n1,2\n", self.HEAD + "1,-6,11,-6,1,1,1,3,0,2,0\n"):
            with self.assertRaises(acc.CsvError):
                acc.parse_csv(text)

    def test_guard_fails_on_a_spoiled_solver_and_passes_a_sound_one(self):
        # The solver's rows stand in from numpy.roots; spoiled: the first root of
        # every 7th cubic times 1.5, flag 1 kept.
        def rows(spoil):
            def run_solver(solver, cubics, *rest):
                return [(c, f, (r[0] * 1.5,) + r[1:] if spoil and n % 7 == 0 else r)
                        for n, (c, f, r) in enumerate(acc.numpy_rows(cubics), start=1)]
            return mock.patch.object(acc, "run_solver", run_solver)
        args = ["--solver", "-", "--family", "uniform", "--count", "60", "--seed", "3", "--guard"]
        for spoil, rc in ((False, 0), (True, 1)):
            out = io.StringIO()
            with rows(spoil), redirect_stdout(out):
                self.assertEqual(acc.main(args), rc, out.getvalue())
        self.assertIn("wrong-trusted=8", out.getvalue())     # cubics 7, 14, ..., 56


if __name__ == "__main__":
    unittest.main()
