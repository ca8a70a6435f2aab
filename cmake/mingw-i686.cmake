# Cross build for 32-bit Windows with Debian's MinGW-w64 (POSIX thread model).
set(VORBIX_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
