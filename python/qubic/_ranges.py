"""The blocks of a coefficient file by byte ranges, the same whoever reads them.

Block k of a file of size bytes covers the bytes [k * block_size, (k + 1) *
block_size) and holds the lines that start there (a line starts at 0 and
after each '\\n'), the last one read on past the range to its '\\n'.  So a
reader that knows only the file, block_size and k (the client, or a worker
that opens the file itself) gets the same bytes, and every line belongs to
exactly one block; a block in which no line starts is empty.

A line that runs past its range is kept to its first 65 bytes when it is
longer: the record reads only the first 64 columns (after dropping a '\\r'
that ends the line, which a line cut to 65 bytes no longer has, or has in
its 65th byte), so the record is the same, and a reader holds at most
block_size + 65 bytes whatever the lines' lengths.

    >>> import io
    >>> read_block(io.BytesIO(b"ab\\ncd\\nef"), 1, 4)    # line 2 starts at 3, in [1, 4)
    b'cd\\n'
"""
import math

_KEEP = 65     # bytes kept of a line longer than its range (see above)
_STEP = 1 << 16


def count(size, block_size):
    """How many blocks a file of size bytes has (none for an empty file)."""
    return math.ceil(size / block_size)


def read_block(f, start, end):
    """The block of the bytes [start, end) of f, a seekable binary file."""
    if start == 0:
        f.seek(0)
        data = f.read(end)
    else:
        # A line starts in [start, end) when the byte before it, in
        # [start - 1, end - 1), is a '\n'.
        f.seek(start - 1)
        data = f.read(end - start + 1)
        nl = data.find(b"\n", 0, end - start)
        if nl < 0:
            return b""
        data = data[nl + 1:]
    if not data or data.endswith(b"\n"):
        return data
    last = data.rfind(b"\n") + 1            # the start of the line that runs on
    line = data[last:last + _KEEP + 1]      # one byte more than kept: longer or not
    ending = b""
    while True:
        more = f.read(_STEP)
        if not more:
            break
        nl = more.find(b"\n")
        line += (more if nl < 0 else more[:nl])[:_KEEP + 1 - len(line)]
        if nl >= 0:
            ending = b"\n"
            break
    return data[:last] + line[:_KEEP] + ending
