# Cross build for 64-bit Windows with Debian's MinGW-w64 compilers (posix
# threads variant), producing the plug-in DLL that today's 64-bit Windows hosts
# load.
#
# Executables built with this toolchain run on the build machine through
# 64-bit Wine (wine64), which needs no 32-bit support from the kernel, so CTest
# and GoogleTest discovery work as they do natively. Set WINEPREFIX to a
# directory created with WINEARCH=win64 (scripts/windows-check.sh does this in
# a temporary directory).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(SARNOVELLITE_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# Debian installs the 64-bit loader as /usr/lib/wine/wine64 without a link in
# PATH, and `wine` itself prefers the 32-bit loader when wine32 is installed.
find_program(SARNOVELLITE_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(SARNOVELLITE_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${SARNOVELLITE_WINE64})
else()
  set(CMAKE_CROSSCOMPILING_EMULATOR wine64)
endif()
