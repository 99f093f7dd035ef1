# The Windows package: glaxen.exe, the music beside it and a short README, as a zip to extract.
set(GLAXEN_PACKAGE_DIR ${PROJECT_BINARY_DIR}/package/glaxen-${PROJECT_VERSION}-windows)
configure_file(assets/windows/README.txt.in ${GLAXEN_PACKAGE_DIR}/README.txt @ONLY
               NEWLINE_STYLE WIN32)
set(GLAXEN_PACKAGE_ZIP ${PROJECT_BINARY_DIR}/package/glaxen-${PROJECT_VERSION}-windows.zip)
add_custom_command(OUTPUT ${GLAXEN_PACKAGE_ZIP}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:glaxen> ${GLAXEN_MUSIC} ${GLAXEN_PACKAGE_DIR}
  COMMAND ${CMAKE_STRIP} ${GLAXEN_PACKAGE_DIR}/glaxen.exe
  COMMAND ${CMAKE_COMMAND} -E tar cf ${GLAXEN_PACKAGE_ZIP} --format=zip
          glaxen-${PROJECT_VERSION}-windows
  WORKING_DIRECTORY ${PROJECT_BINARY_DIR}/package
  DEPENDS glaxen ${GLAXEN_MUSIC} ${GLAXEN_PACKAGE_DIR}/README.txt)
add_custom_target(package_zip DEPENDS ${GLAXEN_PACKAGE_ZIP})
