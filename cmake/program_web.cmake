# The show's program for a page: a routine that ASYNCIFY suspends at the page's waits (input,
# the music, fetches) for each show's start-up and shutdown, with the show's frames run between
# them at the page's animation frames, called from the page's own callbacks; and the page's own
# code (platform/web/web_page.js) run before it, as soon as glaxen.js is. No threads: a plain
# static host cannot send the headers that shared memory needs. The music is decoded as it
# plays, so the heap stays at its start whatever the music's length.
# A loop the browser drives costs a frame up to 0.2 ms of CPU less than one ASYNCIFY suspends
# at each animation frame (web_frame_loop and web_frame_wait, below; make bench-web), so the
# frames are not suspended. ASYNCIFY instruments only what can be on the stack at a wait: calls
# through a table are taken not to wait (the frame's and the decoder's are hot and never do),
# but for main's, into which the optimizer inlines the main routine's start-up (the dialog).
# The page's tests run every wait and would trap on a wait below an uninstrumented call.
set(page_code ${PROJECT_SOURCE_DIR}/platform/web/web_page.js)
add_executable(glaxen glaxen_web.cpp)
target_link_libraries(glaxen PRIVATE glaxen_web)
target_link_options(glaxen PRIVATE -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536 -sASYNCIFY_IGNORE_INDIRECT
                    "-sASYNCIFY_ADD=['__original_main']"
                    -sALLOW_MEMORY_GROWTH -sINITIAL_MEMORY=16MB -sENVIRONMENT=web
                    -sFORCE_FILESYSTEM --pre-js ${page_code})
set_target_properties(glaxen PROPERTIES SUFFIX .js LINK_DEPENDS ${page_code})

# For the benchmarks: the page's frame with the browser driving the loop and no ASYNCIFY, and
# the same frame in a blocking loop that ASYNCIFY suspends at each animation frame.
foreach(loop web_frame_loop web_frame_wait)
  add_executable(${loop} ${PROJECT_SOURCE_DIR}/bench/web_frame_loop.cpp)
  target_link_libraries(${loop} PRIVATE glaxen_core)
  target_link_options(${loop} PRIVATE -sENVIRONMENT=web -sINITIAL_MEMORY=16MB)
  set_target_properties(${loop} PROPERTIES SUFFIX .js
                        RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bench)
endforeach()
target_compile_definitions(web_frame_wait PRIVATE GLAXEN_FRAME_WAIT)
target_link_options(web_frame_wait PRIVATE -sASYNCIFY -sASYNCIFY_IGNORE_INDIRECT)
