"""The output files of a batch run: never the input, and complete or untouched.

    with open(test6, "rb") as f, Outputs(f, test6, results6, stdout, keep=RecordError) as (res, out):
        ...  # write to res and out

Outputs refuses, before anything is created or truncated, a results6 or
stdout that is the same file as test6 or as each other: same path, a
symbolic or hard link, /proc/self/fd/N, or an open file object on it.  Two
existing files are the same when their device and inode are; a name yet to
be created is compared by its path with every link resolved.  A character
device such as /dev/null may take both outputs.

Each output that is a path to a regular file, or a name yet to be created, is
written to a temporary beside the file the path resolves to (same folder, so
the rename is atomic) and renamed over it, results6 first, when the block
ends normally or by an exception of a `keep` class; any other exception (a
lost cluster, KeyboardInterrupt, ...) removes the temporaries and leaves the
files as they were.  The rename replaces the name: a file that had further
hard links keeps its old content under those.  A path to something else (a
device such as /dev/null, a pipe) is opened and written in place, and a
binary file object is written as it is; neither can be taken back.
"""
import contextlib
import os
import secrets
import stat


def _identity(target):
    """What names the file target: (device, inode) of an existing file, links
    resolved (an open file object by its descriptor); a name yet to be
    created by its resolved path; a file object without a descriptor (such as
    io.BytesIO) by itself.  None for a character device (/dev/null, a
    terminal): writing both outputs there destroys nothing."""
    if hasattr(target, "write") or hasattr(target, "read"):
        try:
            st = os.fstat(target.fileno())
        except (AttributeError, OSError, ValueError):  # io.UnsupportedOperation is both
            return ("object", id(target))
    else:
        try:
            st = os.stat(target)
        except FileNotFoundError:
            return os.path.realpath(target)
    return None if stat.S_ISCHR(st.st_mode) else (st.st_dev, st.st_ino)


def _shown(name, target):
    return f"{name} {os.fsdecode(target)!r}" if isinstance(target, (str, bytes, os.PathLike)) else f"{name} {target!r}"


class _Target:
    """One output; see the module's notes for the three kinds."""

    def __init__(self, target):
        self.temp = None
        self.own = False
        if hasattr(target, "write"):
            self.file = target
            return
        path = os.fspath(target)
        final = os.path.realpath(path)
        try:
            st = os.stat(path)
        except FileNotFoundError:
            st = None
        if st is not None and not (stat.S_ISREG(st.st_mode) and _exists_as(final, st)):
            self.file, self.own = open(path, "wb"), True
            return
        folder, base = os.path.split(final)
        while True:
            temp = os.path.join(folder, f".{base}.{secrets.token_hex(4)}.part")
            try:  # created with the mode a new file gets (0o666 less the umask)
                fd = os.open(temp, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o666)
                break
            except FileExistsError:
                continue
            except OSError as e:  # a folder that cannot take the temporary refuses the run
                raise OSError(e.errno, f"{e.strerror}: cannot create a temporary file beside", path) from None
        try:
            if st is not None:  # an existing file keeps its permissions
                os.fchmod(fd, stat.S_IMODE(st.st_mode))
            self.file = os.fdopen(fd, "wb")
        except BaseException:
            os.close(fd)
            os.unlink(temp)
            raise
        self.temp, self.final = temp, final

    def commit(self):
        if self.temp is not None:
            self.file.close()
            os.replace(self.temp, self.final)
            self.temp = None
        elif self.own:
            self.file.close()
        else:
            self.file.flush()

    def discard(self):
        with contextlib.suppress(OSError):
            if self.temp is not None or self.own:
                self.file.close()
        if self.temp is not None:
            with contextlib.suppress(FileNotFoundError):
                os.unlink(self.temp)


def _exists_as(path, st):
    """path names the file st describes (false for the name of a deleted file
    that /proc/self/fd/N resolves to)."""
    try:
        return os.path.samestat(os.stat(path), st)
    except FileNotFoundError:
        return False


class Outputs:
    """The context described above; test6 is the input, open for reading
    (None for one that is not a local file, which no output can be), and
    test6_name its name for messages."""

    def __init__(self, test6, test6_name, results6, stdout, keep=()):
        seen = {}
        for name, target, shown in (("test6", test6, test6_name), ("results6", results6, results6),
                                    ("stdout", stdout, stdout)):
            if target is None:  # an input that is not a local file
                continue
            key = _identity(target)
            if key is not None and key in seen:
                raise ValueError(f"run_batch: {seen[key]} and {_shown(name, shown)} are the same file; "
                                 f"nothing was written")
            seen[key] = _shown(name, shown)
        self.wanted, self.keep, self.targets = (results6, stdout), keep, []

    def __enter__(self):
        try:
            for target in self.wanted:
                self.targets.append(_Target(target))
        except BaseException:
            self._finish(done=False)
            raise
        return [t.file for t in self.targets]

    def __exit__(self, kind, value, traceback):
        self._finish(done=kind is None or issubclass(kind, self.keep))

    def _finish(self, done):
        """Commit every output if done, else (or from the first that fails
        to commit) discard them."""
        try:
            while done and self.targets:
                self.targets[0].commit()
                self.targets.pop(0)
        finally:
            for t in self.targets:
                t.discard()
            self.targets = []
