// Seeded inputs shared by the benchmarks, made once before timing.
#ifndef QUBIC_BENCH_CASES_HPP
#define QUBIC_BENCH_CASES_HPP

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include <qubic/qubic.hpp>

namespace qubic::bench {

// Kinds of cubics, as in the reference input of the throughput script.
// sixty_decades: each coefficient 10^x, x uniform in [-30, 30], of random
// sign (nothing rescales them: the magnitudes spread over 60 decades).
// near_multiple: roots r, r (1 + e) and either r (1 + e') (near a triple
// root) or an unrelated root, with |e|, |e'| in 1e-7 .. 1e-2: rounding the
// coefficients to float leaves two or three roots within about 2^-12 of each
// other, or a complex pair with a tiny imaginary part.  The classes the
// exact engine once found slow follow (class_cubics below).
enum class kind {
  three_real,
  complex_pair,
  random_coefficients,
  near_multiple,
  sixty_decades,
  reference_mix,       // bench/make-test6.py: 40% three_real, 40% complex_pair, 20% random, its ranges
  quadratic,           // a3 = 0, the others as random_coefficients
  exact_multiple,      // a (x - p 2^j)^2 (x - q 2^j) or a (x - p 2^j)^3, small integers p, q: exact
  zero_coefficients,   // each coefficient 0 with probability 1/2 (a3 too: lower degrees)
  huge_ratio,          // a3 of 1e-45 .. 1e-25, the others of 1e-3 .. 1e30: |a2/a3| up to 2^276
  clustered,           // an exact_multiple cubic with one coefficient moved by a unit or two
};

// The classes beyond the first five kinds (seeded by the kind).
inline std::vector<coeffs> class_cubics(kind k) {
  std::mt19937_64 g(1000 + static_cast<int>(k));
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  std::uniform_real_distribution<double> decade(-3.0, 3.0);
  std::uniform_int_distribution<int> small(-128, 128);
  std::uniform_int_distribution<int> scale(-30, 30);
  std::uniform_int_distribution<int> coin(0, 1);
  auto decades = [&](double lo, double hi) {
    const double m = std::pow(10.0, std::uniform_real_distribution<double>(lo, hi)(g));
    return coin(g) == 1 ? -m : m;
  };
  std::vector<coeffs> out(4096);
  for (coeffs& c : out) {
    double x[4] = {0, 0, 0, 0};  // a3 .. a0
    if (k == kind::reference_mix) {
      const double kd = (unit(g) + 1.0) / 2.0;
      const double a = decades(-2, 2);
      const double s = std::pow(10.0, std::uniform_real_distribution<double>(-2, 3)(g));
      double m[4] = {1, 0, 0, 0};
      if (kd < 0.4) {
        const double r1 = s * unit(g);
        const double r2 = s * unit(g);
        const double r3 = s * unit(g);
        m[1] = -(r1 + r2 + r3);
        m[2] = r1 * r2 + r2 * r3 + r1 * r3;
        m[3] = -(r1 * r2 * r3);
      } else if (kd < 0.8) {
        const double r = s * unit(g);
        const double u = s * unit(g);
        const double v = s * std::uniform_real_distribution<double>(0.01, 1)(g);
        const double q = u * u + v * v;
        m[1] = -(r + 2 * u);
        m[2] = 2 * u * r + q;
        m[3] = -r * q;
      } else {
        for (double& y : m) y = decades(-3, 3);
      }
      for (int i = 0; i < 4; ++i) x[i] = a * m[i];
    } else if (k == kind::quadratic) {
      for (int i = 1; i < 4; ++i) x[i] = unit(g) * std::pow(10.0, decade(g));
    } else if (k == kind::exact_multiple || k == kind::clustered) {
      const double p = small(g);
      const double q = coin(g) == 1 ? small(g) : p;
      const double s = std::ldexp(1.0, scale(g));
      const double a = std::ldexp(1.0, scale(g));
      x[0] = a;
      x[1] = -a * (2 * p + q) * s;
      x[2] = a * (p * p + 2 * p * q) * s * s;
      x[3] = -a * p * p * q * s * s * s;
    } else if (k == kind::zero_coefficients) {
      for (double& y : x) y = coin(g) == 1 ? 0.0 : unit(g) * std::pow(10.0, decade(g));
    } else if (k == kind::huge_ratio) {
      x[0] = decades(-45, -25);
      for (int i = 1; i < 4; ++i) x[i] = decades(-3, 30);
    }
    for (int i = 0; i < 4; ++i) c(3 - i) = static_cast<float>(x[i]);
    if (k == kind::clustered) {  // one coefficient moved by one or two units
      const int at = std::uniform_int_distribution<int>(0, 3)(g);
      const int by = coin(g) == 1 ? 1 + coin(g) : -1 - coin(g);
      std::uint32_t u = std::bit_cast<std::uint32_t>(c(at));
      if (c(at) != 0.0f) c(at) = std::bit_cast<float>(u + static_cast<std::uint32_t>(by));
    }
  }
  return out;
}

// 4096 monic-free cubics of one kind, coefficients over several decades;
// coeffs(k) is the coefficient of x^k.  Seeded by the kind.
inline std::vector<coeffs> cubics(kind k) {
  if (k >= kind::reference_mix) return class_cubics(k);
  std::mt19937_64 g(1000 + static_cast<int>(k));
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  std::uniform_real_distribution<double> decade(-3.0, 3.0);
  std::vector<coeffs> out(4096);
  if (k == kind::sixty_decades) {
    std::uniform_real_distribution<double> wide(-30.0, 30.0);
    for (coeffs& c : out) {
      for (int j = 3; j >= 0; --j) {
        const double m = std::pow(10.0, wide(g));
        c(j) = static_cast<float>(unit(g) < 0 ? -m : m);
      }
    }
    return out;
  }
  for (coeffs& c : out) {
    const double a = std::pow(10.0, decade(g)) * (unit(g) < 0 ? -1.0 : 1.0);
    double b2 = 0;
    double b1 = 0;
    double b0 = 0;
    if (k == kind::three_real) {
      const double r1 = unit(g) * std::pow(10.0, decade(g));
      const double r2 = unit(g) * std::pow(10.0, decade(g));
      const double r3 = unit(g) * std::pow(10.0, decade(g));
      b2 = -(r1 + r2 + r3);
      b1 = r1 * r2 + r2 * r3 + r1 * r3;
      b0 = -(r1 * r2 * r3);
    } else if (k == kind::complex_pair) {
      const double r = unit(g) * std::pow(10.0, decade(g));
      const double u = unit(g) * std::pow(10.0, decade(g));
      const double v = std::pow(10.0, decade(g));
      const double q1 = -2 * u;
      const double q0 = u * u + v * v;
      b2 = q1 - r;
      b1 = q0 - r * q1;
      b0 = -r * q0;
    } else if (k == kind::near_multiple) {
      std::uniform_real_distribution<double> small(-7.0, -2.0);
      const double r1 = unit(g) * std::pow(10.0, decade(g));
      const double r2 = r1 * (1.0 + (unit(g) < 0 ? -1.0 : 1.0) * std::pow(10.0, small(g)));
      const double r3 = unit(g) < 0 ? r1 * (1.0 + (unit(g) < 0 ? -1.0 : 1.0) * std::pow(10.0, small(g)))
                                    : unit(g) * std::pow(10.0, decade(g));
      b2 = -(r1 + r2 + r3);
      b1 = r1 * r2 + r2 * r3 + r1 * r3;
      b0 = -(r1 * r2 * r3);
    } else {
      b2 = unit(g) * std::pow(10.0, decade(g));
      b1 = unit(g) * std::pow(10.0, decade(g));
      b0 = unit(g) * std::pow(10.0, decade(g));
    }
    c(3) = static_cast<float>(a);
    c(2) = static_cast<float>(a * b2);
    c(1) = static_cast<float>(a * b1);
    c(0) = static_cast<float>(a * b0);
  }
  return out;
}

}  // namespace qubic::bench

#endif  // QUBIC_BENCH_CASES_HPP
