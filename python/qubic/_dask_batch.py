"""qubic.dask.run_batch: the batch program over a file, block by block on a cluster."""
import warnings
from collections import deque

from . import _checks
from ._batch import RecordError, run_batch as _run_batch
from ._outputs import Outputs


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
        return _run_batch(block, exact=exact, first_line=first_line) + (None, 0)
    except RecordError as e:
        return e.results6, e.stdout, str(e), e.line


def _submit(client, block, line, exact):
    # The block travels inside the task rather than scattered to one worker:
    # the scheduler then holds it and can run the task again elsewhere when
    # a worker dies (a scattered block dies with its worker, and the run with
    # it).  At most in_flight blocks are held so.  distributed warns once
    # about task data above 1 MB; here it is the design, not an accident.
    with warnings.catch_warnings():
        warnings.filterwarnings("ignore", "Large object of size", UserWarning)
        return client.submit(_run_block, block, line, exact, pure=False)


def run_batch(client, test6, results6, stdout, *, block_size=1 << 22, exact=False, in_flight=None):
    """The batch program qubic over a coefficient file, on a Dask cluster.

    test6 (a path) is cut into blocks of about block_size bytes at line
    boundaries; each block runs qubic.run_batch on a worker of client (a
    distributed.Client), and the outputs are written to results6 and stdout
    (paths, or binary file objects) in the order of the blocks, so that both
    are byte for byte what one run of the program writes.  The client reads
    the file and sends the blocks, so the workers need no shared file system;
    at most in_flight blocks (default: twice the workers' threads) are out at
    a time, which bounds the memory here and on the scheduler.  A worker that
    dies costs its blocks a second run elsewhere, not the run.

    Refused before anything is created or written: exact not a bool,
    block_size not an int of at least 4096, in_flight not None or a positive
    int (TypeError, ValueError); any two of test6, results6 and stdout the
    same file, by name, symbolic or hard link, or /proc/self/fd/N
    (ValueError naming both; /dev/null may take both outputs).

    A path is written to a temporary file beside it and renamed into place at
    the end, so a run that ends early (an exception, a lost cluster,
    KeyboardInterrupt) leaves results6 and stdout as they were, without the
    temporaries.  A field that cannot be read is the program's own way to
    stop: the outputs then hold everything the program writes before it
    stops, renamed into place, and qubic.RecordError is raised with the
    program's message (its line counted in the whole file).  A binary file
    object (and a path to a device or a pipe) is written as the blocks come
    back: after an early end it holds the output of the blocks done so far.
    """
    exact = _checks.switch(exact, "exact")
    block_size = _checks.count(block_size, "block_size", minimum=4096)
    if in_flight is None:
        in_flight = 2 * max(1, sum(client.nthreads().values()))
    in_flight = _checks.count(in_flight, "in_flight")
    with open(test6, "rb") as f, Outputs(f, test6, results6, stdout, keep=RecordError) as (res, out):
        pending = deque()
        blocks = _blocks(f, block_size)
        try:
            while True:
                while len(pending) < in_flight and (nxt := next(blocks, None)) is not None:
                    pending.append(_submit(client, nxt[1], nxt[0], exact))
                if not pending:
                    break
                r, o, message, bad_line = pending.popleft().result()
                res.write(r)
                out.write(o)
                if message is not None:
                    raise RecordError(message, r, o, bad_line)
        finally:
            client.cancel(list(pending))
