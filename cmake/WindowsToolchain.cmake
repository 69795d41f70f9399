# Cross-builds for 64-bit Windows with Debian's MinGW-w64 compilers (the
# POSIX threads flavour, which std::thread needs). Programs built here run on
# this machine under wine through the cross-compiling emulator.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TESSEL_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TESSEL_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TESSEL_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${TESSEL_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TESSEL_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
