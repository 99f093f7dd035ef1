# The page's code computes with WebAssembly SIMD. The loops the desktop builds for AVX2
# (common/cpu_dispatch.h) vectorize here too, but for the feedback filter's row: LLVM sinks its
# neighbours' loads into the branch that uses them, and WebAssembly has no masked loads to
# vectorize that with. Without the sinking, the row is four pixels a step.
add_compile_options(-msimd128)
set_source_files_properties(${PROJECT_SOURCE_DIR}/effect/feedback_filters.cpp
  DIRECTORY ${PROJECT_SOURCE_DIR} PROPERTIES COMPILE_OPTIONS "-mllvm;-instcombine-code-sinking=0")
