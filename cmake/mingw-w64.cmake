# Cross-compiling for 64-bit Windows with Debian's MinGW-w64
# (g++-mingw-w64-x86-64), for the parts of the program that are plain C++:
#
#   cmake -S tests/results/filedriver -B build/wintest/windows \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
#
# The posix-threads variant of the compiler, because the win32 one of GCC 12
# has no std::thread, std::mutex or std::this_thread.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KEMORO_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KEMORO_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KEMORO_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KEMORO_MINGW_TRIPLET}-windres)

# Headers and libraries of the target only; programs of the build host.
set(CMAKE_FIND_ROOT_PATH /usr/${KEMORO_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C and C++ run-time libraries and winpthread linked in, so that a
# program runs under Wine or on a classroom computer without MinGW's DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
