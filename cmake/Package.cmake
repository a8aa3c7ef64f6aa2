# The Debian package of the Linux programs, made by cpack (scripts/release.sh): vesk_<version>_amd64.deb with both
# programs, their man pages (help2man, from --help), the desktop entry, icon and AppStream metadata, the changelog
# and the copyright file with the third-party notices. The version is the one the build stamped, read when cpack
# runs (cmake/PackageVersion.cmake.in).
include(GNUInstallDirs)
# A placeholder until the project names who answers for its packages.
set(VESK_PACKAGE_MAINTAINER "Vesk developers <vesk@example.org>" CACHE STRING "The Debian package's maintainer")
set(docs_dir ${CMAKE_BINARY_DIR}/package)
file(MAKE_DIRECTORY ${docs_dir})
set(debian_dir ${PROJECT_SOURCE_DIR}/resources/debian)
find_program(VESK_HELP2MAN help2man)
find_program(VESK_GZIP gzip REQUIRED)

set(docs)
# The man pages say what --help says; help2man reads --version for the heading.
if(VESK_HELP2MAN AND TARGET vesk AND TARGET vesk-capture)
  foreach(page "vesk|6|play a 1990s real-time audiovisual show"
               "vesk-capture|1|render the Vesk show headless to frames, video, sound or a frame trace")
    string(REPLACE "|" ";" page "${page}")
    list(GET page 0 program)
    list(GET page 1 section)
    list(GET page 2 name)
    set(out ${docs_dir}/${program}.${section})
    add_custom_command(OUTPUT ${out}.gz
      COMMAND ${VESK_HELP2MAN} --no-info --no-discard-stderr --section=${section} --name=${name}
        --output=${out} $<TARGET_FILE:${program}>
      COMMAND ${VESK_GZIP} -9nf ${out}
      DEPENDS ${program} VERBATIM)
    list(APPEND docs ${out}.gz)
    install(FILES ${out}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section} OPTIONAL)
  endforeach()
endif()

set(notices ${docs_dir}/THIRD-PARTY-NOTICES)
add_custom_command(OUTPUT ${notices}
  COMMAND ${PROJECT_SOURCE_DIR}/scripts/third-party-notices.sh linux > ${notices}
  DEPENDS ${PROJECT_SOURCE_DIR}/scripts/third-party-notices.sh VERBATIM)
set(doc_script ${PROJECT_SOURCE_DIR}/cmake/PackageDocs.cmake)
add_custom_command(OUTPUT ${docs_dir}/copyright
  COMMAND ${CMAKE_COMMAND} -DHEADER=${VESK_VERSION_HEADER} -DINPUT=${debian_dir}/copyright.in
    -DOUTPUT=${docs_dir}/copyright -DNOTICES=${notices} -P ${doc_script}
  DEPENDS ${debian_dir}/copyright.in ${notices} ${doc_script} ${VESK_VERSION_HEADER} VERBATIM)
add_custom_command(OUTPUT ${docs_dir}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -DHEADER=${VESK_VERSION_HEADER} -DINPUT=${debian_dir}/changelog.in
    -DOUTPUT=${docs_dir}/changelog "-DMAINTAINER=${VESK_PACKAGE_MAINTAINER}" -P ${doc_script}
  COMMAND ${VESK_GZIP} -9nf ${docs_dir}/changelog
  DEPENDS ${debian_dir}/changelog.in ${doc_script} ${VESK_VERSION_HEADER} VERBATIM)
list(APPEND docs ${docs_dir}/copyright ${docs_dir}/changelog.gz)
# Built for the package (scripts/release.sh); a plain `cmake --install` installs them only when they were built.
add_custom_target(vesk_package_docs DEPENDS ${docs})
add_dependencies(vesk_package_docs vesk_version_stamp)
install(FILES ${docs_dir}/copyright ${docs_dir}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR} OPTIONAL)
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/vesk.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE VESK_DEB_ARCH OUTPUT_STRIP_TRAILING_WHITESPACE)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vesk)
set(CPACK_PACKAGE_CONTACT "${VESK_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Not "games": that section wants the programs in /usr/games.
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "1990s real-time audiovisual show")
# The extended description, under the summary; cpack indents its lines.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Vesk re-creates a demoscene intro of the 1990s: two and a half minutes of
computed 320x200, 256-colour effects against tracker music, in a window or
full screen. vesk-capture plays the show headless on a simulated clock and
writes its frames, a video, the sound or a frame trace.")
# The version, the file's name and the files' times are settled when cpack runs, from the build.
configure_file(${PROJECT_SOURCE_DIR}/cmake/PackageVersion.cmake.in ${CMAKE_BINARY_DIR}/PackageVersion.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/PackageVersion.cmake)
include(CPack)
