# The program's versions, all from the project version:
# - QUARNEL_VERSION_FOUR, major.minor.release.build ("1.1.0.0"), the form the
#   window's caption and About box show (on Windows through the version
#   resource, cmake/VersionResource.cmake; elsewhere compiled in);
# - QUARNEL_RELEASE_VERSION, what `git describe` says in a checkout
#   (cmake/GitVersion.cmake), for the package names, fixed at configure time;
# - the target quarnel_version_header, which keeps the same text up to date in
#   a generated header at every build, for `quarnel-cli --version`.
include(${CMAKE_CURRENT_LIST_DIR}/GitVersion.cmake)

set(QUARNEL_VERSION_FOUR ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})
if(PROJECT_VERSION_TWEAK STREQUAL "")
  string(APPEND QUARNEL_VERSION_FOUR .0)
else()
  string(APPEND QUARNEL_VERSION_FOUR .${PROJECT_VERSION_TWEAK})
endif()
set(QUARNEL_VERSION_BASE ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})
quarnel_version_text(${PROJECT_SOURCE_DIR} ${QUARNEL_VERSION_BASE} QUARNEL_RELEASE_VERSION)

set(QUARNEL_VERSION_HEADER_DIR ${CMAKE_BINARY_DIR}/generated)
set(QUARNEL_VERSION_HEADER ${QUARNEL_VERSION_HEADER_DIR}/QuarnelReleaseVersion.h)
add_custom_target(quarnel_version_header
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DBASE_VERSION=${QUARNEL_VERSION_BASE}
          -DOUTPUT=${QUARNEL_VERSION_HEADER} -P ${CMAKE_CURRENT_LIST_DIR}/WriteVersionHeader.cmake
  BYPRODUCTS ${QUARNEL_VERSION_HEADER}
  COMMENT "The version from git"
  VERBATIM)
