// choose: which of a kernel's compiled vector variants this processor runs,
// for both batch paths (float cubics in src/batch, double cubics in
// src/batch64).  Include it in a kernel's HWY_ONCE section, after
// <hwy/highway.h>: it needs Highway's target constants.
//
// A kernel lists its variants widest first, the static target (the
// compiler's baseline, which always runs) last; pick() returns the first
// that runs, or the forced one.  The processor's features are read with
// CPUID (__builtin_cpu_supports also checks that the operating system saves
// the wide registers), not with Highway's dispatch, which lives in its
// shared library (docs/batch.md section 4).
#ifndef QUBIC_BATCH_CHOOSE_HPP
#define QUBIC_BATCH_CHOOSE_HPP

#include <cstddef>
#include <cstdint>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace qubic::batch {

template <class Fn>
struct variant {
  std::int64_t target;
  Fn run;
};

// Whether this processor runs the instructions of Highway's target t: the
// features of its HWY_TARGET_STR.
inline bool runs(std::int64_t t) {
  if (t == HWY_STATIC_TARGET) return true;
#if defined(__x86_64__) || defined(__i386__)
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  const bool f16c = __get_cpuid(1, &eax, &ebx, &ecx, &edx) != 0 && (ecx & bit_F16C) != 0;
  const bool sse4 = __builtin_cpu_supports("ssse3") && __builtin_cpu_supports("sse4.1") &&
                    __builtin_cpu_supports("sse4.2") && __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("aes");
  const bool avx2 = sse4 && __builtin_cpu_supports("avx") && __builtin_cpu_supports("avx2") &&
                    __builtin_cpu_supports("bmi") && __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("fma") && f16c;
  const bool avx3 = avx2 && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
                    __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512bw");
  if (t == HWY_SSE4) return sse4;
  if (t == HWY_AVX2) return avx2;
  if (t == HWY_AVX3) return avx3;
#endif
  return false;
}

// The variant to use: the widest that runs, or the one forced (0: none).
template <class Fn, std::size_t N>
const variant<Fn>* pick(const variant<Fn> (&variants)[N], std::int64_t forced) {
  for (const variant<Fn>& v : variants) {
    if ((forced == 0 || v.target == forced) && runs(v.target)) return &v;
  }
  return &variants[N - 1];
}

// The targets of the variants that run, widest first.
template <class Fn, std::size_t N>
std::vector<std::int64_t> runnable(const variant<Fn> (&variants)[N]) {
  std::vector<std::int64_t> out;
  for (const variant<Fn>& v : variants) {
    if (runs(v.target)) out.push_back(v.target);
  }
  return out;
}

}  // namespace qubic::batch

#endif  // QUBIC_BATCH_CHOOSE_HPP
