# The mingw-w64 compilers (64-bit, posix threads) that Qt for Windows is
# built with (scripts/build-qt-windows) and that programs using it share.
# KQ_WINDOWS_QT, when set, names that Qt's folder: its packages are found
# there and its moc, rcc and uic come from the host Qt of the same version.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KQ_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KQ_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KQ_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KQ_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KQ_MINGW_PREFIX} ${KQ_WINDOWS_QT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

if(KQ_WINDOWS_QT)
  list(APPEND CMAKE_PREFIX_PATH ${KQ_WINDOWS_QT})
  set(QT_HOST_PATH /usr)
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
endif()
