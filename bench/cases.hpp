// Seeded inputs shared by the benchmarks, made once before timing.
#ifndef QUBIC_BENCH_CASES_HPP
#define QUBIC_BENCH_CASES_HPP

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
// other, or a complex pair with a tiny imaginary part.
enum class kind { three_real, complex_pair, random_coefficients, near_multiple, sixty_decades };

// 4096 monic-free cubics of one kind, coefficients over several decades;
// coeffs(k) is the coefficient of x^k.  Seeded by the kind.
inline std::vector<coeffs> cubics(kind k) {
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
