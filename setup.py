"""The Python package agvsim: the core library and its module, built by CMake through
scikit-build for the interpreter that runs pip (pyproject.toml)."""
import pathlib
import re

from skbuild import setup

HERE = pathlib.Path(__file__).resolve().parent
# One version for the project and the package: the one CMakeLists.txt declares.
VERSION = re.search(r"project\(agvsim VERSION ([0-9.]+)",
                    (HERE / "CMakeLists.txt").read_text()).group(1)

setup(
    name="agvsim",
    version=VERSION,
    description="Path generation and path following of wheeled mobile robots (AGVs)",
    long_description=(HERE / "README.md").read_text(encoding="utf-8"),
    long_description_content_type="text/markdown",
    license="Proprietary",
    packages=["agvsim"],
    package_dir={"": "python"},
    python_requires=">=3.9",
    install_requires=["numpy"],
    cmake_args=["-DAGV_TESTS=OFF", "-DAGV_PROGRAMS=OFF", "-DAGV_PYTHON=ON",
                "-DCMAKE_BUILD_TYPE=Release"],
)
