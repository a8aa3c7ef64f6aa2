# Writes the Debian package's changelog or copyright file for the version the build stamped (cmake/Version.cmake),
# dated by SOURCE_DATE_EPOCH when it is set.
#   cmake -DKIND=changelog|copyright -DHEADER=<vesk_version.h> -DINPUT=<template> -DOUTPUT=<file>
#     [-DMAINTAINER=...] [-DNOTICES=<third-party notices>] -P PackageDocs.cmake
file(STRINGS ${HEADER} line REGEX "^#define VESK_VERSION \"")
string(REGEX REPLACE "^#define VESK_VERSION \"(.*)\"$" "\\1" VESK_VERSION "${line}")
if(VESK_VERSION MATCHES "\\+g([0-9a-f]+)")
  set(VESK_SOURCE "commit ${CMAKE_MATCH_1}")
else()
  set(VESK_SOURCE "the release ${VESK_VERSION}")
endif()
set(VESK_MAINTAINER "${MAINTAINER}")
string(TIMESTAMP VESK_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${INPUT} ${OUTPUT} @ONLY)
if(NOTICES)
  file(READ ${NOTICES} notices)
  file(APPEND ${OUTPUT} "${notices}")
endif()
