"""qubic.dask.run_batch and run_batch_parts: the batch program over a file, block by block on a cluster."""
import errno
import os
import warnings
from collections import deque

import distributed
import fsspec.core
from fsspec.implementations.local import LocalFileSystem

from . import _checks, _ranges
from ._batch import RecordError, run_batch as _run_batch
from ._outputs import Outputs
from ._parts import Folder


class _Input:
    """test6 as the user gave it (a path, or a URL that fsspec opens), cut
    into blocks of block_size bytes (see _ranges).  read="client" reads the
    blocks here and sends their bytes with the tasks; read="workers" sends
    the file system, the path and the byte range, and each task reads its
    block itself.  A local file is open here in either case: the outputs are
    compared with it, and the client reads it or checks that it exists."""

    def __init__(self, test6, read, block_size, name):
        if read not in ("client", "workers"):
            raise ValueError(f"{name}: read must be 'client' or 'workers', not {read!r}")
        if not isinstance(test6, (str, bytes, os.PathLike)):
            raise TypeError(f"{name}: test6 must be a path or a URL, not {type(test6).__name__}")
        self.shown = os.fsdecode(test6)
        self.fs, self.path = fsspec.core.url_to_fs(self.shown)
        self.read, self.block_size = read, block_size
        try:
            if isinstance(self.fs, LocalFileSystem):
                self.file = open(self.path, "rb")
                self.size = os.fstat(self.file.fileno()).st_size
            else:
                self.size = self.fs.size(self.path)
                self.file = self.fs.open(self.path, "rb") if read == "client" else None
        except FileNotFoundError:  # named as given, not by the path it resolves to
            raise FileNotFoundError(errno.ENOENT, os.strerror(errno.ENOENT), self.shown) from None
        self.blocks = _ranges.count(self.size, block_size)

    def local(self):
        """The open file for the identity checks, None for a remote one."""
        return self.file if isinstance(self.fs, LocalFileSystem) else None

    def pieces(self):
        """What each block's task gets: its bytes, or where to read them."""
        for k in range(self.blocks):
            start, end = k * self.block_size, min((k + 1) * self.block_size, self.size)
            if self.read == "client":
                yield _ranges.read_block(self.file, start, end)
            else:
                yield self.fs, self.path, start, end

    def message(self, message, at, first):
        """The program's message for line at of a block whose first line is
        the file's line first, with that line's number in the whole file and
        the file's name as given."""
        prefix = f"qubic: test6:{at}:"
        if not message.startswith(prefix):  # not the program's field message: leave it as it is
            return message
        return f"qubic: {self.shown}:{first + at - 1}:{message[len(prefix):]}"

    def __enter__(self):
        return self

    def __exit__(self, *_):
        if self.file is not None:
            self.file.close()


def _run_block(piece, exact, writer):
    """On a worker: one block through qubic.run_batch, read from the file
    first when piece says where it lies.  Returns (results6, stdout, message,
    line, lines, parts): message None unless a field cannot be read, line the
    failing line in the block (from 1), lines the block's line count; with a
    writer the outputs go to part files, parts their names, and only a bad
    block's outputs come back."""
    if isinstance(piece, tuple):
        fs, path, start, end = piece
        with fs.open(path, "rb") as f:
            piece = _ranges.read_block(f, start, end)
    lines = piece.count(b"\n")
    try:
        r, o = _run_batch(piece, exact=exact)
        message, line = None, 0
    except RecordError as e:
        r, o, message, line = e.results6, e.stdout, str(e), e.line
    if writer is None:
        return r, o, message, line, lines, None
    parts = writer.write(r, o)
    if message is None:
        r = o = None
    return r, o, message, line, lines, parts


def _submit(client, piece, exact, writer):
    # The block (or its place in the file) travels inside the task rather
    # than scattered to one worker: the scheduler then holds it and can run
    # the task again elsewhere when a worker dies (a scattered block dies
    # with its worker, and the run with it).  At most in_flight blocks are
    # held so.  distributed warns once about task data above 1 MB; here it is
    # the design, not an accident.
    with warnings.catch_warnings():
        warnings.filterwarnings("ignore", "Large object of size", UserWarning)
        return client.submit(_run_block, piece, exact, writer, pure=False)


