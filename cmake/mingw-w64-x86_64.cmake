# Cross-build for 64-bit Windows with the posix-thread mingw-w64 compiler
# (std::thread and std::mutex need it). Everything is linked statically so
# the programs run under Wine or on Windows without the compiler's DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TALLY_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TALLY_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TALLY_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TALLY_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TALLY_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

# Test programs run under Wine (ctest and test discovery both use it).
find_program(TALLY_WINE wine)
if(TALLY_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${TALLY_WINE})
endif()
