# The real-time program: the host over the SDL backend, with the GTK launch dialog; and what installs it.
pkg_check_modules(GTK3 REQUIRED IMPORTED_TARGET gtk+-3.0)

add_library(vesk_launch_dialog STATIC launch_dialog_model.cpp launch_options.cpp launch_dialog_gtk.cpp)
target_include_directories(vesk_launch_dialog PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(vesk_launch_dialog PUBLIC PkgConfig::GTK3 vesk_platform_resources)

add_executable(vesk vesk_main.cpp)
find_package(CLI11 CONFIG REQUIRED)
target_link_libraries(vesk PRIVATE vesk_launch_dialog vesk_frame_trace CLI11::CLI11)
vesk_link_host(vesk vesk_platform_sdl)

include(GNUInstallDirs)
install(TARGETS vesk RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET vesk-capture)
  install(TARGETS vesk-capture RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
set(desktop_dir ${PROJECT_SOURCE_DIR}/resources/desktop)
install(FILES ${desktop_dir}/vesk.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${desktop_dir}/vesk.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps)
