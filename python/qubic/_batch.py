"""qubic.run_batch: the batch program qubic in memory."""
from . import _checks, _qubic


class RecordError(ValueError):
    """A field of the coefficient file cannot be read.

    str(error) is the program's one-line message, e.g.
    qubic: test6:3: field 2 (columns 17-32): cannot read "1.2.3" as a number
    results6 and stdout hold what the program writes before it stops (the
    output of every earlier record); line is the failing line's number."""

    __module__ = "qubic"

    def __init__(self, message, results6, stdout, line):
        super().__init__(message)
        self.results6 = results6
        self.stdout = stdout
        self.line = line


def run_batch(test6, *, exact=False, first_line=1):
    """The batch program qubic on the bytes of a coefficient file, in memory.

    test6 is any bytes-like object (bytes, bytearray, a contiguous
    memoryview, ...); a bytearray cannot be resized while the run holds it.
    Returns (results6, stdout) as bytes, byte for byte what the program
    writes to results6 and to standard output for the same test6.  A field
    that cannot be read raises RecordError (a ValueError) with the program's
    message.  first_line (a positive int) is the number of the first line in
    messages, for a block cut from a larger file.  exact=True solves with the
    exact engine.  The GIL is released while the records are processed.

    >>> qubic.run_batch(b"1.".rjust(16) + b"-6.".rjust(16) + b"11.".rjust(16) + b"-6.".rjust(16))[1]
    b'3 1.9999999 1.0000001\\n0 0 0\\n'
    """
    exact = _checks.switch(exact, "exact")
    first_line = _checks.count(first_line, "first_line")
    if first_line >= 2**63:  # the line numbers count in 64 bits
        raise ValueError(f"first_line must be below 2**63, not {first_line}")
    results6, stdout, message, line = _qubic.run_batch(test6, exact, first_line)
    if message is not None:
        raise RecordError(message, results6, stdout, line)
    return results6, stdout
