# qubic.dask on a LocalCluster of 2 worker processes on the loopback interface:
# chunked solves against qubic.solve, the batch job against the program.
import subprocess
import sys

import numpy as np
import pytest

import qubic
from conftest import GOOD, SOURCE, gencubics, run_program, same

dask = pytest.importorskip("dask")
da = pytest.importorskip("dask.array")
distributed = pytest.importorskip("distributed")
import qubic.dask  # noqa: E402


@pytest.fixture(scope="session")
def client():
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True, host="127.0.0.1",
                                  dashboard_address=None, timeout=120) as cluster, distributed.Client(cluster, timeout=120) as c:
        yield c


def test_chunked_solve_is_qubic_solve(client):
    c = np.array(list(gencubics.cubics("mix", 5000, 4)), dtype=np.float32).reshape(50, 100, 4)
    # Mixed dtypes: each argument rounded once on its own (2^60 + 2^36 + 1
    # becomes 2^60 + 2^37; through float64 first it would become 2^60).
    mixed = (np.float32(1), np.full(100, 2**60 + 2**36 + 1), np.linspace(-1, 1, 100, dtype=np.float32), np.float32(-1))
    # Python ints: in a list (which numpy would make float64), beyond the
    # range, in an object array chunk by chunk.
    ints = (1, [2**63 + 2**39 + 1, 2**200, -2**2000, 1.5], 0, -1)
    objects = np.array([[1, 2**63 + 2**39 + 1, 2**200, 1.5]] * 10, dtype=object)
    for args, parts in [((c,), (da.from_array(c, chunks=(7, 30, 2)),)),  # the last axis is joined again
                        ((c,), tuple(da.from_array(c[..., k], chunks=(20, 40)) for k in range(4))),
                        (mixed, tuple(da.from_array(np.asarray(x)) for x in mixed)),
                        (ints, ints), ((objects,), (da.from_array(objects, chunks=(3, 4)),))]:
        assert same(dask.compute(*qubic.dask.solve(*parts)), qubic.solve(*args))
    with pytest.raises(TypeError, match="exact"):
        qubic.dask.solve(c, exact="no")


# (why, test6 or None for the throughput benchmark's reference input, block size).
INPUTS = [
    ("100,000 records of the reference input, in 7 blocks", None, 1 << 20),
    ("a line longer than a block, then a CR at column 65",
     "\n".join([GOOD] * 100 + [GOOD + "x" * 20000] + [GOOD + "\r"] * 100), 4096),
    ("a line longer than a block without a newline at the end", "\n".join([GOOD] * 100 + [GOOD + "x" * 9000]), 4096),
    ("a bad field in the fourth block", "\n".join([GOOD] * 200 + [GOOD[:20] + "?" + GOOD[21:]] + [GOOD] * 50), 4096),
]


@pytest.mark.parametrize("why,text,block", INPUTS, ids=[i[0] for i in INPUTS])
def test_batch_matches_the_program(client, tmp_path, why, text, block):
    if text is None:
        subprocess.run([sys.executable, SOURCE / "bench" / "make-test6.py", "100000", tmp_path / "t", "6"], check=True)
    test6 = (tmp_path / "t").read_bytes() if text is None else text.encode()
    status, results6, stdout, stderr = run_program(test6, tmp_path)
    try:
        qubic.dask.run_batch(client, tmp_path / "run" / "test6", tmp_path / "r", tmp_path / "o", block_size=block,
                             in_flight=3)
        message = b""
    except qubic.RecordError as e:
        message = (str(e) + "\n").encode()
    assert (message, (tmp_path / "r").read_bytes(), (tmp_path / "o").read_bytes()) == (stderr, results6, stdout)
    assert (status == 1) == ("bad" in why)
