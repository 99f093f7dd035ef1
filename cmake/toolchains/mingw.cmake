# What the two Windows toolchains share: mingw-w64's posix-thread compilers (the plain names
# have no std::thread or std::mutex), its resource compiler, and find rules that look in the
# toolchain's own root and in GLAXEN_LIBRARY_PREFIX (the libraries built from Debian's sources),
# never in the build machine's /usr. Needs: mingw_triple.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${mingw_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${mingw_triple})
if(GLAXEN_LIBRARY_PREFIX)
  list(APPEND CMAKE_FIND_ROOT_PATH ${GLAXEN_LIBRARY_PREFIX})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
