#!/usr/bin/python3
"""Tests of the Python tools: the cubic generator and the accuracy metric.

    /usr/bin/python3 -m unittest discover -s tools -p 'test_tools.py'

The generator tests need only the standard library; the accuracy tests need
numpy and mpmath and are skipped without them.
"""
import io
import math
import os
import struct
import sys
import unittest
from contextlib import redirect_stdout

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import gencubics as g  # noqa: E402

try:
    import accuracy as acc
except ImportError:         # numpy or mpmath missing
    acc = None

FAKE = os.path.join(HERE, "testdata", "fake_solver.py")


def bits(x):
    return struct.unpack("<I", struct.pack("<f", x))[0]


class GeneratorDeterminism(unittest.TestCase):
    def lines(self, family, count, seed, fmt="csv"):
        return [g.format_line(c, fmt) for c in g.cubics(family, count, seed)]

    def test_same_seed_same_cubics(self):
        for fam in g.ALL_FAMILIES:
            with self.subTest(family=fam):
                self.assertEqual(self.lines(fam, 200, 11), self.lines(fam, 200, 11))

    def test_other_seed_other_cubics(self):
        for fam in g.ALL_FAMILIES:
            with self.subTest(family=fam):
                self.assertNotEqual(self.lines(fam, 50, 11), self.lines(fam, 50, 12))

    def test_families_differ_for_one_seed(self):
        self.assertNotEqual(self.lines("realroots", 20, 3), self.lines("complexroots", 20, 3))

    def test_a_shorter_run_is_a_prefix(self):
        self.assertEqual(self.lines("mix", 300, 5)[:120], self.lines("mix", 120, 5))

    def test_command_line_output_matches_library(self):
        out = io.StringIO()
        with redirect_stdout(out):
            g.main(["--family", "special", "--count", "40", "--seed", "9", "--format", "test6"])
        self.assertEqual(out.getvalue().splitlines(), self.lines("special", 40, 9, "test6"))

    def test_every_coefficient_is_a_single(self):
        for c in g.cubics("mix", 3000, 2):
            for x in c:
                if x == x:
                    self.assertEqual(g.f32(x), x)

    def test_test6_records_are_64_columns(self):
        for line in self.lines("mix", 2000, 4, "test6"):
            self.assertEqual(len(line), 64, line)
            for k in range(4):
                self.assertEqual(line[16 * k], " ", line)

    def test_special_family_covers_the_edge_values(self):
        seen = set()
        for c in g.cubics("special", 3000, 1):
            for x in c:
                if x != x:
                    seen.add("nan")
                elif math.isinf(x):
                    seen.add("inf")
                elif x == 0 and math.copysign(1, x) < 0:
                    seen.add("-0")
                elif x != 0 and abs(x) < g.FLT_MIN:
                    seen.add("subnormal")
                elif abs(x) == g.FLT_MAX:
                    seen.add("flmax")
                elif abs(x) == g.FLT_MIN:
                    seen.add("flmin")
            if all(x == 0 for x in c):
                seen.add("all zero")
            elif c[0] == 0:
                seen.add("leading zero")
            elif c[3] == 0:
                seen.add("constant zero")
        self.assertEqual(seen, {"nan", "inf", "-0", "subnormal", "flmax", "flmin",
                                "all zero", "leading zero", "constant zero"})

    def test_wide_spans_the_normal_range(self):
        exps = [math.frexp(x)[1] for c in g.cubics("wide", 2000, 1) for x in c]
        self.assertLess(min(exps), -110)
        self.assertGreater(max(exps), 110)


