#!/bin/sh
# Runs "PYTHON ARGS..." when PYTHON has numpy and mpmath; otherwise says so
# and exits 77, which ctest reports as skipped.
"$1" -c 'import numpy, mpmath' 2>/dev/null || { echo "numpy or mpmath missing: skipped"; exit 77; }
exec "$@"
