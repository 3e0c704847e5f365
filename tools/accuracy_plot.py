#!/usr/bin/python3
"""Plot of the root accuracy of both engines next to numpy.roots: docs/accuracy.png.

Regenerate with (from the top of the source tree, after a build):

    /usr/bin/python3 tools/accuracy_plot.py --solver build/tools/qubic-solve

(options: --count 2000 --seed 1 --out docs/accuracy.png).

For every family of tools/gencubics.py the same seeded cubics are solved
three times (tools/accuracy.py, --engine, says how each is counted):

  qubic          qubic-solve --csv, the solver; only its flag-1 roots are
                 counted, and a cubic is solved when all three flags are 1;
  qubic --exact  qubic-solve --csv --exact, the exact engine, counted alike;
  numpy.roots    in double precision on the same single-precision
                 coefficients, every root rounded to single; all of its
                 finite roots count, and a cubic counts as solved when numpy
                 returns three of them.

Each panel shows, per family, the distribution of the relative error of the
counted roots against the true roots (tools/accuracy.py computes them), in
units of 2^-24 on a log scale; errors below 1e-3 units (exact roots among
them) are gathered in the leftmost bin.  The legend gives each engine's
solved share, and for the exact engine the largest error of a counted root
in ulps of its float value (at most 1/2 when every root is correctly
rounded); the dotted line
marks a relative error of 1e-2, beyond which accuracy.py calls a trusted
root wrong.  The last panel compares the solved shares.
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


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--solver", required=True, help="path of qubic-solve")
    ap.add_argument("--count", type=int, default=2000)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--out", default=os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                                  "..", "docs", "accuracy.png")))
    a = ap.parse_args(argv)

    engines = acc.ENGINES
    res = {}
    for fam in FAMILIES:
        cubics = list(gencubics.cubics(fam, a.count, a.seed))
        res[fam] = [acc.analyse(acc.engine_rows(e, a.solver, cubics), rounded=e == "exact")
                    for e in engines]
        print("%-13s " % fam + " | ".join(
            "%s solved %5.1f%%, %d roots, wrong %d, ulps max %s"
            % (acc.ENGINE_LABEL[e], 100 * s["solved_share"], len(s["errors"]),
               s["wrong_but_trusted"], acc._fmt(s["ulps_max"]))
            for e, s in zip(engines, res[fam])))

    bins = np.logspace(math.log10(LOW), math.log10(HIGH), 49)
    fig, axes = plt.subplots(2, 4, figsize=(18, 8.5), constrained_layout=True)
    colours = {"qubic": "tab:blue", "exact": "tab:green", "numpy": "tab:orange"}
    for ax, fam in zip(axes.flat, FAMILIES):
        for name, s in zip(engines, res[fam]):
            e = np.clip(np.array(s["errors"], dtype=np.float64), LOW, HIGH * 0.999)
            w = np.full(len(e), 1.0 / max(len(e), 1))
            # The exact engine dashed and on top: on well-conditioned
            # families numpy's rounded roots are the same singles.
            ax.hist(e, bins=bins, weights=w, histtype="step", linewidth=1.6,
                    color=colours[name], linestyle="--" if name == "exact" else "-",
                    zorder=3 if name == "exact" else 2,
                    label="%s: solved %.1f%%, %d beyond 1e-2%s"
                    % (acc.ENGINE_LABEL[name], 100 * s["solved_share"], s["wrong_but_trusted"],
                       ", max %s ulps" % acc._fmt(s["ulps_max"]) if name == "exact" else ""))
        ax.axvline(acc.WRONG / acc.U, color="grey", linestyle=":", linewidth=1,
                   label="relative error 1e-2")
        ax.set_xscale("log")
        ax.set_yscale("log")
        ax.set_ylim(1e-4, 1.5)
        ax.set_xlim(LOW, HIGH)
        ax.set_title("%s (%d cubics)" % (fam, a.count))
        ax.set_xlabel("relative error, units of 2^-24")
        ax.set_ylabel("share of counted roots")
        ax.legend(fontsize=7.5, loc="upper right")
    ax = axes.flat[len(FAMILIES)]
    x = np.arange(len(FAMILIES))
    what = {"qubic": "qubic (flags 1, 1, 1)", "exact": "qubic --exact (flags 1, 1, 1)",
            "numpy": "numpy.roots (three finite roots)"}
    for j, name in enumerate(engines):
        ax.bar(x + 0.27 * (j - 1), [100 * res[f][j]["solved_share"] for f in FAMILIES], 0.27,
               color=colours[name], label=what[name])
    ax.set_xticks(x, FAMILIES, rotation=35, ha="right")
    ax.set_ylabel("cubics solved, %")
    ax.set_ylim(0, 135)
    ax.set_yticks(range(0, 101, 20))
    ax.set_title("share of cubics solved")
    ax.legend(fontsize=8, loc="upper center")
    fig.suptitle("qubic (single precision, flag-1 roots), qubic --exact (correctly rounded) and numpy.roots "
                 "(double, rounded to single): relative root error against 320-bit true roots, seed %d" % a.seed)
    os.makedirs(os.path.dirname(os.path.abspath(a.out)), exist_ok=True)
    fig.savefig(a.out, dpi=90)
    print("wrote", a.out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
