# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (posix threads).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUARNEL_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QUARNEL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUARNEL_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${QUARNEL_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QUARNEL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Header-only libraries of the build machine (doctest, CLI11, nlohmann/json)
# are reached through cmake/HeaderOnlyLibraries.cmake, never through /usr/include.

# The static Qt 6 for Windows that scripts/test-windows unpacks or builds
# (scripts/lib/qt-windows.sh). When it is there the window is built too; its
# moc, rcc and uic are the build machine's own Qt of the same version.
if(DEFINED ENV{QUARNEL_QT_WINDOWS} AND NOT "$ENV{QUARNEL_QT_WINDOWS}" STREQUAL "")
  set(QUARNEL_QT_WINDOWS "$ENV{QUARNEL_QT_WINDOWS}")
else()
  set(QUARNEL_QT_WINDOWS "$ENV{HOME}/.cache/quarnel/qt-6.4.2-mingw64")
endif()
if(EXISTS "${QUARNEL_QT_WINDOWS}/quarnel-qt-origin"
   AND EXISTS "${QUARNEL_QT_WINDOWS}/lib/cmake/Qt6/Qt6Config.cmake")
  # As Qt's own qt.toolchain.cmake does: the prefix as a find root, lib/cmake
  # as the prefix path inside it.
  list(PREPEND CMAKE_FIND_ROOT_PATH "${QUARNEL_QT_WINDOWS}")
  list(PREPEND CMAKE_PREFIX_PATH "${QUARNEL_QT_WINDOWS}/lib/cmake")
  set(QT_HOST_PATH /usr)
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
endif()

# Each .exe runs alone: the C and C++ runtimes and zlib are linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(ZLIB_USE_STATIC_LIBS ON)
