# Cross build for 64-bit Windows with Debian's MinGW-w64 compilers (posix
# threads variant), producing the plug-in DLL that today's 64-bit Windows hosts
# load.
#
# Executables built with this toolchain run on the build machine through
# 64-bit Wine (wine64), which needs no 32-bit support from the kernel, so CTest
# and GoogleTest discovery work as they do natively. Set WINEPREFIX to a
# directory created with WINEARCH=win64 (scripts/windows-check.sh does this in
# a temporary directory).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(SARNOVELLITE_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${SARNOVELLITE_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SARNOVELLITE_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${SARNOVELLITE_MINGW_PREFIX}-windres)
set(CMAKE_AR ${SARNOVELLITE_MINGW_PREFIX}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${SARNOVELLITE_MINGW_PREFIX}-ranlib CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${SARNOVELLITE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The GCC, C++ and threads runtimes are linked in statically so that every
# module imports nothing but DLLs Windows itself provides.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Debian installs the 64-bit loader as /usr/lib/wine/wine64 without a link in
# PATH, and `wine` itself prefers the 32-bit loader when wine32 is installed.
find_program(SARNOVELLITE_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(SARNOVELLITE_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${SARNOVELLITE_WINE64})
else()
  set(CMAKE_CROSSCOMPILING_EMULATOR wine64)
endif()
# Test lists are read when the tests run, not at build time, so building does
# not need Wine.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
