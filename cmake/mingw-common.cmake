# Shared part of the MinGW-w64 toolchain files. The runtime (libgcc, libstdc++,
# winpthread) is linked statically so that QNDBGC.DLL and the programs need
# nothing beside them but the system's own DLLs.
set(CMAKE_C_COMPILER   ${QN_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QN_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${QN_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${QN_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT    "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
# ctest runs the Windows programs under Wine; the test driver sets WINEPREFIX.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
