# cmake [-DSCRATCH=folder] -P VersionFromTag.cmake (default: a new folder in TMPDIR, or /tmp)
# The version text from git (cmake/GitVersion.cmake) in a scratch repository:
# outside a checkout, before any tag, on a tag, past it, and with a tag that
# is no release number.
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/GitVersion.cmake)
find_program(GIT git)
if(NOT GIT)
  message("skipped: no git")
  return()
endif()

function(expect_match what text pattern)
  if(NOT text MATCHES "${pattern}")
    message(FATAL_ERROR "${what}: got '${text}', expected to match '${pattern}'")
  endif()
endfunction()
function(git)
  execute_process(COMMAND ${GIT} -c user.name=Test -c user.email=test@example.invalid -c commit.gpgsign=false
                          -c tag.gpgsign=false ${ARGN}
                  WORKING_DIRECTORY ${SCRATCH}/repo RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "git ${ARGN}: ${err}")
  endif()
endfunction()

if(NOT SCRATCH)
  # The build tree may not be writable for the user running the tests: the temp folder is.
  set(temp "$ENV{TMPDIR}")
  if(NOT temp)
    set(temp /tmp)
  endif()
  string(RANDOM LENGTH 10 suffix)
  set(SCRATCH "${temp}/quarnel-version-${suffix}")
endif()
file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH}/repo ${SCRATCH}/plain)

# Not a checkout: the base version alone.
quarnel_version_text(${SCRATCH}/plain 9.8.7 text)
expect_match("outside a checkout" "${text}" "^9\\.8\\.7$")

git(init -q)
file(WRITE ${SCRATCH}/repo/a.txt "one\n")
git(add a.txt)
git(commit -q -m one)

# A folder inside a checkout is not a checkout of its own.
file(MAKE_DIRECTORY ${SCRATCH}/repo/inner)
quarnel_version_text(${SCRATCH}/repo/inner 9.8.7 text)
expect_match("a folder inside a checkout" "${text}" "^9\\.8\\.7$")

# No tag yet: the base version and the commit.
quarnel_version_text(${SCRATCH}/repo 9.8.7 text)
expect_match("no tag" "${text}" "^9\\.8\\.7-g[0-9a-f]+$")

# On the tag: the tag's number, whatever the base version says.
git(tag -a v1.1.0 -m release)
quarnel_version_text(${SCRATCH}/repo 9.8.7 text)
expect_match("on the tag" "${text}" "^1\\.1\\.0$")

# Two commits past it.
file(APPEND ${SCRATCH}/repo/a.txt "two\n")
git(commit -q -a -m two)
file(APPEND ${SCRATCH}/repo/a.txt "three\n")
git(commit -q -a -m three)
quarnel_version_text(${SCRATCH}/repo 9.8.7 text)
expect_match("two commits past the tag" "${text}" "^1\\.1\\.0-2-g[0-9a-f]+$")

# A lightweight tag counts too; a tag that is no release number does not.
git(tag v1.2.0)
git(tag nightly)
quarnel_version_text(${SCRATCH}/repo 9.8.7 text)
expect_match("a lightweight tag" "${text}" "^1\\.2\\.0$")
git(tag -d v1.1.0 v1.2.0)
quarnel_version_text(${SCRATCH}/repo 9.8.7 text)
expect_match("only a tag that is no release number" "${text}" "^9\\.8\\.7-g[0-9a-f]+$")

file(REMOVE_RECURSE ${SCRATCH})
