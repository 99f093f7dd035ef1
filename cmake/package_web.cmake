# The show in a web page: the run folder is the site, index.html, glaxen.js, glaxen.wasm and the
# music; and the site as one tarball, for any static web host.
configure_file(assets/web/index.html ${GLAXEN_RUN_DIR}/index.html COPYONLY)

set(GLAXEN_WEB_TARBALL ${PROJECT_BINARY_DIR}/package/glaxen-${PROJECT_VERSION}-web.tar.gz)
add_custom_command(OUTPUT ${GLAXEN_WEB_TARBALL}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/package
  COMMAND ${CMAKE_COMMAND} -E tar czf ${GLAXEN_WEB_TARBALL} index.html glaxen.js glaxen.wasm
          ${GLAXEN_MUSIC_NAME}
  WORKING_DIRECTORY ${GLAXEN_RUN_DIR}
  DEPENDS glaxen ${GLAXEN_RUN_DIR}/index.html)
add_custom_target(package_web DEPENDS ${GLAXEN_WEB_TARBALL})
