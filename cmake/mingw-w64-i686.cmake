# Cross-compiles for 32-bit Windows with Debian's mingw-w64 (i686), POSIX
# thread model: the win32 thread model's libstdc++ lacks std::mutex and
# std::thread. Everything is linked statically, so that a built DLL or
# program needs no MinGW runtime DLL beside it.
#
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(NIDUS_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_C_COMPILER ${NIDUS_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${NIDUS_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${NIDUS_MINGW_TRIPLE}-windres)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Libraries and headers come from the cross sysroot, plus whatever prefixes
# the build adds (CMAKE_PREFIX_PATH is searched inside these roots too);
# programs from the build machine.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${NIDUS_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs built with this toolchain run under Wine, GoogleTest's
# listing of a test program's tests at build time included.
find_program(NIDUS_WINE wine)
if(NIDUS_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${NIDUS_WINE})
endif()
