# What a release holds, and CPack's settings to pack it (scripts/package):
# - on Linux a Debian package: both programs in /usr/bin, the desktop entry,
#   the icon, the man page of quarnel-cli made from its --help by help2man,
#   the licence texts, and the shared libraries it needs found by
#   dpkg-shlibdeps;
# - on Windows a zip: both static programs with the texts and the sample
#   folders beside them, laid out as the window expects.
# QUARNEL_RELEASE_VERSION (cmake/Version.cmake) names both.
option(QUARNEL_PACKAGE "Install rules and CPack settings for the release packages" OFF)
if(NOT QUARNEL_PACKAGE)
  return()
endif()

set(CPACK_PACKAGE_NAME quarnel)
set(CPACK_PACKAGE_VENDOR Vostrik)
set(CPACK_PACKAGE_VERSION ${QUARNEL_RELEASE_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Editor for the critter prototypes of Fallout 1 and Fallout 2")
set(CPACK_PACKAGE_CONTACT "Vostrik <quarnel@users.noreply.invalid>")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_SOURCE_DIR}/build/package)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  install(TARGETS quarnel quarnel-cli RUNTIME DESTINATION .)
  install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/THIRD-PARTY.md
                ${PROJECT_SOURCE_DIR}/sample/frm_critters.zip DESTINATION .)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/sample/FO1 ${PROJECT_SOURCE_DIR}/sample/FO2 DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME quarnel-${QUARNEL_RELEASE_VERSION}-windows-x64)
else()
  include(GNUInstallDirs)
  install(TARGETS quarnel quarnel-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/app/quarnel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/app/quarnel.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/THIRD-PARTY.md
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quarnel)

  find_program(QUARNEL_HELP2MAN help2man REQUIRED)
  set(man_page ${CMAKE_CURRENT_BINARY_DIR}/quarnel-cli.1.gz)
  add_custom_command(OUTPUT ${man_page}
    COMMAND ${QUARNEL_HELP2MAN} --no-info --section=1 --name=${CPACK_PACKAGE_DESCRIPTION_SUMMARY}
            --output=${CMAKE_CURRENT_BINARY_DIR}/quarnel-cli.1 $<TARGET_FILE:quarnel-cli>
    COMMAND gzip -9nf ${CMAKE_CURRENT_BINARY_DIR}/quarnel-cli.1
    DEPENDS quarnel-cli
    COMMENT "The man page of quarnel-cli from its --help"
    VERBATIM)
  add_custom_target(quarnel_man_page ALL DEPENDS ${man_page})
  install(FILES ${man_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

  # Debian's version has no hyphen of its own: 1.1.0-12-gabc1234 becomes 1.1.0+12.gabc1234.
  string(REGEX REPLACE "^([0-9.]+)-" "\\1+" deb_version ${QUARNEL_RELEASE_VERSION})
  string(REPLACE "-" "." deb_version ${deb_version})
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_PACKAGE_VERSION ${deb_version})
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
  set(CPACK_DEBIAN_FILE_NAME quarnel_${deb_version}_amd64.deb)
  set(CPACK_DEBIAN_PACKAGE_SECTION games)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The long description; CPack puts the summary above it as the synopsis.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "The window (quarnel) edits critter prototypes (*.pro) in the folders FO1 and FO2 of its per-user folder, or in a game's install or a mod's tree; quarnel-cli shows, exports, imports, edits and checks them from the command line.")
endif()

include(CPack)
