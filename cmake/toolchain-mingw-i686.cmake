# Cross build for 32-bit Windows with Debian's MinGW-w64 compilers (posix
# threads variant), producing the plug-in DLL that 32-bit Windows hosts load.
#
# Executables built with this toolchain run on the build machine through Wine,
# so CTest and GoogleTest discovery work as they do natively. Wine needs a
# 32-bit prefix: set WINEPREFIX to a directory created with WINEARCH=win32
# (scripts/windows-check.sh does this in a temporary directory).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(SARNOVELLITE_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# Generic code is plain i686: the compiler may use x87 arithmetic, and the DLL
# loads on processors without SSE. Files written for SSE get their own flags.
set(CMAKE_C_FLAGS_INIT "-march=i686")
set(CMAKE_CXX_FLAGS_INIT "-march=i686")

set(CMAKE_CROSSCOMPILING_EMULATOR wine)
