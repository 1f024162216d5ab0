# The same code built for 64-bit Windows. The shipped programs are the 32-bit build;
# this one exists so the tests can run the real programs under a 64-bit-only Wine
# (machines whose kernel cannot start 32-bit processes). Built with MinGW-w64 (posix thread model: std::thread and
# std::mutex are needed by the frame clock and by GoogleTest).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TREE_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TREE_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TREE_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TREE_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TREE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything static: the executables import only system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
