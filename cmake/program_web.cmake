# The show's program for a page: one blocking main routine that ASYNCIFY suspends at each of the
# page's waits (animation frames, input, the music, fetches), and the page's own code
# (platform/web/web_page.js) run before it, as soon as glaxen.js is. No threads: a plain static
# host cannot send the headers that shared memory needs. The music is decoded as it plays, so
# memory stays what it starts with whatever the music's length.
set(page_code ${PROJECT_SOURCE_DIR}/platform/web/web_page.js)
add_executable(glaxen glaxen_web.cpp)
target_link_libraries(glaxen PRIVATE glaxen_web)
target_link_options(glaxen PRIVATE -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536
                    -sALLOW_MEMORY_GROWTH -sINITIAL_MEMORY=64MB -sENVIRONMENT=web
                    -sFORCE_FILESYSTEM --pre-js ${page_code})
set_target_properties(glaxen PROPERTIES SUFFIX .js LINK_DEPENDS ${page_code})
