# qubic.dask on a LocalCluster of 2 worker processes on the loopback interface:
# chunked solves against qubic.solve, the batch job against the program, and
# the batch job's outputs when it is refused or ends early.
import io
import os
import signal
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


# The ways to run the batch job: (who reads test6, whether the workers write
# numbered parts), each giving (message, results6, stdout) as bytes, the parts
# joined in name order.  The workers read test6 through a file:// URL.
MODES = [("client", False), ("workers", False), ("client", True), ("workers", True)]


def run_modes(client, mode, test6, out, **kw):
    read, parts = mode
    if read == "workers":
        test6 = f"file://{test6}"
    message = b""
    try:
        if parts:
            qubic.dask.run_batch_parts(client, test6, out, read=read, **kw)
        else:
            qubic.dask.run_batch(client, test6, out / "r", out / "o", read=read, **kw)
    except qubic.RecordError as e:
        message = (str(e) + "\n").encode()
    if not parts:
        return message, (out / "r").read_bytes(), (out / "o").read_bytes()
    names = sorted(p.name for p in out.iterdir())
    assert names == sorted(f"{k}.{i:05d}" for k in ("results6", "stdout") for i in range(len(names) // 2))
    return (message, *(b"".join((out / n).read_bytes() for n in names if n.startswith(k)) for k in ("results6", "stdout")))


def as_given(stderr, test6, mode):
    # The program names test6; run_batch names the file as the user gave it.
    return stderr.replace(b"qubic: test6:", f"qubic: {'file://' * (mode[0] == 'workers')}{test6}:".encode(), 1)


# (why, test6 or None for the throughput benchmark's reference input, block size).
LONG = GOOD + "x" * 20000
INPUTS = [
    ("30,000 records of the reference input, in 8 blocks", None, 1 << 18),
    ("lines longer than a block, one with a CR at column 65, then lines ending in CR",
     "\n".join([GOOD] * 100 + [LONG, GOOD + "\r" + LONG] + [GOOD + "\r"] * 100), 4096),
    ("a line longer than a block without a newline at the end", "\n".join([GOOD] * 100 + [GOOD + "x" * 9000]), 4096),
    ("a bad field after blocks in which no line starts",
     "\n".join([GOOD] * 200 + [LONG] + [GOOD] * 70 + [GOOD[:20] + "?" + GOOD[21:]] + [GOOD] * 50), 4096),
    ("a block that starts at a line's start (66 + 62 * 65 = 4096)", "\n".join([GOOD + "\r"] + [GOOD] * 100), 4096),
    ("an empty file", "", 4096),
]


@pytest.mark.parametrize("mode", MODES, ids=lambda m: f"read by the {m[0]}" + ", in parts" * m[1])
@pytest.mark.parametrize("why,text,block", INPUTS, ids=[i[0] for i in INPUTS])
def test_batch_matches_the_program(client, tmp_path, why, text, block, mode):
    if text is None:
        subprocess.run([sys.executable, SOURCE / "bench" / "make-test6.py", "30000", tmp_path / "t", "6"], check=True)
    test6 = (tmp_path / "t").read_bytes() if text is None else text.encode()
    status, results6, stdout, stderr = run_program(test6, tmp_path)
    (tmp_path / "out").mkdir()
    given = tmp_path / "run" / "test6"
    got = run_modes(client, mode, given, tmp_path / "out", block_size=block, in_flight=3)
    assert got == (as_given(stderr, given, mode), results6, stdout)
    assert (status == 1) == ("bad" in why) and not list(tmp_path.rglob(".*"))  # no temporary left behind


def files(folder):
    """Every file and folder under folder (links followed) with its bytes."""
    return {str(p.relative_to(folder)): p.read_bytes() if p.is_file() else None for p in sorted(folder.rglob("*"))}


def alias(folder, name, target, hard=False):
    (os.link if hard else os.symlink)(target, folder / name)
    return name


class Stdout(io.BytesIO):
    """A standard output that, at its second write, raises `then` (an
    exception)."""

    def __init__(self, then):
        super().__init__()
        self.then, self.writes = then, 0

    def write(self, b):
        self.writes += 1
        if self.writes == 2:
            raise self.then
        return super().write(b)


def at_block(monkeypatch, n, then):
    """Calls then() on the client as the nth block is sent."""
    sent, submit = [], qubic._dask_batch._submit

    def counted(*args):
        sent.append(1)
        if len(sent) == n:
            then()
        return submit(*args)
    monkeypatch.setattr(qubic._dask_batch, "_submit", counted)


def interrupt():
    raise KeyboardInterrupt


# Runs refused, or ended early by something other than a bad record: (why,
# the arguments test6, results6, stdout and the keywords, made in a folder
# that holds the input t, an old results6 r and a folder d; the error and
# what its message says).  The files must stay as they were, with no
# temporary left behind, and an in-memory output empty until it is written.
UNTOUCHED = [
    ("results6 names test6", lambda f: ("t", "t", "o"), ValueError, "test6 't' and results6 't' are the same"),
    ("results6 a symbolic link to test6", lambda f: ("t", alias(f, "l", "t"), "o"), ValueError, "test6 .* results6 'l'"),
    ("stdout names test6", lambda f: ("t", "r", "t"), ValueError, "test6 't' and stdout 't'"),
    ("stdout a hard link to test6", lambda f: ("t", "r", alias(f, "h", "t", hard=True)), ValueError, "test6 .* stdout 'h'"),
    ("results6 test6's descriptor in /proc", lambda f: ("t", f"/proc/self/fd/{os.open('t', os.O_RDONLY)}", "o"),
     ValueError, "test6 .* results6 '/proc/self/fd/"),
    ("stdout a file object on test6", lambda f: ("t", "r", open("t", "ab")), ValueError, "test6 .* stdout <"),
    ("results6 and stdout one new name", lambda f: ("t", "n", "./n"), ValueError, "results6 'n' and stdout './n'"),
    ("results6 and stdout one new name, by a linked folder", lambda f: ("t", "d/n", alias(f, "e", "d") + "/n"),
     ValueError, "results6 'd/n' and stdout 'e/n'"),
    ("results6 and stdout one in-memory file", lambda f: (lambda b: ("t", b, b))(io.BytesIO()), ValueError,
     "results6 <.* and stdout <"),
    ("no block in flight", lambda f: ("t", "r", "o", dict(in_flight=0)), ValueError, "in_flight"),
    ("fewer than none in flight", lambda f: ("t", "r", "o", dict(in_flight=-1)), ValueError, "in_flight"),
    ("a float in flight", lambda f: ("t", "r", "o", dict(in_flight=1.5)), TypeError, "in_flight"),
    ("a bool in flight", lambda f: ("t", "r", "o", dict(in_flight=True)), TypeError, "in_flight"),
    ("blocks too small", lambda f: ("t", "r", "o", dict(block_size=100)), ValueError, "block_size"),
    ("a float block size", lambda f: ("t", "r", "o", dict(block_size=4096.0)), TypeError, "block_size"),
    ("a truthy string for exact", lambda f: ("t", "r", "o", dict(exact="no")), TypeError, "exact"),
    ("nobody to read", lambda f: ("t", "r", "o", dict(read="nobody")), ValueError, "read must be"),
    ("test6 missing", lambda f: ("missing", "r", "o"), FileNotFoundError, ": 'missing'$"),
    ("stdout fails at the second block", lambda f: ("t", "r", Stdout(OSError(28, "No space left on device"))),
     OSError, "No space"),
    ("Ctrl-C at the second block", lambda f: ("t", "r", Stdout(KeyboardInterrupt())), KeyboardInterrupt, ""),
]

# The same for the parts: (why, test6, folder and the keywords, or a
# function of the monkeypatch that sets up a fault and gives them).
UNTOUCHED_PARTS = [
    ("the folder holds a file", lambda m: ("t", "."), ValueError, "folder '.' is not empty"),
    ("the folder is test6", lambda m: ("t", "t"), ValueError, "folder 't' is not a folder"),
    ("no block in flight", lambda m: ("t", "n", dict(in_flight=0)), ValueError, "in_flight"),
    ("nobody to read", lambda m: ("t", "n", dict(read="nobody")), ValueError, "read must be"),
    ("test6 missing", lambda m: ("missing", "n"), FileNotFoundError, ": 'missing'$"),
    ("Ctrl-C at the third block, into a new folder", lambda m: (at_block(m, 3, interrupt), ("t", "n"))[1],
     KeyboardInterrupt, ""),
    ("Ctrl-C at the third block, into an empty folder", lambda m: (at_block(m, 3, interrupt), ("t", "d"))[1],
     KeyboardInterrupt, ""),
    ("a part cannot be renamed: the ones renamed before are removed", lambda m: (m.setattr(
        qubic._parts.Folder, "add", lambda self, names: self.parts.append(names[:1] + [(names[1][0], "/proc/x")])),
        ("t", "n"))[1], OSError, ""),
]


def untouched(tmp_path, monkeypatch, run, make, error, says):
    monkeypatch.chdir(tmp_path)
    (tmp_path / "t").write_text("\n".join([GOOD] * 300))
    (tmp_path / "r").write_bytes(b"old results")
    (tmp_path / "d").mkdir()
    made = make(tmp_path)
    *args, kwargs = made if isinstance(made[-1], dict) else (*made, {})
    before = files(tmp_path)
    with pytest.raises(error, match=says):
        run(*args, **{"block_size": 4096, "in_flight": 2, **kwargs})
    assert files(tmp_path) == before
    return args


@pytest.mark.parametrize("read", ["client", "workers"])
@pytest.mark.parametrize("why,make,error,says", UNTOUCHED, ids=[u[0] for u in UNTOUCHED])
def test_files_stay_as_they_were(client, tmp_path, monkeypatch, why, make, error, says, read):
    args = untouched(tmp_path, monkeypatch, lambda *a, **k: qubic.dask.run_batch(client, *a, **{"read": read, **k}),
                     make, error, says)
    assert all(a.getvalue() == b"" for a in args if isinstance(a, io.BytesIO) and not isinstance(a, Stdout))


@pytest.mark.parametrize("read", ["client", "workers"])
@pytest.mark.parametrize("why,make,error,says", UNTOUCHED_PARTS, ids=[u[0] for u in UNTOUCHED_PARTS])
def test_no_parts_left(client, tmp_path, monkeypatch, why, make, error, says, read):
    untouched(tmp_path, monkeypatch, lambda *a, **k: qubic.dask.run_batch_parts(client, *a, **{"read": read, **k}),
              lambda f: make(monkeypatch), error, says)


def test_dev_null_takes_both_outputs(client, tmp_path):
    (tmp_path / "t").write_text(GOOD)
    assert qubic.dask.run_batch(client, tmp_path / "t", os.devnull, os.devnull) is None
    assert [p.name for p in tmp_path.iterdir()] == ["t"]


@pytest.mark.parametrize("mode", [("client", False), ("workers", True)], ids=["read by the client", "parts"])
def test_a_killed_worker_costs_no_output(client, tmp_path, monkeypatch, mode):
    # SIGKILL, as the sixth block is sent, to a worker that holds blocks not
    # yet taken (running, or done and waiting in its memory): they run again
    # elsewhere, and the outputs are the program's all the same.
    test6 = "\n".join([GOOD] * 50000).encode()
    status, results6, stdout, stderr = run_program(test6, tmp_path)
    killed = []

    def kill():
        held = [(len(client.processing()[w]) + len(keys), w) for w, keys in client.has_what().items()]
        busy = max(held)[1]
        assert max(held)[0] > 0
        killed.append(client.run(os.getpid, workers=[busy])[busy])
        os.kill(killed[0], signal.SIGKILL)
    at_block(monkeypatch, 6, kill)
    (tmp_path / "out").mkdir()
    try:
        got = run_modes(client, mode, tmp_path / "run" / "test6", tmp_path / "out", block_size=1 << 16, in_flight=4)
    finally:
        client.wait_for_workers(2, timeout=120)
    assert got == (b"", results6, stdout) and killed and killed[0] not in client.run(os.getpid).values()
