# The show in a web page: the run folder is the site, index.html, glaxen.js, glaxen.wasm and the
# music. One blocking main routine that ASYNCIFY suspends at each of the page's waits (animation
# frames, input, fetches). No threads: a plain static host cannot send the headers that shared
# memory needs. Memory may grow past its start for a longer music, decoded whole.
add_executable(glaxen app/glaxen_web.cpp)
target_link_libraries(glaxen PRIVATE glaxen_web)
target_link_options(glaxen PRIVATE -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536 -sALLOW_MEMORY_GROWTH
                    -sINITIAL_MEMORY=64MB -sENVIRONMENT=web -sFORCE_FILESYSTEM)
set_target_properties(glaxen PROPERTIES SUFFIX .js RUNTIME_OUTPUT_DIRECTORY ${GLAXEN_RUN_DIR})
configure_file(assets/web/index.html ${GLAXEN_RUN_DIR}/index.html COPYONLY)

# The site as one tarball, for any static web host.
get_filename_component(music_name ${GLAXEN_MUSIC} NAME)
set(GLAXEN_WEB_TARBALL ${PROJECT_BINARY_DIR}/package/glaxen-${PROJECT_VERSION}-web.tar.gz)
add_custom_command(OUTPUT ${GLAXEN_WEB_TARBALL}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/package
  COMMAND ${CMAKE_COMMAND} -E tar czf ${GLAXEN_WEB_TARBALL} index.html glaxen.js glaxen.wasm
          ${music_name}
  WORKING_DIRECTORY ${GLAXEN_RUN_DIR}
  DEPENDS glaxen ${GLAXEN_RUN_DIR}/index.html)
add_custom_target(package_web DEPENDS ${GLAXEN_WEB_TARBALL})
