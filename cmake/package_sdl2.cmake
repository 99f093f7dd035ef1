# What installs the desktop's show and glaxen-render: the menu entry, the icon, the man pages and
# the Debian package.

include(GNUInstallDirs)
set(GLAXEN_DATA_DIR ${CMAKE_INSTALL_FULL_DATADIR}/glaxen)  # where the music goes
install(TARGETS glaxen glaxen-render RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${GLAXEN_MUSIC} DESTINATION ${CMAKE_INSTALL_DATADIR}/glaxen)

# The desktop entry starts the show in the music's folder: it reads the music from there.
configure_file(assets/glaxen.desktop.in ${PROJECT_BINARY_DIR}/glaxen.desktop @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/glaxen.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# The icon as drawn (XPM) and as the icon theme wants it (PNG).
add_executable(icon_png tools/icon_png/icon_png.cpp pictures/xpm_icon.cpp)
target_include_directories(icon_png PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(icon_png PRIVATE glaxen::png)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/glaxen.png
                   COMMAND icon_png ${PROJECT_SOURCE_DIR}/assets/glaxen.xpm ${PROJECT_BINARY_DIR}/glaxen.png
                   DEPENDS icon_png ${PROJECT_SOURCE_DIR}/assets/glaxen.xpm)
install(FILES ${PROJECT_SOURCE_DIR}/assets/glaxen.xpm DESTINATION ${CMAKE_INSTALL_DATADIR}/pixmaps)
install(FILES ${PROJECT_BINARY_DIR}/glaxen.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps)

# The man pages, compressed the way Debian keeps them (no name or time stamp inside).
set(man_pages glaxen.6 glaxen-render.1)
set(compressed_pages)
foreach(page ${man_pages})
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/man/${page}.gz
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
                     COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/docs/man/${page} > ${PROJECT_BINARY_DIR}/man/${page}.gz
                     DEPENDS ${PROJECT_SOURCE_DIR}/docs/man/${page})
  string(REGEX REPLACE ".*\\.([0-9])$" "\\1" section ${page})
  install(FILES ${PROJECT_BINARY_DIR}/man/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
  list(APPEND compressed_pages ${PROJECT_BINARY_DIR}/man/${page}.gz)
endforeach()
add_custom_target(install_files ALL DEPENDS ${PROJECT_BINARY_DIR}/glaxen.png ${compressed_pages})

# make package: a .deb whose dependencies dpkg-shlibdeps reads off the binaries.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME glaxen)
set(CPACK_PACKAGE_VENDOR "glaxen")
set(CPACK_PACKAGE_CONTACT "glaxen maintainers <maintainers@glaxen.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "140-second audio-reactive seasonal greeting show")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "140-second audio-reactive seasonal greeting show
 A one-button start dialog, then a full-screen show: 3000 wandering line segments
 over a feedback loop, coloured from pictures carried inside the program and
 driven by the spectrum of its music. Contains fast flashing images.
 .
 glaxen-render computes the same frames headless, to PNG, YUV4MPEG2 or raw.")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
include(CPack)

