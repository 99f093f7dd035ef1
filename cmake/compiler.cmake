# Warnings and sanitizers, set for the compiler that builds: GCC and Clang, natively or for
# Windows (mingw-w64 has no sanitizer runtimes). Windows programs link statically: they need no
# DLL beyond Windows' own.
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  add_compile_options(-Wall -Wextra -Wpedantic -Wshadow)
  if(GLAXEN_WERROR)
    add_compile_options(-Werror)
  endif()
endif()

if(GLAXEN_SANITIZE)
  if(WIN32 OR NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    message(FATAL_ERROR "GLAXEN_SANITIZE needs GCC or Clang building for Linux")
  endif()
  # float-cast-overflow is named: GCC's -fsanitize=undefined leaves it out.
  set(sanitizers -fsanitize=address,undefined,float-cast-overflow -fno-sanitize-recover=all
                 -fno-omit-frame-pointer)
  add_compile_options(${sanitizers} -O1)
  add_link_options(${sanitizers})
endif()

if(WIN32)
  add_link_options(-static)
endif()