def _run(client, source, exact, in_flight, take, folder=None):
    """Runs the blocks of source with at most in_flight out at a time and
    hands each block's (results6, stdout, parts) to take, in block order.
    A bad record raises RecordError after its block has been taken."""
    first = 1
    pending = deque()
    pieces = enumerate(source.pieces())
    try:
        while True:
            while len(pending) < in_flight and (nxt := next(pieces, None)) is not None:
                k, piece = nxt
                pending.append(_submit(client, piece, exact, None if folder is None else folder.writer(k)))
            if not pending:
                return
            r, o, message, at, lines, parts = pending.popleft().result()
            take(r, o, parts)
            if message is not None:
                if folder is not None:  # the blocks in flight leave their temporaries before the sweep
                    distributed.wait(list(pending))
                raise RecordError(source.message(message, at, first), r, o, first + at - 1)
            first += lines
    finally:
        client.cancel(list(pending))


def _common(client, block_size, exact, in_flight):
    exact = _checks.switch(exact, "exact")
    block_size = _checks.count(block_size, "block_size", minimum=4096)
    if in_flight is None:
        in_flight = 2 * max(1, sum(client.nthreads().values()))
    return block_size, exact, _checks.count(in_flight, "in_flight")


def run_batch(client, test6, results6, stdout, *, read="client", block_size=1 << 22, exact=False,
              in_flight=None):
    """The batch program qubic over a coefficient file, on a Dask cluster.

    test6 (a path, or a URL that fsspec opens: file://, s3://, ...) is cut
    into blocks of block_size bytes, each holding the lines that start in
    it; each block runs qubic.run_batch on a worker of client (a
    distributed.Client), and the outputs are written to results6 and stdout
    (paths, or binary file objects) in the order of the blocks, so that both
    are byte for byte what one run of the program writes.  read="client"
    reads the blocks here and sends them with the tasks (the workers need
    not see the file); read="workers" sends only each block's byte range and
    the workers read the file themselves (they must reach the same path or
    URL; a relative path is taken from here).  At most in_flight blocks
    (default: twice the workers' threads) are out at a time, which bounds the
    memory here and on the scheduler.  A worker that dies costs its blocks a
    second run elsewhere, not the run.

    Refused before anything is created or written: read not 'client' or
    'workers', exact not a bool, block_size not an int of at least 4096,
    in_flight not None or a positive int (TypeError, ValueError); any two of
    test6, results6 and stdout the same file, by name, symbolic or hard
    link, or /proc/self/fd/N (ValueError naming both; /dev/null may take
    both outputs).

    A path is written to a temporary file beside it and renamed into place at
    the end, so a run that ends early (an exception, a lost cluster,
    KeyboardInterrupt) leaves results6 and stdout as they were, without the
    temporaries.  A field that cannot be read is the program's own way to
    stop: the outputs then hold everything the program writes before it
    stops, renamed into place, and qubic.RecordError is raised with the
    program's message, naming test6 as given and the line's number in the
    whole file.  A binary file object (and a path to a device or a pipe) is
    written as the blocks come back: after an early end it holds the output
    of the blocks done so far.
    """
    block_size, exact, in_flight = _common(client, block_size, exact, in_flight)
    with _Input(test6, read, block_size, "run_batch") as source, \
            Outputs(source.local(), test6, results6, stdout, keep=RecordError) as (res, out):
        def take(r, o, _):
            res.write(r)
            out.write(o)
        _run(client, source, exact, in_flight, take)


def run_batch_parts(client, test6, folder, *, read="client", block_size=1 << 22, exact=False, in_flight=None):
    """run_batch with the outputs written by the workers, block by block, into folder.

    Block k's outputs are folder/results6.K and folder/stdout.K (K the block
    number, five digits or as many as the last block needs), so that the
    concatenation of results6.* in name order is the program's results6,
    and of stdout.* its standard output; no output comes back to the client
    but a bad block's (with its message, in the RecordError).  folder is a path or an fsspec URL that every
    worker reaches; it is made if it does not exist, and refused
    (ValueError, nothing written) if it holds anything.  test6, read,
    block_size, exact and in_flight are as in run_batch.

    The workers write hidden temporaries that the client renames into the
    parts at the end.  A bad record leaves the parts up to its block
    (together the program's outputs before it stops) and raises
    qubic.RecordError; a run that ends early otherwise removes every part
    and temporary, and the folder if it made it.
    """
    block_size, exact, in_flight = _common(client, block_size, exact, in_flight)
    with _Input(test6, read, block_size, "run_batch_parts") as source, Folder(folder, source.blocks) as parts:
        _run(client, source, exact, in_flight, lambda r, o, names: parts.add(names), parts)
