# 64-bit Windows, cross-built with mingw-w64 (SSE2 and a 16-byte aligned stack are its ABI).
set(mingw_triple x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
