# What both MinGW-w64 cross toolchains share. The including toolchain file sets
# SARNOVELLITE_MINGW_PREFIX (the compilers' target triplet) first.
set(CMAKE_SYSTEM_NAME Windows)

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

# Test lists are read when the tests run, not at build time, so building does
# not need Wine.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
