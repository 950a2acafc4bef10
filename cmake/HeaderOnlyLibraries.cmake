# The header-only libraries from Debian's packages (doctest, CLI11,
# nlohmann/json, stb) as interface targets. A cross-build must never put the build
# machine's /usr/include on the compiler's path, so each library is reached
# through a folder in the build tree that links only its own header folder.
set(quarnel_header_root ${CMAKE_BINARY_DIR}/header-only)

function(quarnel_header_only_library target header_folder)
  if(TARGET ${target})
    return()
  endif()
  if(NOT EXISTS /usr/include/${header_folder})
    message(FATAL_ERROR "/usr/include/${header_folder} is missing: run scripts/install-deps")
  endif()
  file(MAKE_DIRECTORY ${quarnel_header_root})
  file(CREATE_LINK /usr/include/${header_folder} ${quarnel_header_root}/${header_folder} SYMBOLIC)
  add_library(${target} INTERFACE IMPORTED GLOBAL)
  target_include_directories(${target} SYSTEM INTERFACE ${quarnel_header_root})
endfunction()

quarnel_header_only_library(doctest::doctest doctest)
quarnel_header_only_library(CLI11::CLI11 CLI)
quarnel_header_only_library(nlohmann_json::nlohmann_json nlohmann)
quarnel_header_only_library(stb::stb stb)
