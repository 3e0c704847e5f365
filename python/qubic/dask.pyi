# Type stubs for qubic.dask.
from typing import BinaryIO, Literal, Optional, Union
import os

import dask.array as da
import distributed
import numpy.typing as npt

from . import _DTypeArg, Solution

def solve(*coeffs: Union[da.Array, npt.ArrayLike], exact: bool = ..., dtype: _DTypeArg = ...) -> Solution: ...

def run_batch(client: distributed.Client,
              test6: Union[str, bytes, os.PathLike],
              results6: Union[str, bytes, os.PathLike, BinaryIO],
              stdout: Union[str, bytes, os.PathLike, BinaryIO],
              *, read: Literal["client", "workers"] = ..., block_size: int = ...,
              exact: bool = ..., in_flight: Optional[int] = ...) -> None: ...

def run_batch_parts(client: distributed.Client,
                    test6: Union[str, bytes, os.PathLike],
                    folder: Union[str, bytes, os.PathLike],
                    *, read: Literal["client", "workers"] = ..., block_size: int = ...,
                    exact: bool = ..., in_flight: Optional[int] = ...) -> None: ...
