# Shared helpers: the programs of this build, the project's cubic generator.
import os
import pathlib
import subprocess
import sys

import numpy as np
import pytest

import qubic

# A run meant for an installed copy names the folder it was installed in
# (QUBIC_INSTALLED_IN): tests that quietly imported another qubic, from a
# source or build tree earlier on sys.path, would prove nothing about it.
if "QUBIC_INSTALLED_IN" in os.environ:
    _where = pathlib.Path(os.environ["QUBIC_INSTALLED_IN"]).resolve()
    if _where not in pathlib.Path(qubic.__file__).resolve().parents:
        raise RuntimeError(f"qubic was imported from {qubic.__file__}, not from {_where}")

SOURCE = pathlib.Path(os.environ.get("QUBIC_SOURCE_DIR", pathlib.Path(__file__).resolve().parents[2]))
sys.path.insert(0, str(SOURCE / "tools"))
import gencubics  # noqa: E402  (the project's seeded generator, standard library only)

GOOD = gencubics.format_line((1.0, -6.0, 11.0, -6.0), "test6")


def bits(a):
    return np.ascontiguousarray(a).view(np.uint32)


def same(x, y):
    """Sequences of arrays alike in shape, dtype and every bit (NaN payloads too)."""
    return [(a.shape, a.dtype, a.tobytes()) for a in map(np.asarray, x)] == \
        [(a.shape, a.dtype, a.tobytes()) for a in map(np.asarray, y)]


def program(name, *args, **kw):
    # The program of this build that the environment variable name gives (ctest sets it).
    if name not in os.environ:
        pytest.skip(f"{name} is not set (ctest sets it)")
    return subprocess.run([os.environ[name], *args], capture_output=True, timeout=300, **kw)


@pytest.fixture(params=[False, True], ids=lambda e: "exact" if e else "qubic")
def exact(request):
    return request.param  # both engines


def run_program(test6, tmp_path, exact=False):
    # The batch program on test6 (bytes) in tmp_path/run: (exit status,
    # results6, standard output, standard error), results6 b"" if absent.
    work = tmp_path / "run"
    work.mkdir()
    (work / "test6").write_bytes(test6)
    p = program("QUBIC_EXE", *["--exact"] * exact, cwd=work)
    res = work / "results6"
    return p.returncode, res.read_bytes() if res.exists() else b"", p.stdout, p.stderr


def pytest_configure(config):
    # Debian's distributed 2022.12 with its tornado: not ours to fix.
    config.addinivalue_line("filterwarnings", "ignore:make_current is deprecated:DeprecationWarning")
