# The platform the show is built for, chosen here and only here: sdl2 (Linux desktops) or win32
# (Windows), from the system the build targets.
if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
  set(GLAXEN_PLATFORM win32)
else()
  set(GLAXEN_PLATFORM sdl2)
endif()
message(STATUS "glaxen platform: ${GLAXEN_PLATFORM}")

# Cross-built programs run where the build runs through an emulator: Wine for Windows.
if(GLAXEN_PLATFORM STREQUAL "win32" AND CMAKE_CROSSCOMPILING)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/tools/windows/wine_run.sh)
endif()
