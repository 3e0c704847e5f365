"""qubic.dask on a LocalCluster of 2 worker processes on the loopback
interface: chunked solves against qubic.solve, the batch job against the
program."""
import numpy as np
import pytest

import qubic
from conftest import gencubics, reference_test6, run_program

dask = pytest.importorskip("dask")
da = pytest.importorskip("dask.array")
distributed = pytest.importorskip("distributed")
import qubic.dask  # noqa: E402


@pytest.fixture(scope="module")
def client():
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True, host="127.0.0.1",
                                  dashboard_address=None, timeout=120) as cluster:
        with distributed.Client(cluster, timeout=120) as c:
            yield c


def bits(a):
    return np.ascontiguousarray(a).view(np.uint32)


def test_chunked_solve_is_qubic_solve(client):
    c = np.array(list(gencubics.cubics("mix", 5000, 4)), dtype=np.float32).reshape(50, 100, 4)
    whole = qubic.solve(c)
    for parts in [(da.from_array(c, chunks=(7, 30, 2)),),           # the last axis is joined again
                  tuple(da.from_array(c[..., k], chunks=(20, 40)) for k in range(4))]:
        roots, flags, solved = dask.compute(*qubic.dask.solve(*parts))
        assert np.array_equal(bits(roots), bits(whole.roots))
        assert np.array_equal(flags, whole.flags) and np.array_equal(solved, whole.solved)
    # Mixed dtypes: each argument rounded once on its own (2^60 + 2^36 + 1
    # becomes 2^60 + 2^37; through float64 first it would become 2^60).
    a2 = np.full(100, 2**60 + 2**36 + 1, dtype=np.int64)
    args = (np.float32(1), a2, np.linspace(-1, 1, 100, dtype=np.float32), np.float32(-1))
    roots, flags, _ = dask.compute(*qubic.dask.solve(*(da.from_array(np.asarray(x)) for x in args)))
    one = qubic.solve(*args)
    assert np.array_equal(bits(roots), bits(one.roots)) and np.array_equal(flags, one.flags)


def test_batch_on_the_reference_input(client, tmp_path):
    """100,000 records in blocks of 1 MiB (7 blocks), at most 3 out at a time."""
    test6 = reference_test6(100000, tmp_path / "test6")
    status, results6, stdout, stderr = run_program(test6, tmp_path)
    assert (status, stderr, results6.count(b"\n") > 100000) == (0, b"", True)
    qubic.dask.run_batch(client, tmp_path / "test6", tmp_path / "r", tmp_path / "o", block_size=1 << 20,
                         in_flight=3)
    assert (tmp_path / "r").read_bytes() == results6 and (tmp_path / "o").read_bytes() == stdout


GOOD = gencubics.format_line((1.0, -6.0, 11.0, -6.0), "test6")


# (why, test6): cut into blocks of 4096 bytes.
INPUTS = [
    ("a line longer than a block, then a CR at column 65",
     "\n".join([GOOD] * 100 + [GOOD + "x" * 20000] + [GOOD + "\r"] * 100)),
    ("a line longer than a block without a newline at the end", "\n".join([GOOD] * 100 + [GOOD + "x" * 9000])),
    ("a bad field in the fourth block", "\n".join([GOOD] * 200 + [GOOD[:20] + "?" + GOOD[21:]] + [GOOD] * 50)),
]


@pytest.mark.parametrize("why,text", INPUTS, ids=[i[0] for i in INPUTS])
def test_batch_in_blocks_matches_the_program(client, tmp_path, why, text):
    test6 = text.encode()
    (tmp_path / "test6").write_bytes(test6)
    status, results6, stdout, stderr = run_program(test6, tmp_path)
    try:
        qubic.dask.run_batch(client, tmp_path / "test6", tmp_path / "r", tmp_path / "o", block_size=4096)
        message = b""
    except qubic.RecordError as e:
        message = (str(e) + "\n").encode()
    assert (message, (tmp_path / "r").read_bytes(), (tmp_path / "o").read_bytes()) == (stderr, results6, stdout)
    assert (status == 1) == ("bad" in why)
