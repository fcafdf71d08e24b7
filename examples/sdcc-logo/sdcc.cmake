# SDCC for the 8051 (its default target, mcs51): executables are Intel HEX images, .ihx.
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_C_COMPILER sdcc)
