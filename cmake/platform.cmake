# The platform the show is built for, chosen here and only here: sdl2 (Linux desktops), win32
# (Windows) or web (a page, through emscripten), from the system the build targets.
if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
  set(GLAXEN_PLATFORM win32)
elseif(CMAKE_SYSTEM_NAME STREQUAL "Emscripten")
  set(GLAXEN_PLATFORM web)
else()
  set(GLAXEN_PLATFORM sdl2)
endif()
message(STATUS "glaxen platform: ${GLAXEN_PLATFORM}")
if(GLAXEN_PLATFORM STREQUAL "win32")
  enable_language(RC)  # the programs' resources: the start dialog and the icon
elseif(GLAXEN_PLATFORM STREQUAL "web")
  include(cmake/compiler_web.cmake)
endif()

# Cross-built programs run where the build runs through an emulator: Wine for Windows. Their
# tests compare with, and take tools from, a native build of the same sources.
if(CMAKE_CROSSCOMPILING)
  if(GLAXEN_PLATFORM STREQUAL "win32")
    set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/tools/windows/wine_run.sh)
  endif()
  set(GLAXEN_NATIVE_BUILD "" CACHE PATH "A native build of these sources, for the tests")
endif()
