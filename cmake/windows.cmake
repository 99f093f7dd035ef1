# The show on Windows: glaxen.exe, a GUI program with its start dialog and icon in its
# resources, self-contained (linked statically, DirectDraw loaded at run time).
enable_language(RC)
set(GLAXEN_ICON ${PROJECT_BINARY_DIR}/glaxen.ico)
add_custom_command(OUTPUT ${GLAXEN_ICON}
                   COMMAND icon_ico ${PROJECT_SOURCE_DIR}/assets/glaxen.xpm ${GLAXEN_ICON}
                   DEPENDS icon_ico ${PROJECT_SOURCE_DIR}/assets/glaxen.xpm)
set_source_files_properties(assets/glaxen.rc PROPERTIES OBJECT_DEPENDS ${GLAXEN_ICON})

add_executable(glaxen WIN32 app/glaxen_win32.cpp assets/glaxen.rc)
target_include_directories(glaxen PRIVATE ${PROJECT_BINARY_DIR})  # where the icon is made
target_link_libraries(glaxen PRIVATE glaxen_win32)
set_target_properties(glaxen PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${GLAXEN_RUN_DIR})

# The package: glaxen.exe, the music beside it and a short README, as a zip to extract.
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
