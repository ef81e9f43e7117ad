# Cross-build of Tamsiro.exe for 64-bit Windows with MinGW-w64 (Debian's
# g++-mingw-w64-x86-64-posix). Use it through the "mingw" preset:
#   cmake --preset mingw && cmake --build --preset mingw
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TAMSIRO_MINGW_PREFIX x86_64-w64-mingw32)

# The posix thread model is the one whose libstdc++ links statically
# without further DLLs; fall back to the default name elsewhere.
find_program(CMAKE_CXX_COMPILER NAMES ${TAMSIRO_MINGW_PREFIX}-g++-posix ${TAMSIRO_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${TAMSIRO_MINGW_PREFIX}-gcc-posix ${TAMSIRO_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${TAMSIRO_MINGW_PREFIX}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${TAMSIRO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Wine runs what we build, so try_run and friends work on this host too.
find_program(TAMSIRO_WINE NAMES wine64 wine)
if(TAMSIRO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TAMSIRO_WINE})
endif()
