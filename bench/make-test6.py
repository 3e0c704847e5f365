#!/usr/bin/env python3
"""Write the reference input of the throughput benchmark: N records of random cubics.

usage: make-test6.py N FILE [SEED]      (SEED defaults to 6)

Each record is four 16-column fields 0.ddddddddE+nn (highest power first),
each the text of a single-precision value.  Of the cubics, 40% are
a3 (x - r1)(x - r2)(x - r3) with three real roots, 40% are
a3 (x - r)(x^2 - 2u x + u^2 + v^2) with a real root and a complex pair, and
20% have four independent coefficients, all over several decades.  The same
N and SEED always give the same bytes (Python's seeded Mersenne Twister).
"""
import random
import struct
import sys


def to_single(x):
    """The single-precision value nearest the double x."""
    return struct.unpack("f", struct.pack("f", x))[0]


def field(v):
    """v as 0.ddddddddE+nn, right-justified in 16 columns (zero is unsigned)."""
    if v == 0.0:
        return "  0.00000000E+00"
    digits, exponent = ("%.7E" % abs(v)).split("E")  # d.ddddddd, rounded once
    exponent = int(exponent) + 1                     # 0.dddddddd has one more
    sign = "-" if v < 0 else ""
    text = "%s0.%s%sE%+03d" % (sign, digits[0], digits[2:], exponent)
    return text.rjust(16)


def decades(rng, low, high):
    return 10.0 ** rng.uniform(low, high)


def coefficients(rng):
    """Monic coefficients (highest power first) and the leading factor a3.

    The order of the draws is part of the file's definition."""
    kind = rng.random()
    a3 = rng.choice((-1.0, 1.0)) * decades(rng, -2, 2)
    if kind < 0.4:
        s = decades(rng, -2, 3)
        r1 = s * rng.uniform(-1, 1)
        r2 = s * rng.uniform(-1, 1)
        r3 = s * rng.uniform(-1, 1)
        monic = (1.0, -(r1 + r2 + r3), r1 * r2 + r2 * r3 + r1 * r3, -(r1 * r2 * r3))
    elif kind < 0.8:
        s = decades(rng, -2, 3)
        r = s * rng.uniform(-1, 1)
        u = s * rng.uniform(-1, 1)
        v = s * rng.uniform(0.01, 1)
        q = u * u + v * v
        monic = (1.0, -(r + 2 * u), 2 * u * r + q, -r * q)
    else:
        monic = [rng.choice((-1.0, 1.0)) * decades(rng, -3, 3) for _ in range(4)]
    return a3, monic


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__.split("\n\n")[1])
    count, path = int(sys.argv[1]), sys.argv[2]
    rng = random.Random(int(sys.argv[3]) if len(sys.argv) == 4 else 6)
    with open(path, "w") as out:
        for _ in range(count):
            a3, monic = coefficients(rng)
            out.write("".join(field(to_single(a3 * c)) for c in monic) + "\n")


if __name__ == "__main__":
    main()
