# vesk_embed(<target> <symbol> <file>): links the bytes of <file> into <target> as
#   extern "C" const unsigned char <symbol>[];  extern "C" const unsigned int <symbol>_size;
function(vesk_embed target symbol file)
  get_filename_component(abs ${file} ABSOLUTE)
  if(EMSCRIPTEN)
    # The wasm assembler has no .incbin: the bytes become a C array.
    vesk_embed_as_c(${target} ${symbol} ${abs})
    return()
  endif()
  set(out ${CMAKE_CURRENT_BINARY_DIR}/embed/${symbol}.S)
  # ELF objects say their stack need not be executable; PE objects have no such note.
  set(stack_note "    .section .note.GNU-stack,\"\",@progbits\n")
  if(WIN32)
    set(stack_note "")
  endif()
  file(WRITE ${out}.in
    "    .section .rodata\n"
    "    .global ${symbol}\n"
    "    .global ${symbol}_size\n"
    "    .balign 16\n"
    "${symbol}:\n"
    "    .incbin \"${abs}\"\n"
    "${symbol}_end:\n"
    "    .byte 0\n"
    "    .balign 4\n"
    "${symbol}_size:\n"
    "    .int ${symbol}_end - ${symbol}\n"
    "${stack_note}")
  configure_file(${out}.in ${out} COPYONLY)
  set_source_files_properties(${out} PROPERTIES OBJECT_DEPENDS ${abs})
  target_sources(${target} PRIVATE ${out})
endfunction()

# vesk_embed_dir(<target> <prefix> <dir>): embeds every file of <dir>; a file "name.ext" becomes
# the symbol <prefix>_name_ext. Configure again after adding a file.
function(vesk_embed_dir target prefix dir)
  file(GLOB files CONFIGURE_DEPENDS ${dir}/*)
  foreach(f ${files})
    if(IS_DIRECTORY ${f})
      continue()
    endif()
    get_filename_component(name ${f} NAME)
    string(MAKE_C_IDENTIFIER "${prefix}_${name}" symbol)
    vesk_embed(${target} ${symbol} ${f})
  endforeach()
endfunction()

# The bytes of <file> as a C source, for targets whose assembler cannot include a file.
function(vesk_embed_as_c target symbol abs)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/embed/${symbol}.c)
  file(READ ${abs} hex HEX)
  file(SIZE ${abs} size)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  file(WRITE ${out}.in
    "const unsigned char ${symbol}[] __attribute__((aligned(16))) = {${bytes}0};\n"
    "const unsigned int ${symbol}_size = ${size};\n")
  configure_file(${out}.in ${out} COPYONLY)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${abs})
  target_sources(${target} PRIVATE ${out})
endfunction()
