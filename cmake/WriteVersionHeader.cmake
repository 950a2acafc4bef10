# cmake -DSOURCE_DIR=... -DBASE_VERSION=... -DOUTPUT=... -P WriteVersionHeader.cmake
# Writes the header that gives the program its version text (GitVersion.cmake).
# It runs at every build, so that a new commit or tag shows without a fresh
# configure, and rewrites the header only when the text changed: an unchanged
# version recompiles nothing.
include(${CMAKE_CURRENT_LIST_DIR}/GitVersion.cmake)
quarnel_version_text(${SOURCE_DIR} ${BASE_VERSION} version)
set(content "// Made by cmake/WriteVersionHeader.cmake at build time.\n#define QUARNEL_RELEASE_VERSION \"${version}\"\n")
if(EXISTS ${OUTPUT})
  file(READ ${OUTPUT} old)
endif()
if(NOT old STREQUAL content)
  file(WRITE ${OUTPUT} "${content}")
endif()
