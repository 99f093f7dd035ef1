# The libraries the show, its tests and tools link, each under one name whatever the target:
#   glaxen::kissfft  glaxen::vorbisfile  glaxen::vorbisenc  glaxen::sdl2  glaxen::png
#   glaxen::x11  glaxen::wayland (the Linux desktop's own, beside SDL's use of them)
#   glaxen::deflate (glaxen-render's PNG compressor; Linux only, as glaxen-render is)
# Natively they are the machine's own, found through pkg-config. Cross-built, they are ours:
# built from Debian's sources of the same versions into GLAXEN_LIBRARY_PREFIX
# (tools/libraries/build_libraries.sh), found through their CMake packages.

# glaxen::name stands for the targets that follow it.
function(glaxen_library name)
  add_library(glaxen::${name} INTERFACE IMPORTED GLOBAL)
  set_property(TARGET glaxen::${name} PROPERTY INTERFACE_LINK_LIBRARIES ${ARGN})
endfunction()

if(NOT CMAKE_CROSSCOMPILING)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(KISSFFT REQUIRED IMPORTED_TARGET kissfft-float)
  pkg_check_modules(VORBISFILE REQUIRED IMPORTED_TARGET vorbisfile)
  pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
  pkg_check_modules(PNG REQUIRED IMPORTED_TARGET libpng)
  pkg_check_modules(DEFLATE REQUIRED IMPORTED_TARGET libdeflate)
  glaxen_library(kissfft PkgConfig::KISSFFT)
  glaxen_library(vorbisfile PkgConfig::VORBISFILE)
  glaxen_library(sdl2 PkgConfig::SDL2)
  glaxen_library(png PkgConfig::PNG)
  if(GLAXEN_PLATFORM STREQUAL "sdl2")
    pkg_check_modules(DESKTOP_X11 REQUIRED IMPORTED_TARGET x11)
    pkg_check_modules(DESKTOP_WAYLAND REQUIRED IMPORTED_TARGET wayland-client)
    glaxen_library(x11 PkgConfig::DESKTOP_X11)
    glaxen_library(wayland PkgConfig::DESKTOP_WAYLAND)
  endif()
  glaxen_library(deflate PkgConfig::DEFLATE)
  pkg_check_modules(VORBISENC IMPORTED_TARGET vorbisenc vorbis ogg)  # tests and tools only
  if(VORBISENC_FOUND)
    glaxen_library(vorbisenc PkgConfig::VORBISENC)
  endif()
else()
  if(NOT GLAXEN_LIBRARY_PREFIX)
    message(FATAL_ERROR "cross-building needs GLAXEN_LIBRARY_PREFIX: the libraries built for the "
                        "target (tools/libraries/build_libraries.sh prints it)")
  endif()
  find_package(kissfft CONFIG REQUIRED)
  find_package(Vorbis CONFIG REQUIRED)
  glaxen_library(kissfft kissfft::kissfft-float)
  glaxen_library(vorbisfile Vorbis::vorbisfile)
  glaxen_library(vorbisenc Vorbis::vorbisenc)
  if(NOT GLAXEN_PLATFORM STREQUAL "web")  # a page has its own audio: no SDL2 there
    find_package(SDL2 CONFIG REQUIRED)
    glaxen_library(sdl2 SDL2::SDL2-static)
  endif()
endif()
