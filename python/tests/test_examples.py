# Every examples/*.py runs as it stands, as a script in a fresh folder.
import subprocess
import sys

import numpy as np
import pytest

from conftest import SOURCE


@pytest.mark.parametrize("example", sorted((SOURCE / "examples").glob("*.py")), ids=lambda p: p.name)
def test_example_runs(example, tmp_path):
    if example.name.startswith("dask"):
        pytest.importorskip("distributed")
    p = subprocess.run([sys.executable, example], cwd=tmp_path, capture_output=True, text=True, timeout=300)
    assert p.returncode == 0 and "solved" in p.stdout, p.stderr
    saved = [np.load(f) for f in sorted(tmp_path.glob("*.out/*.npz"))]  # examples/dask_solve.py: one file per chunk
    assert all((s["solved"] == (s["flags"] == 1).all(axis=-1)).all() for s in saved)
    assert sum(len(s["solved"]) for s in saved) == (1_000_000 if example.name == "dask_solve.py" else 0)
