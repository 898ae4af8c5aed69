# Cross-compiles rxpost.exe for 64-bit Windows with Debian's mingw-w64
# (package g++-mingw-w64-x86-64-posix): scripts/build-windows.sh uses it.
# The program is linked statically, so rxpost.exe needs no DLL beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(RXPOST_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${RXPOST_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${RXPOST_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${RXPOST_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${RXPOST_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
