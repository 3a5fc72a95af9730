# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (package
# g++-mingw-w64-x86-64-posix). The posix-threads variant of the compiler is used, because
# only it gives std::thread, std::mutex and std::condition_variable.
#
#   cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
#         -DKW_WINDOWS_BUILD=ON -DKW_BOOST_INCLUDE_DIR=<a folder holding only boost/>
#
# scripts/cross-windows does so, and runs the tests.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KW_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KW_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KW_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KW_MINGW_TRIPLET}-windres)

# Headers and libraries come from the MinGW-w64 tree only; programs from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${KW_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The programs carry the compiler's own runtime (libstdc++, libgcc, winpthread), so that they
# start on a Windows machine without MinGW's DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Where Wine is installed (Debian's wine64 package), the test programs run under it.
find_program(KW_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(KW_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KW_WINE})
endif()
