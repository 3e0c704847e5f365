"""The output folder of qubic.dask.run_batch_parts: numbered parts, all or none.

    folder = Folder("out", blocks)      # refuses a folder that holds anything
    with folder:
        writer = folder.writer(k)       # sent with block k's task
        ...  # on a worker: writer.write(results6, stdout) gives the temporaries
        folder.add(temporaries)         # on the client, in block order

Block k's outputs become out/results6.K and out/stdout.K, K the block number
in at least five digits (as many as the last one needs), so the names sort
in block order.  A worker writes them as hidden temporaries
(.results6.K.XXXXXXXX.part), a new name for each run of the task, so that a
task run again after its worker died never meets the first run's file; only
the client renames them, in block order, when the run ends normally or by a
bad record.  A run that ends otherwise removes every part and the hidden
temporaries it finds, and the folder if it made it: nothing that looks like
an output is left (a task still running then may add one hidden temporary
when it ends).  The folder is a local path or any URL that fsspec opens.
"""
import os
import posixpath
import secrets

import fsspec.core

from ._batch import RecordError


class _Writer:
    """Block k's part files, as a task on a worker writes them."""

    def __init__(self, fs, folder, number):
        self.fs, self.folder, self.number = fs, folder, number

    def write(self, results6, stdout):
        """Writes both as temporaries: [(temporary, final name), ...]."""
        token = secrets.token_hex(4)
        names = []
        for kind, data in (("results6", results6), ("stdout", stdout)):
            temp = posixpath.join(self.folder, f".{kind}.{self.number}.{token}.part")
            with self.fs.open(temp, "wb") as f:
                f.write(data)
            names.append((temp, posixpath.join(self.folder, f"{kind}.{self.number}")))
        return names


def _temporary(name):
    base = posixpath.basename(name)
    return base.startswith((".results6.", ".stdout.")) and base.endswith(".part")


class Folder:
    """See the module's notes."""

    def __init__(self, folder, blocks):
        if not isinstance(folder, (str, bytes, os.PathLike)):
            raise TypeError(f"run_batch_parts: folder must be a path or a URL, not {type(folder).__name__}")
        folder = os.fsdecode(folder)
        self.fs, self.path = fsspec.core.url_to_fs(folder)
        self.width = max(5, len(str(blocks - 1)))
        self.made, self.parts, self.renamed = False, [], []
        if self.fs.exists(self.path):
            if not self.fs.isdir(self.path):
                raise ValueError(f"run_batch_parts: folder {folder!r} is not a folder; nothing was written")
            if self.fs.ls(self.path, detail=False):
                raise ValueError(f"run_batch_parts: folder {folder!r} is not empty; nothing was written")

    def writer(self, k):
        return _Writer(self.fs, self.path, f"{k:0{self.width}d}")

    def add(self, names):
        self.parts.append(names)

    def __enter__(self):
        if not self.fs.exists(self.path):
            self.fs.makedirs(self.path, exist_ok=True)
            self.made = True
        return self

    def __exit__(self, kind, value, traceback):
        keep = kind is None or issubclass(kind, RecordError)
        try:
            while keep and self.parts:
                for temp, final in self.parts.pop(0):
                    self.fs.mv(temp, final)
                    self.renamed.append(final)
        except BaseException:
            keep = False
            raise
        finally:
            if not keep:
                for name in self.renamed:
                    self.fs.rm(name)
            # The temporaries whose outputs were not taken: a task run twice,
            # the blocks after a bad record, every block of a failed run.
            for name in self.fs.ls(self.path, detail=False):
                if _temporary(name):
                    self.fs.rm(name)
            if not keep and self.made and not self.fs.ls(self.path, detail=False):
                self.fs.rmdir(self.path)
