# The Windows programs: vesk.exe (the host over the Win32 backend, launch dialog from a dialog resource) and
# vesk-capture.exe (the host over the headless backend).

# CLI11 is headers only; the cross build takes them from the build machine, and nothing else from its include folder.
find_path(VESK_CLI11_DIR CLI/CLI.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(cli11_include ${CMAKE_BINARY_DIR}/cli11-include)
file(MAKE_DIRECTORY ${cli11_include})
file(CREATE_LINK ${VESK_CLI11_DIR}/CLI ${cli11_include}/CLI SYMBOLIC)
add_library(vesk_cli11 INTERFACE)
target_include_directories(vesk_cli11 SYSTEM INTERFACE ${cli11_include})

# libpng is Debian's source cross-built by scripts/build-windows-libpng.sh. Video needs the ffmpeg program started
# through the platform's child processes; a video writer that spawns it the POSIX way cannot be built here, and
# --video then says so.
find_package(PNG REQUIRED)
file(GLOB capture_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/capture/*.cpp)
list(FILTER capture_sources EXCLUDE REGEX "(capture_main|video_writer)\\.cpp$")
file(READ ${CMAKE_CURRENT_SOURCE_DIR}/capture/video_writer.cpp video_writer_source)
if(video_writer_source MATCHES "<spawn\\.h>")
  set(video_writer ${CMAKE_CURRENT_SOURCE_DIR}/capture/windows/video_writer_unavailable.cpp)
else()
  set(video_writer ${CMAKE_CURRENT_SOURCE_DIR}/capture/video_writer.cpp)
endif()
add_library(vesk_capture_lib STATIC ${capture_sources} ${video_writer})
target_include_directories(vesk_capture_lib PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(vesk_capture_lib PUBLIC vesk_host vesk_trace_verify vesk_file_output vesk_platform_headless
  vesk_platform_os PNG::PNG
  PRIVATE vesk_cli11)
add_executable(vesk-capture capture/capture_main.cpp ${PROJECT_SOURCE_DIR}/platform/win32/win32_binary_stdio.cpp)
target_link_libraries(vesk-capture PRIVATE vesk_capture_lib)
vesk_link_host(vesk-capture vesk_platform_headless)

add_library(vesk_launch_model STATIC launch_dialog_model.cpp)
target_include_directories(vesk_launch_model PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(vesk_launch_model PUBLIC vesk_display)

# A GUI program: no console window opens behind the dialog.
add_executable(vesk WIN32 vesk_main_windows.cpp)
target_link_libraries(vesk PRIVATE vesk_platform_win32_dialog vesk_launch_model)
vesk_link_host(vesk vesk_platform_win32)
