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

# The desktop's view of the program: the manual, the man page and the AppStream metainfo.
# Debian's rules want the man page and the changelog compressed, without a time stamp.
set(ORVO_MAINTAINER_MAIL "orvo-player@users.noreply.example.org")
set(ORVO_DOCDIR share/doc/orvo-player)
set(ORVO_METAINFO org.orvoplayer.OrvoPlayer.metainfo.xml)
configure_file(${ORVO_INSTALL_DIR}/${ORVO_METAINFO}.in ${CMAKE_BINARY_DIR}/install/${ORVO_METAINFO} @ONLY)
configure_file(${ORVO_INSTALL_DIR}/changelog.in ${CMAKE_BINARY_DIR}/install/changelog @ONLY)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/install/OrvoPlayer.1.gz ${CMAKE_BINARY_DIR}/install/changelog.gz
  COMMAND sh -c "gzip -9nc '${ORVO_INSTALL_DIR}/OrvoPlayer.1' > OrvoPlayer.1.gz && gzip -9nc changelog > changelog.gz"
  DEPENDS ${ORVO_INSTALL_DIR}/OrvoPlayer.1 ${CMAKE_BINARY_DIR}/install/changelog
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/install
  VERBATIM)
add_custom_target(InstallDocs ALL DEPENDS ${CMAKE_BINARY_DIR}/install/OrvoPlayer.1.gz ${CMAKE_BINARY_DIR}/install/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/install/OrvoPlayer.1.gz DESTINATION share/man/man1)
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${ORVO_INSTALL_DIR}/copyright ${CMAKE_BINARY_DIR}/install/changelog.gz
  DESTINATION ${ORVO_DOCDIR})
install(FILES ${CMAKE_BINARY_DIR}/install/${ORVO_METAINFO} DESTINATION share/metainfo)

# cpack -G DEB (run in the build folder) makes orvo-player_VERSION_ARCH.deb for /usr, its
# library dependencies computed by dpkg-shlibdeps. The platform plug-in that Qt loads at run
# time and the opener of "About" are named by hand: no linked library shows them.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvo-player)
set(CPACK_PACKAGE_VENDOR "The Orvo-Player team")
set(CPACK_PACKAGE_CONTACT "The Orvo-Player team <${ORVO_MAINTAINER_MAIL}>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "player for stereoscopic and 2D video")
# The synopsis comes from the summary; these lines are the extended description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Orvo-Player plays video files whose two eye views lie side by side or one
above the other, and ordinary 2D video, in a window or full screen: as an
anaglyph for blue/yellow, red/cyan or green/magenta glasses, as one eye's
view, or with the pair re-laid. It answers the desktop's media controls
through MPRIS and keeps the screen from blanking while it plays.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_STRIP_FILES ON)
install(FILES ${ORVO_INSTALL_DIR}/lintian-overrides DESTINATION share/lintian/overrides RENAME orvo-player)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
include(CPack)
