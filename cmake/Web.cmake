# The web build (emscripten): toolchain settings, and the libraries cross-built for it by the scripts.
#
#   emcmake cmake -S . -B build-wasm -DVESK_OPENMPT_PREFIX=$(scripts/build-libopenmpt.sh wasm) \
#     -DVESK_PNG_PREFIX=$(scripts/build-web-libpng.sh)
#
# scripts/build-web.sh does all of this. Only the programs are built: the tests run natively, and the web
# programs are checked against the native ones.
set(VESK_OPENMPT_PREFIX "" CACHE PATH "libopenmpt built for wasm (scripts/build-libopenmpt.sh wasm)")
set(VESK_PNG_PREFIX "" CACHE PATH "libpng and zlib built for wasm (scripts/build-web-libpng.sh)")
foreach(prefix VESK_OPENMPT_PREFIX VESK_PNG_PREFIX)
  if(NOT ${prefix})
    message(FATAL_ERROR "The web build needs ${prefix}; scripts/build-web.sh sets it")
  endif()
endforeach()

# The session unwinds a quit from the frame boundary to its Run with an exception.
add_compile_options(-fexceptions)
add_link_options(-fexceptions)

add_library(PkgConfig::OPENMPT STATIC IMPORTED)
set_target_properties(PkgConfig::OPENMPT PROPERTIES
  IMPORTED_LOCATION ${VESK_OPENMPT_PREFIX}/lib/libopenmpt.a
  INTERFACE_INCLUDE_DIRECTORIES ${VESK_OPENMPT_PREFIX}/include)

set(PNG_LIBRARY ${VESK_PNG_PREFIX}/lib/libpng.a CACHE FILEPATH "" FORCE)
set(PNG_PNG_INCLUDE_DIR ${VESK_PNG_PREFIX}/include CACHE PATH "" FORCE)
set(ZLIB_LIBRARY ${VESK_PNG_PREFIX}/lib/libz.a CACHE FILEPATH "" FORCE)
set(ZLIB_INCLUDE_DIR ${VESK_PNG_PREFIX}/include CACHE PATH "" FORCE)

# CLI11 is header-only; its headers are copied so that no other system header joins the wasm build.
find_path(VESK_CLI11_HEADERS CLI/CLI.hpp PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(VESK_CLI11_HEADERS)
  file(COPY ${VESK_CLI11_HEADERS}/CLI DESTINATION ${CMAKE_BINARY_DIR}/cli11)
  add_library(CLI11::CLI11 INTERFACE IMPORTED)
  set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${CMAKE_BINARY_DIR}/cli11)
endif()

# vesk_web_programs(): link settings of the programs, once every folder has defined its targets.
function(vesk_web_programs)
  if(TARGET vesk-capture)
    # Runs under node with the real file system; the show's tables and planes need more than the default memory.
    target_link_libraries(vesk-capture PRIVATE vesk_web_no_spawn)
    target_link_options(vesk-capture PRIVATE -sNODERAWFS=1 -sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=1
      -sWASM_ASYNC_COMPILATION=0 -sENVIRONMENT=node)
  endif()
endfunction()