class Formats(unittest.TestCase):
    def test_e16_known_values(self):
        cases = [
            (1.0, "  0.10000000E+01"),
            (-6.0, " -0.60000000E+01"),
            (11.0, "  0.11000000E+02"),
            (g.f32_from_bits(0x358637bd), "  0.10000000E-05"),   # carry into a new digit
            (0.0, "  0.00000000E+00"),
            (-0.0, " -0.00000000E+00"),
            (g.FLT_MAX, "  0.34028235E+39"),
            (g.FLT_MIN, "  0.11754944E-37"),
            (g.FLT_TRUE_MIN, "  0.14012985E-44"),
            (4194303.75, "  0.41943038E+07"),   # exact tie at the ninth digit, to even
            (float("inf"), "        Infinity"),
            (float("-inf"), "       -Infinity"),
            (float("nan"), "             NaN"),
        ]
        for x, want in cases:
            with self.subTest(x=x):
                self.assertEqual(g.e16(x), want)

    def test_shortest_known_values(self):
        cases = [
            (g.f32(0.1), "0.1"),
            (-0.0, "-0"),
            (0.0, "0"),
            (3.0, "3"),
            (g.f32(1.9999999), "1.9999999"),
            (g.FLT_MAX, "3.4028235e+38"),
            (-g.FLT_MAX, "-3.4028235e+38"),
            (g.FLT_TRUE_MIN, "1e-45"),
            (g.f32(16777217.0), "16777216"),
            (float("inf"), "inf"),
            (float("-inf"), "-inf"),
            (float("nan"), "nan"),
        ]
        for x, want in cases:
            with self.subTest(x=x):
                self.assertEqual(g.shortest(x), want)

    def test_shortest_round_trips_every_pattern_sampled(self):
        import random
        rng = random.Random(20240601)
        for _ in range(20000):
            b = rng.getrandbits(32)
            x = g.f32_from_bits(b)
            if x != x:
                continue
            s = g.shortest(x)
            self.assertEqual(bits(g.f32(float(s))), b, s)
            # one digit fewer never reads back as the same single
            digits = len(s.lstrip("-").split("e")[0].replace(".", "").lstrip("0"))
            if digits > 1 and math.isfinite(x):
                fewer = "%.*g" % (digits - 1, x)
                self.assertNotEqual(bits(g.f32(float(fewer))), b, (s, fewer))

    def test_rounding_to_single_overflows_to_infinity(self):
        self.assertEqual(g.f32(1e39), float("inf"))
        self.assertEqual(g.f32(-4e38), float("-inf"))
        self.assertEqual(g.f32(3.4028235e38), g.FLT_MAX)     # rounds down, no overflow
        self.assertEqual(bits(g.f32(1e-46)), 0)


