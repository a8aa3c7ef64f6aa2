# Writes the page with the build's version in its footer: @VESK_VERSION@ in INPUT becomes the version the build
# stamped in HEADER (cmake/Version.cmake).
#   cmake -DINPUT=index.html -DHEADER=vesk_version.h -DOUTPUT=<page>/index.html -P page_version.cmake
file(STRINGS ${HEADER} line REGEX "^#define VESK_VERSION \"")
string(REGEX REPLACE "^#define VESK_VERSION \"(.*)\"$" "\\1" VESK_VERSION "${line}")
configure_file(${INPUT} ${OUTPUT} @ONLY)
