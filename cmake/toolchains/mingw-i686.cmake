# 32-bit Windows (the show's own target), cross-built with mingw-w64.
set(mingw_triple i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
# SSE2 arithmetic: x87's 80-bit intermediates would give another show from the same seed.
# Windows enters callbacks (window and dialog procedures, threads, audio) on a stack aligned to
# 4 bytes: -mstackrealign makes every function that keeps SSE values on the stack align it.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse -mstackrealign")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse -mstackrealign")
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
