#!/usr/bin/python3
"""Plot of qubic's root accuracy next to numpy.roots: docs/accuracy.png.

Regenerate with (from the top of the source tree, after a build):

    /usr/bin/python3 tools/accuracy_plot.py --solver build/tools/qubic-solve

(options: --count 2000 --seed 1 --out docs/accuracy.png).

For every family of tools/gencubics.py the same seeded cubics are solved
twice:

  qubic   qubic-solve --csv; only its flag-1 roots are counted, and a cubic
          is solved when all three flags are 1;
  numpy   numpy.roots in double precision on the same single-precision
          coefficients, every root rounded to single.  numpy gives no flags,
          so all of its roots count, and a cubic counts as solved when numpy
          returns three roots (finite coefficients, nonzero leading one)
          that are all finite after the rounding to single.  A root that
          underflows to 0 still counts as solved there: numpy does not know.

Each panel shows, per family, the distribution of the relative error of the
counted roots against the true roots (tools/accuracy.py computes them), in
units of 2^-24 on a log scale; errors below 1e-3 units (exact roots among
them) are gathered in the leftmost bin.  The legend gives each solver's
solved share; the dotted line marks a relative error of 1e-2, beyond which
accuracy.py calls a trusted root wrong.  The last panel compares the solved
shares.
"""
import argparse
import math
import os
import sys

import matplotlib
matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import accuracy as acc  # noqa: E402
import gencubics  # noqa: E402

FAMILIES = ("uniform", "realroots", "complexroots", "nearmultiple", "wide", "special", "mix")
LOW, HIGH = 1e-3, 1e9


def numpy_rows(cubics):
    """Rows in the solver's CSV shape, from numpy.roots rounded to single."""
    f32 = gencubics.f32
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


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--solver", required=True, help="path of qubic-solve")
    ap.add_argument("--count", type=int, default=2000)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--out", default=os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                                  "..", "docs", "accuracy.png")))
    a = ap.parse_args(argv)

    res = {}
    for fam in FAMILIES:
        cubics = list(gencubics.cubics(fam, a.count, a.seed))
        q = acc.analyse(acc.run_solver(a.solver, cubics))
        n = acc.analyse(numpy_rows(cubics))
        res[fam] = (q, n)
        print("%-13s qubic solved %5.1f%%, %d roots, wrong-trusted %d | "
              "numpy solved %5.1f%%, %d roots, wrong %d"
              % (fam, 100 * q["solved_share"], len(q["errors"]), q["wrong_but_trusted"],
                 100 * n["solved_share"], len(n["errors"]), n["wrong_but_trusted"]))

    bins = np.logspace(math.log10(LOW), math.log10(HIGH), 49)
    fig, axes = plt.subplots(2, 4, figsize=(18, 8.5), constrained_layout=True)
    colours = {"qubic": "tab:blue", "numpy": "tab:orange"}
    for ax, fam in zip(axes.flat, FAMILIES):
        for name, s in zip(("qubic", "numpy"), res[fam]):
            e = np.clip(np.array(s["errors"], dtype=np.float64), LOW, HIGH * 0.999)
            w = np.full(len(e), 1.0 / max(len(e), 1))
            ax.hist(e, bins=bins, weights=w, histtype="step", linewidth=1.6,
                    color=colours[name],
                    label="%s: solved %.1f%%, %d roots, %d beyond 1e-2"
                    % (name, 100 * s["solved_share"], len(e), s["wrong_but_trusted"]))
        ax.axvline(acc.WRONG / acc.U, color="grey", linestyle=":", linewidth=1,
                   label="relative error 1e-2")
        ax.set_xscale("log")
        ax.set_yscale("log")
        ax.set_ylim(1e-4, 1.5)
        ax.set_xlim(LOW, HIGH)
        ax.set_title("%s (%d cubics)" % (fam, a.count))
        ax.set_xlabel("relative error, units of 2^-24")
        ax.set_ylabel("share of counted roots")
        ax.legend(fontsize=8, loc="upper right")
    ax = axes.flat[len(FAMILIES)]
    x = np.arange(len(FAMILIES))
    ax.bar(x - 0.2, [100 * res[f][0]["solved_share"] for f in FAMILIES], 0.4,
           color=colours["qubic"], label="qubic (flags 1, 1, 1)")
    ax.bar(x + 0.2, [100 * res[f][1]["solved_share"] for f in FAMILIES], 0.4,
           color=colours["numpy"], label="numpy.roots (three finite roots)")
    ax.set_xticks(x, FAMILIES, rotation=35, ha="right")
    ax.set_ylabel("cubics solved, %")
    ax.set_ylim(0, 105)
    ax.set_title("share of cubics solved")
    ax.legend(fontsize=8, loc="lower left")
    fig.suptitle("qubic (single precision, flag-1 roots) vs numpy.roots (double, rounded to "
                 "single): relative root error against 320-bit true roots, seed %d" % a.seed)
    os.makedirs(os.path.dirname(os.path.abspath(a.out)), exist_ok=True)
    fig.savefig(a.out, dpi=90)
    print("wrote", a.out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
