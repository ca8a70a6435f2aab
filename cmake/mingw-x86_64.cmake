# Cross build for 64-bit (x86-64) Windows with Debian's MinGW-w64 (POSIX thread model).
set(VORBIX_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
# Debian's wine command prefers the 32-bit loader whenever it is installed:
# the tests go to the 64-bit one, on a 64-bit prefix, through this wrapper.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/lib/wine64/wine)
