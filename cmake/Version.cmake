# The program's version, taken when the programs are built: the project's version, plus "+g<commit>" (and
# "-dirty" for a modified tree) unless the commit carries the tag v<project version>; the project's version alone
# where there is no git repository.
#
# Included from the top CMakeLists.txt it defines the target vesk_version_stamp, run on every build, which
# rewrites ${VESK_VERSION_HEADER} only when the version changed, so that a build recompiles one small source.
# As a script it writes that header:
#   cmake -DSOURCE_DIR=<repository> -DPROJECT_VERSION=<x.y> -DOUTPUT=<header> -P cmake/Version.cmake

if(CMAKE_SCRIPT_MODE_FILE)
  cmake_minimum_required(VERSION 3.20)
endif()

function(vesk_compute_version source_dir project_version out)
  set(version ${project_version})
  find_program(git_program git)
  if(git_program AND EXISTS ${source_dir}/.git)
    execute_process(COMMAND ${git_program} -C ${source_dir} rev-parse --short=7 HEAD
      OUTPUT_VARIABLE hash OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE failed)
    if(NOT failed)
      execute_process(COMMAND ${git_program} -C ${source_dir} status --porcelain --untracked-files=no
        OUTPUT_VARIABLE changes ERROR_QUIET)
      execute_process(COMMAND ${git_program} -C ${source_dir} tag --points-at HEAD
        OUTPUT_VARIABLE tags ERROR_QUIET)
      string(REPLACE "\n" ";" tags "${tags}")
      if(NOT "v${project_version}" IN_LIST tags OR NOT changes STREQUAL "")
        string(APPEND version "+g${hash}")
      endif()
      if(NOT changes STREQUAL "")
        string(APPEND version "-dirty")
      endif()
    endif()
  endif()
  set(${out} ${version} PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE)
  vesk_compute_version(${SOURCE_DIR} ${PROJECT_VERSION} version)
  # The numbers of the Windows version resource: major, minor, patch, tweak.
  string(REPLACE "." ";" numbers "${PROJECT_VERSION}.0.0.0")
  list(SUBLIST numbers 0 4 numbers)
  list(JOIN numbers ", " numbers)
  string(CONCAT text "// Made by cmake/Version.cmake at build time.\n#define VESK_VERSION \"${version}\"\n"
           "#define VESK_VERSION_NUMBERS ${numbers}\n")
  if(EXISTS ${OUTPUT})
    file(READ ${OUTPUT} old)
  endif()
  if(NOT old STREQUAL text)
    file(WRITE ${OUTPUT} "${text}")
  endif()
  return()
endif()

set(VESK_VERSION_HEADER ${CMAKE_BINARY_DIR}/version/vesk_version.h)
add_custom_target(vesk_version_stamp
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DPROJECT_VERSION=${PROJECT_VERSION}
    -DOUTPUT=${VESK_VERSION_HEADER} -P ${CMAKE_CURRENT_LIST_FILE}
  BYPRODUCTS ${VESK_VERSION_HEADER}
  COMMENT "" VERBATIM)
