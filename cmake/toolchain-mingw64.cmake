# Cross-build for 64-bit Windows with mingw-w64 (posix threads, for
# std::thread): its long double is the 80-bit x87 type the number text needs.
# The compilers, and Qt for Windows when KQ_WINDOWS_QT names its folder:
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw64-qt.cmake)

# Programs carry their runtime (libgcc, libstdc++, winpthread): nothing to
# ship beside kq-cli.exe. (Qt's DLLs bring their own copy for the window.)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Tests run under wine, in a prefix of the build's own, without its GUI prompts.
find_program(KQ_WINE wine)
if(KQ_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR
      env WINEPREFIX=${CMAKE_BINARY_DIR}/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= ${KQ_WINE})
endif()
