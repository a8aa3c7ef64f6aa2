# Writes the launch dialog's and About box's layout (platform/launch_layout.h) as a script for the page:
#
#   cmake -DHEADER=platform/launch_layout.h -DOUTPUT=launch_layout.js -P web/launch_layout.cmake
#
# The script defines VeskLayout: each plain definition under its name without VESK_ (LAUNCH_TITLE,
# LAUNCH_WIDTH, ...), and each control list (LAUNCH_CONTROLS, ABOUT_CONTROLS) as an array of
# {kind, id, text, x, y, width, height} in dialog units, id being the control's name without VESK_ (null for
# VESK_NO_ID).
file(READ ${HEADER} text)
# Lines joined by a continuation are read one by one: a control list goes on while its lines hold controls.
string(REGEX REPLACE "[ ]*\\\\\n" "\n" text "${text}")
string(REPLACE ";" "\\;" text "${text}")
string(REPLACE "\n" ";" lines "${text}")
set(fields "")
set(list_name "")
foreach(line IN LISTS lines)
  if(line MATCHES "^#define VESK_([A-Z_]+) ([0-9]+|\"[^\"]*\")$")
    string(APPEND fields "  ${CMAKE_MATCH_1}: ${CMAKE_MATCH_2},\n")
  elseif(line MATCHES "^#define VESK_([A-Z_]+_CONTROLS)\\(X\\)")
    set(list_name ${CMAKE_MATCH_1})
    string(APPEND fields "  ${list_name}: [\n")
  elseif(list_name AND line MATCHES
         "^ *X\\(([A-Z_]+), VESK_([A-Z_]+), (\"[^\"]*\"), ([0-9]+), ([0-9]+), ([0-9]+), ([0-9]+)\\)$")
    set(id "'${CMAKE_MATCH_2}'")
    if(CMAKE_MATCH_2 STREQUAL "NO_ID")
      set(id null)
    endif()
    string(APPEND fields "    { kind: '${CMAKE_MATCH_1}', id: ${id}, text: ${CMAKE_MATCH_3}, x: ${CMAKE_MATCH_4}, "
                         "y: ${CMAKE_MATCH_5}, width: ${CMAKE_MATCH_6}, height: ${CMAKE_MATCH_7} },\n")
  elseif(list_name)
    if(line MATCHES "X\\(")
      message(FATAL_ERROR "launch_layout.cmake: cannot read this control of ${list_name}: ${line}")
    endif()
    set(list_name "")
    string(APPEND fields "  ],\n")
  endif()
endforeach()
file(WRITE ${OUTPUT} "// Generated from platform/launch_layout.h by web/launch_layout.cmake: the launch dialog's "
  "and About box's\n// texts and geometry, in dialog units.\n'use strict';\n\nconst VeskLayout = {\n${fields}};\n")
