# The extension module terravel._core, compiled from the same C++ sources as
# the window, with the same floating-point flags: no fused multiply-adds and
# no value-changing optimisations, so the results are the same bits.
# The package's metadata is in pyproject.toml.
from pybind11.setup_helpers import Pybind11Extension, build_ext
from setuptools import setup

core = Pybind11Extension(
    "terravel._core",
    ["python/src/module.cpp", "physics/heat_balance.cpp",
     "calculator/calculator.cpp", "calculator/row.cpp"],
    include_dirs=["physics", "calculator"],
    cxx_std=20,
    extra_compile_args=["-O2", "-ffp-contract=off", "-fno-fast-math"],
)

setup(
    ext_modules=[core],
    cmdclass={"build_ext": build_ext},
    # Out of the way of CMake's build folders.
    options={"build": {"build_base": "build/setuptools"},
             "egg_info": {"egg_base": "build/setuptools"}},
)
