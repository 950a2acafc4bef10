# quarnel_version_text(source_dir base_version out_var)
# The version a build reports: in a git checkout, what `git describe` says
# of the nearest tag of the form vX.Y.Z ("1.1.0" on the tag, "1.1.0-12-gabc1234"
# twelve commits later), or the base version and the commit when no such tag
# is reachable ("1.1.0-gabc1234"); outside a checkout, or without git, the
# base version alone. Usable at configure time and from a script (cmake -P).
function(quarnel_version_text source_dir base_version out_var)
  set(text ${base_version})
  find_program(QUARNEL_GIT git)
  if(QUARNEL_GIT)
    # The folder itself must be the checkout's top: a source tree unpacked
    # inside some other repository is not a checkout of its own.
    execute_process(COMMAND ${QUARNEL_GIT} -C ${source_dir} rev-parse --show-toplevel
                    OUTPUT_VARIABLE top RESULT_VARIABLE status ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(status EQUAL 0)
      file(REAL_PATH "${top}" top)
      file(REAL_PATH "${source_dir}" source)
    endif()
    if(status EQUAL 0 AND top STREQUAL source)
      execute_process(COMMAND ${QUARNEL_GIT} -C ${source_dir} describe --tags --match "v[0-9]*.[0-9]*.[0-9]*"
                      OUTPUT_VARIABLE described RESULT_VARIABLE status ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
      if(status EQUAL 0 AND described MATCHES "^v([0-9]+\\.[0-9]+\\.[0-9]+(-[0-9]+-g[0-9a-f]+)?)$")
        set(text ${CMAKE_MATCH_1})
      else()
        execute_process(COMMAND ${QUARNEL_GIT} -C ${source_dir} rev-parse --short HEAD
                        OUTPUT_VARIABLE commit RESULT_VARIABLE status ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
        if(status EQUAL 0 AND commit MATCHES "^[0-9a-f]+$")
          set(text ${base_version}-g${commit})
        endif()
      endif()
    endif()
  endif()
  set(${out_var} ${text} PARENT_SCOPE)
endfunction()
