// Hot loops built twice, for the baseline and for AVX2, with the one this CPU runs best picked
// once at start-up. The same way on every x86 target: GCC's target_clones would pick at load
// time on Linux, but needs ifunc, which Windows lacks. Elsewhere only the plain loop is built.
//
//   DISPATCH_AVX2 void rowAvx2(...) { rowLoop(...); }   // rowLoop: DISPATCH_INLINE
//   void rowPlain(...) { rowLoop(...); }
//   const auto row = pickForCpu(rowAvx2, rowPlain);
#pragma once

#if defined(__i386__) || defined(__x86_64__)
#define DISPATCH_X86 1
#define DISPATCH_AVX2 __attribute__((target("avx2")))
#else
#define DISPATCH_X86 0
#define DISPATCH_AVX2
#endif
// The loop both builds share, inlined into each so that each is compiled for its own target.
#define DISPATCH_INLINE [[gnu::always_inline]] inline

// True when the CPU runs AVX2 code.
inline bool cpuHasAvx2() {
#if DISPATCH_X86
    __builtin_cpu_init();  // may run before main: a static initialiser asks
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

// The AVX2 build where the CPU runs it, the plain one otherwise.
template <typename Function> Function pickForCpu(Function avx2, Function plain) {
    return cpuHasAvx2() ? avx2 : plain;
}
