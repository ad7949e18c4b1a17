# Shared by the package tests: failure reporting, running a command, finding
# a checker, and building the package of the build tree into the scratch
# folder.
#
# Every script is run by CTest with
#   -DTV_BINARY_DIR=<build folder> -DTV_SOURCE_DIR=<source folder>
#   -DTV_WORK_DIR=<scratch folder> -DTV_PACKAGE_NAME=<package name>
#   -DTV_PACKAGE_VERSION=<version> -DTV_APPSTREAM_ID=<AppStream id>
#   -DTV_BUILD_TYPE=<CMAKE_BUILD_TYPE> -DTV_SANITIZE=<ON|OFF>

cmake_minimum_required(VERSION 3.25)

# A failed check is reported and counted, and the test goes on to the next;
# the count is global, so that checks inside functions count as well.
set_property(GLOBAL PROPERTY TV_FAILURES 0)
function(fail message)
  message(SEND_ERROR "FAIL: ${message}")
  get_property(failures GLOBAL PROPERTY TV_FAILURES)
  math(EXPR failures "${failures} + 1")
  set_property(GLOBAL PROPERTY TV_FAILURES ${failures})
endfunction()

function(finish success_message)
  get_property(failures GLOBAL PROPERTY TV_FAILURES)
  if(failures GREATER 0)
    message(FATAL_ERROR "${failures} check(s) failed")
  endif()
  message(STATUS "${success_message}")
endfunction()

# A check that `text` matches the regular expression `regex`; `message` says
# what is wrong when it does not.
function(expect_match text regex message)
  if(NOT text MATCHES "${regex}")
    fail("${message}")
  endif()
endfunction()

# Runs a command that must succeed; its standard output lands in RUN_OUTPUT,
# its error output in RUN_ERROR.
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err
                  TIMEOUT 240)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "FAIL: ${ARGN}\nexit: ${rc}\n${out}\n${err}")
  endif()
  set(RUN_OUTPUT "${out}" PARENT_SCOPE)
  set(RUN_ERROR "${err}" PARENT_SCOPE)
endfunction()

# A checker the tests use is installed by `scripts/deps.sh --test`; a
# missing one is a failure, never a skipped check.
function(require_program var name package)
  find_program(${var} ${name} NO_CACHE)
  if(NOT ${var})
    message(FATAL_ERROR "FAIL: ${name} is not installed (Debian package ${package}); "
                        "scripts/test.sh installs it, or run: bash scripts/deps.sh --test")
  endif()
  set(${var} ${${var}} PARENT_SCOPE)
endfunction()

# Builds the package into TV_WORK_DIR/pkg and sets DEB to its path.
macro(build_package)
  file(REMOVE_RECURSE ${TV_WORK_DIR})
  file(MAKE_DIRECTORY ${TV_WORK_DIR})
  run(${CMAKE_CPACK_COMMAND} -G DEB --config ${TV_BINARY_DIR}/CPackConfig.cmake
      -B ${TV_WORK_DIR}/pkg)
  file(GLOB DEB ${TV_WORK_DIR}/pkg/${TV_PACKAGE_NAME}_*.deb)
  list(LENGTH DEB deb_count)
  if(NOT deb_count EQUAL 1)
    message(FATAL_ERROR "FAIL: expected one package in ${TV_WORK_DIR}/pkg, found: ${DEB}")
  endif()
  message(STATUS "package: ${DEB}")
endmacro()
