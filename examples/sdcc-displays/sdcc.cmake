# SDCC for the 8051 (its default target, mcs51): executables are Intel HEX images, .ihx.
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_C_COMPILER sdcc)
# As in most cross toolchain files, packages are looked for in the target's root only; the converter is a tool
# of the build machine, so find_package(Tessaline) is pointed at it (-DTessaline_DIR=...).
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
