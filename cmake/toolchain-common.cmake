# Included by the per-architecture toolchain files after they set VELTRANE_TRIPLE.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${VELTRANE_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELTRANE_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VELTRANE_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VELTRANE_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Our DLLs load into foreign processes (regsvr32, TWAIN hosts, any DirectShow
# program) where a missing libstdc++ or winpthread DLL fails silently.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Test programs run under Wine; tools/wine-env prepares the prefix and display.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-exec)
