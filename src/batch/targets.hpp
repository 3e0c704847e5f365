// targets: which vector targets the batch path compiles, for every file
// that includes Highway (include this first).
#ifndef QUBIC_BATCH_TARGETS_HPP
#define QUBIC_BATCH_TARGETS_HPP

// The targets compiled: on x86, AVX-512, AVX2 and SSE4 besides the
// baseline (SSSE3 adds little over the baseline here); elsewhere the
// baseline alone.  The choice among them is dispatch's, below, by CPUID:
// Highway's own dispatch lives in its shared library, whose start-up code
// executes an instruction that valgrind cannot run (docs/batch.md).
#if defined(__AVX512F__)
// A build whose baseline already has AVX-512 (-march=native on such a
// processor) has nothing wider to dispatch to; Highway 1.0.3 would also
// refuse a baseline with the AVX-512 extensions of its AVX3_DL target
// unless that target is asked for.  Only the static target is compiled.
#ifndef HWY_COMPILE_ONLY_STATIC
#define HWY_COMPILE_ONLY_STATIC 1
#endif
#elif defined(__x86_64__) || defined(__i386__)
#ifndef HWY_DISABLED_TARGETS
#define HWY_DISABLED_TARGETS HWY_SSSE3
#endif
#else
#ifndef HWY_COMPILE_ONLY_STATIC
#define HWY_COMPILE_ONLY_STATIC 1
#endif
#endif

#endif  // QUBIC_BATCH_TARGETS_HPP
