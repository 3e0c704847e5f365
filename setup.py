"""The compiled half of the Python package: setuptools hands the module _qubic
to the project's own CMake build, which owns the list of sources, the
floating-point options and the checks for pybind11 and the Python headers.

The project's metadata (name, dependencies) is in pyproject.toml; this file
adds the version, the package's files and the CMake step.  (The files are
named here rather than under [tool.setuptools], which the setuptools of
Debian 12 still warns about as a beta.)

Environment:
  CMAKE_ARGS                   extra arguments for the configure step, e.g.
                               "-DCMAKE_CXX_COMPILER=clang++"
  CMAKE_BUILD_PARALLEL_LEVEL   parallel jobs of the build step (CMake's own)
"""
import os
import pathlib
import re
import shlex
import shutil
import subprocess
import sys
import sysconfig

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = pathlib.Path(__file__).resolve().parent


def project_version():
    # One place holds the version: project() in CMakeLists.txt.  The compiled
    # module is given the same string by CMake, so the wheel's metadata and
    # qubic.__version__ cannot disagree.
    text = (ROOT / "CMakeLists.txt").read_text()
    m = re.search(r"^project\(\s*qubic\s+VERSION\s+([0-9]+(?:\.[0-9]+)*)\b", text, re.MULTILINE)
    if not m:
        raise RuntimeError("CMakeLists.txt: no project(qubic VERSION x.y.z)")
    return m.group(1)


class CMakeBuild(build_ext):
    """Configures the project for this interpreter and builds the target _qubic."""

    def build_extension(self, ext):
        build = pathlib.Path(self.build_temp).resolve() / "cmake"
        # The interpreter that runs this build is the one the module is for:
        # without the hint CMake would prefer /usr/bin/python3.  Release,
        # because the build type sets the optimisation and nothing else: the
        # floating-point options travel with the library target.
        args = ["-DCMAKE_BUILD_TYPE=Release", "-DQUBIC_BUILD_TESTS=OFF", "-DQUBIC_BUILD_BENCH=OFF",
                "-DQUBIC_BUILD_PYTHON=ON", f"-DPython_EXECUTABLE={sys.executable}"]
        try:
            import pybind11  # the copy pip installed for the build, or the system's
            cmake_dir = pybind11.get_cmake_dir()
            if os.path.isdir(cmake_dir):
                args.append(f"-Dpybind11_DIR={cmake_dir}")
        except (ImportError, AttributeError):
            pass  # CMake looks for pybind11 on its own
        if shutil.which("ninja") and not (build / "CMakeCache.txt").exists():
            args += ["-G", "Ninja"]
        args += shlex.split(os.environ.get("CMAKE_ARGS", ""))
        subprocess.run(["cmake", "-S", str(ROOT), "-B", str(build), *args], check=True)
        subprocess.run(["cmake", "--build", str(build), "--config", "Release", "--target", "_qubic"], check=True)

        # CMake puts the module in <build>/python/qubic under the interpreter's
        # own suffix (pybind11 asks the interpreter), the name setuptools expects.
        name = "_qubic" + sysconfig.get_config_var("EXT_SUFFIX")
        built = build / "python" / "qubic" / name
        if not built.is_file():
            raise RuntimeError(f"the CMake build did not make {built}")
        target = pathlib.Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built, target)


setup(
    version=project_version(),
    packages=["qubic"],
    package_dir={"qubic": "python/qubic"},
    package_data={"qubic": ["*.pyi", "py.typed"]},
    zip_safe=False,
    ext_modules=[Extension("qubic._qubic", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
    # Out of ./build, which is the usual CMake build folder of a checkout.
    options={"build": {"build_base": "build-pip"}},
)
