# quarnel_import_qt_plugins(target [OFFSCREEN])
# A program linked against a static Qt (the Windows build) carries the
# plugins it loads: the Windows platform, the GIF pictures of the preview and
# the Windows style, and for the test programs the offscreen platform too.
# Nothing else is linked in. With a shared Qt it does nothing: Qt loads its
# plugins from its own folder.
function(quarnel_import_qt_plugins target)
  cmake_parse_arguments(P "OFFSCREEN" "" "" ${ARGN})
  get_target_property(qt_type Qt6::Core TYPE)
  if(NOT qt_type STREQUAL "STATIC_LIBRARY")
    return()
  endif()
  set(platforms Qt6::QWindowsIntegrationPlugin)
  if(P_OFFSCREEN)
    list(APPEND platforms Qt6::QOffscreenIntegrationPlugin)
  endif()
  qt_import_plugins(${target}
    INCLUDE_BY_TYPE platforms ${platforms}
    INCLUDE_BY_TYPE imageformats Qt6::QGifPlugin
    INCLUDE_BY_TYPE styles Qt6::QWindowsVistaStylePlugin)
endfunction()