@unittest.skipIf(acc is None, "numpy and mpmath are needed")
class AccuracyMetric(unittest.TestCase):
    HEAD = "a3,a2,a1,a0,flag1,flag2,flag3,re1,im1,re2,im2,re3,im3\n"

    def stats(self, body):
        return acc.analyse(acc.parse_csv(self.HEAD + body))

    def test_right_roots_are_not_counted(self):
        s = self.stats("1,-6,11,-6,1,1,1,3,0,2,0,1,0\n")
        self.assertEqual(s["solved"], 1)
        self.assertEqual(s["wrong_but_trusted"], 0)
        self.assertEqual(s["missed_root"], 0)
        self.assertEqual(s["err_max"], 0.0)

    def test_error_is_in_units_of_2_pow_minus_24(self):
        # 1 + 2^-23 against the true root 1: two units
        s = self.stats("1,-6,11,-6,1,1,1,3,0,2,0,1.0000001,0\n")
        self.assertEqual(s["err_max"], 2.0)
        self.assertEqual(s["wrong_but_trusted"], 0)

    def test_wrong_trusted_root_is_counted(self):
        # 1.5 lies 25 % from the true root 2 and 50 % from 1
        s = self.stats("1,-6,11,-6,1,1,1,3,0,2,0,1.5,0\n"
                       "1,-6,11,-6,1,1,1,3,0,2,0,1,0\n")
        self.assertEqual(s["cubics"], 2)
        self.assertEqual(s["wrong_but_trusted"], 1)
        self.assertEqual(len(s["offenders"]), 1)
        self.assertEqual(s["offenders"][0]["flags"], [1, 1, 1])
        self.assertAlmostEqual(s["err_max"], 0.25 * 2 ** 24)

    def test_wrong_root_without_flag_1_is_not_counted(self):
        s = self.stats("1,-6,11,-6,1,1,-3,3,0,2,0,1.5,0\n")
        self.assertEqual(s["wrong_but_trusted"], 0)
        self.assertEqual(s["solved"], 0)

    def test_root_given_twice_is_a_missed_root(self):
        s = self.stats("1,-6,11,-6,1,1,1,3,0,3,0,1,0\n")
        self.assertEqual(s["wrong_but_trusted"], 0)
        self.assertEqual(s["missed_root"], 1)

    def test_complex_roots(self):
        # x^3 - 1: 1 and -1/2 +- i sqrt(3)/2; a wrong imaginary sign is still
        # the conjugate root, a wrong modulus is not
        good = "1,0,0,-1,1,1,1,1,0,-0.5,0.8660254,-0.5,-0.8660254\n"
        bad = "1,0,0,-1,1,1,1,1,0,-0.5,0.8660254,-0.5,-0.5\n"
        self.assertEqual(self.stats(good)["wrong_but_trusted"], 0)
        self.assertEqual(self.stats(bad)["wrong_but_trusted"], 1)

    def test_true_zero_root_needs_an_exact_zero(self):
        ok = self.stats("1,0,-1,0,1,1,1,0,0,1,0,-1,0\n")
        self.assertEqual(ok["wrong_but_trusted"], 0)
        off = self.stats("1,0,-1,0,1,1,1,1e-30,0,1,0,-1,0\n")
        self.assertEqual(off["wrong_but_trusted"], 1)

    def test_degenerate_cubics(self):
        # leading zero: x^2 - 3x + 2; the third root is absent
        s = self.stats("0,1,-3,2,1,1,-1,2,0,1,0,,\n")
        self.assertEqual(s["wrong_but_trusted"], 0)
        self.assertEqual(s["flag1_roots"], 2)
        # a nonzero constant has no root: any trusted root is wrong
        s = self.stats("0,0,0,5,1,-1,-1,1,0,,,,\n")
        self.assertEqual(s["wrong_but_trusted"], 1)
        # a refused coefficient must not give trusted roots
        s = self.stats("1,inf,0,1,1,-2,-2,1,0,,,,\n")
        self.assertEqual(s["wrong_but_trusted"], 1)

    def test_true_roots_of_exact_multiple_roots(self):
        def real_sorted(c):
            return sorted(float(t.real) for t in acc.true_roots(c))
        self.assertEqual(real_sorted((1.0, -4.0, 5.0, -2.0)), [1.0, 1.0, 2.0])
        self.assertEqual(real_sorted((2.0, -6.0, 6.0, -2.0)), [1.0, 1.0, 1.0])
        self.assertEqual(acc.true_roots((0.0, -0.0, 0.0, 0.0)), "all")
        self.assertEqual(acc.true_roots((0.0, 0.0, 0.0, 3.0)), [])
        self.assertIsNone(acc.true_roots((1.0, float("nan"), 0.0, 1.0)))

    def test_condition_estimate(self):
        # (x-1)(x-2)(x-3) at 1: sum |a_k| / |1 * p'(1)| = 24 / 2
        self.assertEqual(acc.cond_units((1.0, -6.0, 11.0, -6.0), 1), 12.0)
        # triple root of (x-1)^3: (u * 8 / 1)^(1/3) / u
        c = acc.cond_units((1.0, -3.0, 3.0, -1.0), 1)
        self.assertAlmostEqual(c, 2.0 / 2 ** -16, delta=1e-6 * c)

    def test_malformed_csv_is_refused(self):
        with self.assertRaises(acc.CsvError):
            acc.parse_csv("a,b\n1,2\n")
        with self.assertRaises(acc.CsvError):
            acc.parse_csv(self.HEAD + "1,-6,11,-6,1,1,1,3,0,2,0\n")

    def test_guard_fails_on_a_spoiled_solver_and_passes_a_sound_one(self):
        args = ["--solver", FAKE, "--family", "uniform", "--count", "60", "--seed", "3"]
        with redirect_stdout(io.StringIO()):
            self.assertEqual(acc.main(args + ["--guard"]), 0)
        out = io.StringIO()
        with redirect_stdout(out):
            rc = acc.main(args + ["--guard", "--solver-arg=--spoil", "--solver-arg=7"])
        self.assertEqual(rc, 1)
        self.assertIn("wrong-trusted=8", out.getvalue())     # cubics 7, 14, ..., 56


if __name__ == "__main__":
    unittest.main()
