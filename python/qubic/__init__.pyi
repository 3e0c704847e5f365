# Type stubs for qubic (the package and its compiled core).
from typing import Final, NamedTuple, Optional, Tuple, Type, Union

import numpy as np
import numpy.typing as npt
from _typeshed import ReadableBuffer  # any bytes-like object (stubs only)

__version__: Final[str]

# The flag codes; flag_meaning(code, exact) gives each engine's words.
FOUND: Final[int]          # 1: found and usable (exact engine: correctly rounded)
ALL_ROOTS: Final[int]      # 0: the polynomial is identically zero
NO_ROOT: Final[int]        # -1: leading coefficient zero, fewer than three roots
REFUSED: Final[int]        # -2: a coefficient is infinite, NaN or subnormal (exact engine: infinite or NaN)
UNUSABLE: Final[int]       # -3: computed, but infinite, subnormal or zero by underflow
DEGRADED: Final[int]       # -4: usable, but the deflation by it was degraded (the solver only)
UNCLEAN: Final[int]        # -5: do not trust (the solver only)
NOT_COMPUTED: Final[int]   # -6: not computed (the solver only)

# numpy.float32 or numpy.float64 (float64 with exact=True only), as the type,
# its numpy.dtype or its name.
_DTypeArg = Union[Type[np.float32], Type[np.float64], np.dtype, str, Type[float]]

class Solution(NamedTuple):
    roots: npt.NDArray[np.complexfloating]   # (..., 3): complex64, or complex128 for dtype float64
    flags: npt.NDArray[np.int32]       # (..., 3)
    solved: npt.NDArray[np.bool_]      # (...)

def solve(*coeffs: npt.ArrayLike, exact: bool = ..., threads: Optional[int] = ...,
          dtype: _DTypeArg = ...) -> Solution: ...

class RecordError(ValueError):
    results6: bytes
    stdout: bytes
    line: int
    def __init__(self, message: str, results6: bytes, stdout: bytes, line: int) -> None: ...

def run_batch(test6: ReadableBuffer, *, exact: bool = ..., first_line: int = ...) -> Tuple[bytes, bytes]: ...

def flag_meaning(code: int, exact: bool = ...) -> str: ...
