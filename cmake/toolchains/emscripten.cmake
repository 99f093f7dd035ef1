# The browser: WebAssembly through Debian's emscripten. Finds libraries only in
# GLAXEN_LIBRARY_PREFIX (built from Debian's sources) and emscripten's own system root.
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)
if(GLAXEN_LIBRARY_PREFIX)
  list(APPEND CMAKE_FIND_ROOT_PATH ${GLAXEN_LIBRARY_PREFIX})
endif()
