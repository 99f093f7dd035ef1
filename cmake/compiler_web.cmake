# The page's code computes with WebAssembly SIMD: the loops the desktop builds for AVX2
# (common/cpu_dispatch.h) vectorize here too, four pixels a step.
add_compile_options(-msimd128)
