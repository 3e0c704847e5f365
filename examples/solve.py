# Solve cubics with qubic: one, then a million at once, then the unsolved ones exactly.
import numpy as np

import qubic

s = qubic.solve(1, -6, 11, -6)                 # x^3 - 6x^2 + 11x - 6 = (x - 1)(x - 2)(x - 3)
print(s.roots, s.flags, s.solved)              # complex64 (3,), int32 (3,), bool ()

c = np.random.default_rng(1).uniform(-1, 1, size=(1_000_000, 4))   # a3 a2 a1 a0 per row
s = qubic.solve(c)                             # float64 rounded once to float32
good = s.roots[s.flags == qubic.FOUND]         # only roots flagged 1 are roots to use
print(f"{s.solved.mean():.2%} solved, {good.size} roots to use")
for code, count in zip(*np.unique(s.flags, return_counts=True)):
    print(f"{code:3d} {count:8d}  {qubic.flag_meaning(code)}")

e = qubic.solve(c[~s.solved], exact=True)      # the exact engine on the rest: every root correctly rounded
print(f"the exact engine solves {e.solved.sum()} of the {e.solved.size} others")
