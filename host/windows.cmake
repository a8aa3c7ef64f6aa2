# The Windows programs: vesk.exe (the session over the Win32 backend, launch dialog from a dialog resource) and
# vesk-capture.exe (the host over the headless backend).

# CLI11 is headers only; the cross build takes them from the build machine, and nothing else from its include folder.
find_path(VESK_CLI11_DIR CLI/CLI.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(cli11_include ${CMAKE_BINARY_DIR}/cli11-include)
file(MAKE_DIRECTORY ${cli11_include})
file(CREATE_LINK ${VESK_CLI11_DIR}/CLI ${cli11_include}/CLI SYMBOLIC)
add_library(vesk_cli11 INTERFACE)
target_include_directories(vesk_cli11 SYSTEM INTERFACE ${cli11_include})

# libpng is Debian's source cross-built by scripts/build-windows-libpng.sh; video needs the ffmpeg program, started
# through the platform's child processes.
find_package(PNG REQUIRED)
file(GLOB capture_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/capture/*.cpp)
list(FILTER capture_sources EXCLUDE REGEX "capture_main\\.cpp$")
add_library(vesk_capture_lib STATIC ${capture_sources})
target_include_directories(vesk_capture_lib PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(vesk_capture_lib PUBLIC vesk_host vesk_trace_verify vesk_file_output vesk_platform_headless
  vesk_platform_os PNG::PNG
  PRIVATE vesk_cli11 vesk_version)
add_executable(vesk-capture capture/capture_main.cpp ${PROJECT_SOURCE_DIR}/platform/win32/win32_binary_stdio.cpp)
target_link_libraries(vesk-capture PRIVATE vesk_capture_lib vesk_capture_version_info)
vesk_link_host(vesk-capture vesk_platform_headless)

# A GUI program: no console window opens behind the dialog. The shared command line reads its options with CLI11;
# the music is the shared mixer over the backend's waveOut output.
add_executable(vesk WIN32 vesk_main_windows.cpp)
target_link_libraries(vesk PRIVATE vesk_platform_win32_dialog vesk_platform_mixer vesk_command_line vesk_frame_trace)
vesk_link_host(vesk vesk_platform_win32)
