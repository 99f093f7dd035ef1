// DISPATCH_AVX2: builds a hot loop twice, for the x86-64 baseline and for AVX2, and lets the
// loader pick the one the CPU runs best. Elsewhere it expands to nothing.
#pragma once

#if defined(__x86_64__) && defined(__has_attribute)
#if __has_attribute(target_clones)
#define DISPATCH_AVX2 __attribute__((target_clones("avx2", "default")))
#endif
#endif
#ifndef DISPATCH_AVX2
#define DISPATCH_AVX2
#endif
