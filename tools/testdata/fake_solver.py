#!/usr/bin/python3
"""Stand-in for `qubic-solve --csv`, used by the tests of tools/accuracy.py.

Reads cubics "a3 a2 a1 a0" from standard input, one per line, and writes the
CSV of qubic-solve: roots from numpy.roots in double precision rounded to
single, flag 1 for every finite root, -2 for a refused coefficient, -6 for
the missing roots of a cubic with a zero leading coefficient.

    fake_solver.py --csv [--spoil K]

--spoil K multiplies the first root of every K-th cubic (K, 2K, ...) by 1.5
and keeps its flag 1, so that the accuracy tool has a wrong root to find.
"""
import math
import os
import sys

import numpy as np

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from gencubics import f32, shortest, FLT_MIN  # noqa: E402


def main():
    args = sys.argv[1:]
    spoil = int(args[args.index("--spoil") + 1]) if "--spoil" in args else 0
    out = ["a3,a2,a1,a0,flag1,flag2,flag3,re1,im1,re2,im2,re3,im3"]
    for n, line in enumerate(sys.stdin, start=1):
        c = [f32(float(x)) for x in line.split()]
        flags, roots = [-6, -6, -6], [None, None, None]
        if any(not math.isfinite(x) or (x != 0 and abs(x) < FLT_MIN) for x in c):
            flags = [-2, -2, -2]
        elif c[0] != 0.0:
            for k, z in enumerate(np.roots(c)):
                z = complex(f32(z.real), f32(z.imag))
                roots[k] = z
                flags[k] = 1 if math.isfinite(z.real) and math.isfinite(z.imag) else -3
            if spoil and n % spoil == 0:
                roots[0] = complex(f32(roots[0].real * 1.5), f32(roots[0].imag * 1.5))
        fields = [shortest(x) for x in c] + [str(f) for f in flags]
        for z in roots:
            fields += ["", ""] if z is None else [shortest(z.real), shortest(z.imag)]
        out.append(",".join(fields))
    sys.stdout.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
