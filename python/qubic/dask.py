"""qubic on a Dask cluster: cubics chunk by chunk, the batch job block by block.

    from distributed import Client
    import qubic.dask
    client = Client("tcp://scheduler:8786")        # or Client(LocalCluster(...))
    s = qubic.dask.solve(coeffs)                    # coeffs: dask.array, last axis a3..a0
    qubic.dask.run_batch(client, "test6", "results6", "stdout")

Compute or store the three arrays of s together (one solve per chunk), and
store or reduce rather than gather results larger than memory.  Every
worker needs qubic installed (the same build gives the same bits).
"""
from collections import deque

import qubic
from ._dask_solve import solve

__all__ = ["solve", "run_batch"]


def _blocks(f, block_size):
    """(first line number, bytes) of f in blocks of about block_size bytes,
    cut after a '\\n'.  A line longer than a block is cut to its first 65
    bytes: the record reads only 64 columns, and the 65th keeps a '\\r' that
    would end a line of 65, so the record stays the same."""
    line = 1
    pending = b""
    while True:
        data = f.read(block_size)
        if not data:
            break
        pending += data
        cut = pending.rfind(b"\n")
        if cut < 0:
            if len(pending) > block_size:       # inside an overlong line
                head = pending[:65]
                while True:                     # skip to its end
                    data = f.read(block_size)
                    nl = data.find(b"\n")
                    if not data or nl >= 0:
                        break
                pending = head + (data[nl:] if data else b"")
            continue
        block, pending = pending[:cut + 1], pending[cut + 1:]
        yield line, block
        line += block.count(b"\n")
    if pending:
        yield line, pending


def _run_block(block, first_line, exact):
    """On a worker: one block through qubic.run_batch.  Returns (results6,
    stdout, message, line), message None unless a field cannot be read; an
    error comes back as a value, so that the partial outputs travel with it."""
    try:
        return qubic.run_batch(block, exact=exact, first_line=first_line) + (None, 0)
    except qubic.RecordError as e:
        return e.results6, e.stdout, str(e), e.line


def run_batch(client, test6, results6, stdout, *, block_size=1 << 22, exact=False, in_flight=None):
    """The batch program qubic over a coefficient file, on a Dask cluster.

    test6 is cut into blocks of about block_size bytes at line boundaries;
    each block runs qubic.run_batch on a worker of client (a
    distributed.Client), and the outputs are written to results6 and stdout
    (paths, or binary files) in the order of the blocks, so that both are
    byte for byte what one run of the program writes.  The client reads the
    file and sends the blocks, so the workers need no shared file system; at
    most in_flight blocks (default: twice the workers' threads) are out at a
    time, which bounds the memory here.

    A field that cannot be read raises qubic.RecordError with the program's
    message (its line counted in the whole file), after everything the
    program writes before it stops has been written.  test6 is opened before
    results6 is created.
    """
    if block_size < 4096:
        raise ValueError("block_size must be at least 4096")
    if in_flight is None:
        in_flight = 2 * max(1, sum(client.nthreads().values()))
    with open(test6, "rb") as f, _output(results6) as res, _output(stdout) as out:
        pending = deque()
        blocks = _blocks(f, block_size)
        try:
            while True:
                while len(pending) < in_flight:
                    nxt = next(blocks, None)
                    if nxt is None:
                        break
                    line, block = nxt
                    # Scattered rather than put into the task: the block goes
                    # straight to a worker, and the task runs where it is.
                    data = client.scatter(block, hash=False)
                    pending.append(client.submit(_run_block, data, line, bool(exact), pure=False))
                if not pending:
                    break
                r, o, message, bad_line = pending.popleft().result()
                res.write(r)
                out.write(o)
                if message is not None:
                    raise qubic.RecordError(message, r, o, bad_line)
        finally:
            client.cancel(list(pending))


class _output:
    """A path opened for binary writing, or a binary file used as it is."""

    def __init__(self, target):
        self.target = target
        self.file = None

    def __enter__(self):
        if hasattr(self.target, "write"):
            return self.target
        self.file = open(self.target, "wb")
        return self.file

    def __exit__(self, *exc):
        if self.file is not None:
            self.file.close()
