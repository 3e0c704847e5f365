"""Shared helpers: the programs of this build, the project's cubic generator."""
import os
import pathlib
import subprocess
import sys

import pytest

SOURCE = pathlib.Path(os.environ.get("QUBIC_SOURCE_DIR", pathlib.Path(__file__).resolve().parents[2]))
sys.path.insert(0, str(SOURCE / "tools"))
import gencubics  # noqa: E402  (the project's seeded generator, standard library only)


def _exe(name):
    path = os.environ.get(name)
    if not path:
        pytest.skip(f"{name} is not set (ctest sets it)")
    return path


def has_exact_option(name):
    """The program takes --exact (the exact engine) in this build."""
    p = subprocess.run([_exe(name), "--help"], capture_output=True, text=True, timeout=60)
    return "--exact" in p.stdout


def run_program(test6, tmp_path, exact=False):
    """The batch program on test6 (bytes) in a fresh folder: (exit status,
    results6, standard output, standard error), results6 b"" if absent."""
    work = tmp_path / "run"
    work.mkdir()
    (work / "test6").write_bytes(test6)
    p = subprocess.run([_exe("QUBIC_EXE")] + ["--exact"] * exact, cwd=work, capture_output=True, timeout=300)
    res = work / "results6"
    return p.returncode, res.read_bytes() if res.exists() else b"", p.stdout, p.stderr


def solve_tool_csv(lines, exact=False):
    """qubic-solve --csv on the given input lines; the rows after the header."""
    p = subprocess.run([_exe("QUBIC_SOLVE_EXE"), "--csv"] + ["--exact"] * exact, input="\n".join(lines) + "\n",
                       capture_output=True, text=True, timeout=300, check=True)
    return [row.split(",") for row in p.stdout.splitlines()[1:]]


def reference_test6(count, path):
    """count records of the reference input: the project's generator of the
    throughput input when present, else the mixed family of gencubics."""
    make = SOURCE / "bench" / "make-test6.py"
    if make.exists():
        subprocess.run([sys.executable, str(make), str(count), str(path), "6"], check=True, timeout=300)
    else:
        with open(path, "w") as f:
            for c in gencubics.cubics("mix", count, 6):
                f.write(gencubics.format_line(c, "test6") + "\n")
    return pathlib.Path(path).read_bytes()


def pytest_configure(config):
    # Debian's distributed 2022.12 with its tornado: not ours to fix.
    config.addinivalue_line("filterwarnings", "ignore:make_current is deprecated:DeprecationWarning")
