# The real-time program: the host over the SDL backend, the mixer and the GTK launch view; and what installs it.
add_executable(vesk vesk_main.cpp)
target_link_libraries(vesk PRIVATE vesk_command_line vesk_frame_trace vesk_platform_mixer vesk_platform_gtk
                      vesk_platform_forked_launch vesk_screenshot)
vesk_link_host(vesk vesk_platform_sdl)

include(GNUInstallDirs)
install(TARGETS vesk RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET vesk-capture)
  install(TARGETS vesk-capture RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
set(desktop_dir ${PROJECT_SOURCE_DIR}/resources/desktop)
install(FILES ${desktop_dir}/vesk.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${desktop_dir}/vesk.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps)
