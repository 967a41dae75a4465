# Cross build for 32-bit Windows with Debian's MinGW-w64 compilers (posix
# threads variant), producing the plug-in DLL that 32-bit Windows hosts load.
#
# Executables built with this toolchain run on the build machine through Wine,
# so CTest and GoogleTest discovery work as they do natively. Wine needs a
# 32-bit prefix: set WINEPREFIX to a directory created with WINEARCH=win32
# (scripts/windows-check.sh does this in a temporary directory).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(SARNOVELLITE_MINGW_PREFIX i686-w64-mingw32)
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

# Generic code is plain i686: the compiler may use x87 arithmetic, and the DLL
# loads on processors without SSE. Files written for SSE get their own flags.
set(CMAKE_C_FLAGS_INIT "-march=i686")
set(CMAKE_CXX_FLAGS_INIT "-march=i686")

set(CMAKE_CROSSCOMPILING_EMULATOR wine)
# Test lists are read when the tests run, not at build time, so building does
# not need Wine.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
