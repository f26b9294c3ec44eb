# Cross-build for 64-bit Windows with mingw-w64 (posix threads, for
# std::thread): its long double is the 80-bit x87 type the number text needs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KQ_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KQ_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KQ_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KQ_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KQ_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs carry their runtime (libgcc, libstdc++, winpthread): nothing to ship beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Tests run under wine, in a prefix of the build's own, without its GUI prompts.
find_program(KQ_WINE wine)
if(KQ_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR
      env WINEPREFIX=${CMAKE_BINARY_DIR}/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= ${KQ_WINE})
endif()
