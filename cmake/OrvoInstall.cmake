# cmake --install: the program, libCore.so, libPlatform.so and the plug-ins live together in
# lib/orvo-player (they find each other through $ORIGIN run paths, and the engine looks for
# its plug-ins beside itself), started through a launcher in bin/. Embedders get the C
# header and a pkg-config file. The tree holds no path of the source or build folder, so it
# can be installed anywhere.
set(ORVO_INSTALL_LIBDIR lib/orvo-player)
set(ORVO_INSTALL_DATADIR share/orvo-player)
set(ORVO_INSTALL_DIR ${CMAKE_CURRENT_LIST_DIR}/install)

install(TARGETS Core Platform LAVSplitter LAVVideo LAVAudio LIBRARY DESTINATION ${ORVO_INSTALL_LIBDIR})
if(TARGET OrvoPlayer)
  install(TARGETS OrvoPlayer RUNTIME DESTINATION ${ORVO_INSTALL_LIBDIR})
endif()

configure_file(${ORVO_INSTALL_DIR}/OrvoPlayer.in ${CMAKE_BINARY_DIR}/install/OrvoPlayer @ONLY)
install(PROGRAMS ${CMAKE_BINARY_DIR}/install/OrvoPlayer DESTINATION bin)

# The desktop entry names the launcher by its installed path, which is known only when
# installing (cmake --install --prefix may differ from the configured prefix).
install(CODE "
  set(ORVO_LAUNCHER \"\${CMAKE_INSTALL_PREFIX}/bin/OrvoPlayer\")
  configure_file(\"${ORVO_INSTALL_DIR}/orvo-player.desktop.in\"
    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/share/applications/orvo-player.desktop\" @ONLY)
  message(STATUS \"Installing: \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/share/applications/orvo-player.desktop\")
")
install(FILES ${CMAKE_SOURCE_DIR}/player/resources/orvo-player.png
  DESTINATION share/icons/hicolor/256x256/apps)
install(FILES ${ORVO_DEMO_CLIP} DESTINATION ${ORVO_INSTALL_DATADIR}/demo)

install(FILES ${CMAKE_SOURCE_DIR}/engine/api/Lumex.h DESTINATION include/orvo)
configure_file(${ORVO_INSTALL_DIR}/orvo-core.pc.in ${CMAKE_BINARY_DIR}/install/orvo-core.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/install/orvo-core.pc DESTINATION lib/pkgconfig)
