# cmake -DSOURCE_DIR=... -DCLI=quarnel-cli -DBASE_VERSION=x.y.z -DZLIB_HEADER=... -DHEADER_ROOT=...
#       [-DQT_VERSION=...] -P LicenceAndVersions.cmake
# What a release says about itself: LICENSE holds the GPL version 3 whole,
# quarnel-cli --version names the version and that licence, and
# THIRD-PARTY.md gives each library at the version this build compiled
# against (read from the headers themselves).
set(failures "")
function(expect_match what text pattern)
  if(NOT text MATCHES "${pattern}")
    set(failures "${failures}\n  ${what}" PARENT_SCOPE)
  endif()
endfunction()

file(READ ${SOURCE_DIR}/LICENSE licence)
expect_match("LICENSE is not the GPL version 3" "${licence}" "^[ ]*GNU GENERAL PUBLIC LICENSE\n[ ]*Version 3, 29 June 2007\n")
# The licence's last section and its closing words: the whole text, not a notice.
expect_match("LICENSE is not the licence's full text" "${licence}"
             "How to Apply These Terms to Your New Programs.*<https://www.gnu.org/licenses/why-not-lgpl.html>.\n$")

execute_process(COMMAND ${CLI} --version OUTPUT_VARIABLE out RESULT_VARIABLE status)
expect_match("quarnel-cli --version exited with ${status}" "${status}" "^0$")
string(REPLACE "." "\\." base "${BASE_VERSION}")
# Two lines: the project's own version (with the commit when no tag is
# reachable) or a tag's with the commits past it; then the licence.
expect_match("quarnel-cli --version printed: ${out}" "${out}"
             "^quarnel-cli (${base}(-g[0-9a-f]+)?|[0-9]+\\.[0-9]+\\.[0-9]+(-[0-9]+-g[0-9a-f]+)?)\nLicence: GPL-3\\.0-or-later\n$")

file(READ ${SOURCE_DIR}/THIRD-PARTY.md third_party)
function(expect_listed name version)
  string(REGEX REPLACE "([][()+.*?^$|\\\\])" "\\\\\\1" name_pattern "${name}")
  expect_match("THIRD-PARTY.md does not give ${name} ${version}" "${third_party}" "\n\\| ${name_pattern} \\| ${version} \\|")
  set(failures "${failures}" PARENT_SCOPE)
endfunction()
# A version written as one string in a header.
function(expect_header_version name header pattern)
  file(READ ${header} text)
  if(text MATCHES "${pattern}")
    expect_listed("${name}" "${CMAKE_MATCH_1}")
  else()
    set(failures "${failures}\n  no version of ${name} in ${header}")
  endif()
  set(failures "${failures}" PARENT_SCOPE)
endfunction()
# A version spread over three macros.
function(expect_three_part_version name header prefix)
  file(READ ${header} text)
  set(parts "")
  foreach(part MAJOR MINOR PATCH)
    if(text MATCHES "#define ${prefix}${part} +([0-9]+)")
      list(APPEND parts ${CMAKE_MATCH_1})
    endif()
  endforeach()
  list(JOIN parts "." version)
  expect_listed("${name}" "${version}")
  set(failures "${failures}" PARENT_SCOPE)
endfunction()

expect_header_version("zlib" ${ZLIB_HEADER} "#define ZLIB_VERSION \"([0-9.]+)\"")
expect_header_version("CLI11" ${HEADER_ROOT}/CLI/Version.hpp "#define CLI11_VERSION \"([0-9.]+)\"")
expect_header_version("stb_image_write (stb)" ${HEADER_ROOT}/stb/stb_image_write.h "stb_image_write - v([0-9.]+)")
expect_three_part_version("nlohmann/json" ${HEADER_ROOT}/nlohmann/detail/abi_macros.hpp NLOHMANN_JSON_VERSION_)
expect_three_part_version("doctest" ${HEADER_ROOT}/doctest/doctest.h DOCTEST_VERSION_)
if(QT_VERSION)
  expect_listed("Qt (Core, Gui, Widgets)" ${QT_VERSION})
endif()

if(failures)
  message(FATAL_ERROR "release texts:${failures}")
endif()
