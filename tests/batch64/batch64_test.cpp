// The double batch path.  solve_exact_double_batch() against the scalar
// engine, solve_exact_double(), bit for bit: every family of
// tests/exact64/families64.hpp (whose answers exact64_reference_test.cpp
// checks against the rational reference) and three drawn for the lanes (the
// Python benchmark's mix, the same scaled out of the window, roots near
// midpoints), on every vector target this processor runs, and in several
// memory layouts; the lanes must settle most of the mix (equal bits would
// also hold if every cubic went to the scalar engine).  Then the lane
// routines (src/batch64/confirm-inl.hpp), compiled here for the baseline
// target, against exact rational arithmetic: the discriminant's sign, and
// the parts a real root's expansion or the pair's enclosure confirm from
// guesses up to 2^-28 off (where a bound missing a term would confirm a
// wrong neighbour) against the rational reference, and the pair's disk
// where its radius is within a few percent of three times the distance.
#include "batch/targets.hpp"  // before any Highway header

#include <hwy/highway.h>

#include <qubic/batch.hpp>
#include <qubic/exact.hpp>

#include <array>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include <gmpxx.h>
#include <gtest/gtest.h>

#include "batch/answers.hpp"
#include "batch64/block64.hpp"
#include "batch64/confirm-inl.hpp"
#include "exact/reference.hpp"
#include "exact64/families64.hpp"

namespace qubic {
namespace {

using test64::bits;
using test64::cubic;
using test64::rng;

// Inside the window: roots of 10^-2 .. 10^3 times a3 of 10^-2 .. 10^2, as the
// Python benchmark draws them (40% three real roots, 40% a real root and a
// pair, 20% four coefficients of 10^-3 .. 10^3).
cubic decades_mix(rng& g) {
  const double s = std::pow(10.0, test64::uniform(g, -2, 3)), a3 = test64::sign(g) * std::pow(10.0, test64::uniform(g, -2, 2));
  const double r0 = s * test64::uniform(g, -1, 1), r1 = s * test64::uniform(g, -1, 1), r2 = s * test64::uniform(g, -1, 1);
  const double v = s * test64::uniform(g, 0.01, 1);
  switch (test64::integer(g, 0, 4)) {
    case 0:
    case 1: return test64::from_reals(a3, r0, r1, r2);
    case 2:
    case 3: return test64::from_pair(a3, r0, r1, v);
    default: return test64::four(g, [](rng& h) { return test64::sign(h) * std::pow(10.0, test64::uniform(h, -3, 3)); });
  }
}

// near_midpoint's cubics (a root within 2^-62 of a spacing from a midpoint)
// placed inside the window: coefficients of at most 2^54 scaled by 2^(k + nj).
cubic midpoint_in_window(rng& g) {
  const std::int64_t k0 = 2 * test64::integer(g, 0, (std::int64_t{1} << 52) - 1) + 1 + (std::int64_t{1} << 53);
  const int e1 = test64::sign(g), e2 = test64::sign(g);
  const std::int64_t e3 = 2 * test64::integer(g, 0, (std::int64_t{1} << 44) - 1) + 1;
  const test64::integers c{1, -(k0 - e1), -e1 * (k0 - e2), -e1 * e2 * (k0 - e3)};
  return test64::place(g, c, -15, 10, -10, 10);
}

// decades_mix as 2^k p(x / 2^j): roots 2^j times as large, |j| <= 200, and
// |k| <= 300: mostly outside the window, which the lanes' scaling undoes.
cubic scaled_mix(rng& g) {
  const cubic c = decades_mix(g);
  const auto j = static_cast<int>(test64::integer(g, -200, 200)), k = static_cast<int>(test64::integer(g, -300, 300));
  return {std::ldexp(c[0], k - 3 * j), std::ldexp(c[1], k - 2 * j), std::ldexp(c[2], k - j), std::ldexp(c[3], k)};
}

const test64::family window_families[] = {
    {"decades mix", 3000, decades_mix},
    {"decades mix scaled", 2000, scaled_mix},
    {"a root near a midpoint, in the window", 400, midpoint_in_window},
};

using answers = test::batch_answers<double>;

answers solve_all(const double* first, std::size_t n, std::ptrdiff_t row, std::ptrdiff_t col) {
  answers a(n);
  solve_exact_double_batch({first, n, row, col}, a.roots.data(), a.flags.data(), a.solved_data());
  return a;
}

// "" when cubic i of the batch answers as the scalar engine does; else both
// answers.
std::string departure(const answers& a, std::size_t i, const cubic& c) {
  const solution_double s = solve_exact_double(c[0], c[1], c[2], c[3]);
  bool same = a.solved[i] == static_cast<char>(s.solved());
  for (int k = 0; k < 3; ++k) {
    const std::complex<double> r = a.roots[3 * i + k];
    same = same && a.flags[3 * i + k] == s.flag[k] && bits(r.real()) == bits(s.root[k].real()) &&
           bits(r.imag()) == bits(s.root[k].imag());
  }
  if (same) return "";
  char buf[400];
  std::snprintf(buf, sizeof buf, "cubic %zu: %a %a %a %a\n  batch  %a %a %a flags %d %d %d\n  scalar %a %a %a flags %d %d %d", i,
                c[0], c[1], c[2], c[3], a.roots[3 * i].real(), a.roots[3 * i + 1].real(), a.roots[3 * i + 1].imag(),
                a.flags[3 * i], a.flags[3 * i + 1], a.flags[3 * i + 2], s.root[0].real(), s.root[1].real(),
                s.root[1].imag(), s.flag[0], s.flag[1], s.flag[2]);
  return buf;
}

std::vector<cubic> draw(const test64::family& fam, rng g) {
  std::vector<cubic> out;
  for (int i = 0; i < fam.count; ++i) out.push_back(fam.make(g));
  return out;
}

// The batch against the scalar engine on every target; and where `settled`,
// the lanes settle at least 95% of the cubics, a quarter or more as three
// real roots and as many as a real root and a pair.
void expect_scalar_bits(const test64::family& fam, rng g, bool settled) {
  const std::vector<cubic> cubics = draw(fam, g);
  const std::size_t n = cubics.size();
  for (const std::int64_t target : batch64::targets()) {
    SCOPED_TRACE(std::string(fam.name) + ", target " + hwy::TargetName(target));
    batch64::force_target(target);
    batch64::stats() = {};
    const answers a = solve_all(cubics.data()->data(), n, 4, 1);
    const batch64::counters st = batch64::stats();
    int failures = 0;
    for (std::size_t i = 0; i < n && failures < 5; ++i) {
      if (const std::string d = departure(a, i, cubics[i]); !d.empty()) {
        ++failures;
        ADD_FAILURE() << d;
      }
    }
    EXPECT_TRUE(a.tail_untouched(n));
    EXPECT_EQ(st.cubics, n);
    if (!settled) continue;
    EXPECT_GE(static_cast<double>(st.three + st.one), 0.95 * static_cast<double>(n));
    EXPECT_GT(st.three, n / 4);
    EXPECT_GT(st.one, n / 4);
  }
  batch64::force_target(0);
}

TEST(Batch64, FamiliesMatchTheScalarEngine) {
  for (std::size_t k = 0; k < std::size(test64::families); ++k) expect_scalar_bits(test64::families[k], test64::family_rng(k), false);
  for (std::size_t k = 0; k < std::size(window_families); ++k) expect_scalar_bits(window_families[k], rng(0xba7c6400u + k), k < 2);
}

// x^3 + 3 and (x - 1)(x - 2)(x - 3): -3^(1/3) and 3^(1/3) (1 +- i sqrt 3) / 2
// rounded (400-bit mpmath), then 1, 2, 3.
TEST(Batch64, WorkedExample) {
  const double c[8] = {1, 0, 0, 3, 1, -6, 11, -6};
  std::complex<double> r[6];
  std::int32_t f[6];
  bool ok[2];
  solve_exact_double_batch(c, r, f, ok);
  const std::complex<double> want[6] = {{-0x1.7137449123ef6p+0, 0}, {0x1.7137449123ef6p-1, 0x1.3fc0164bf0b56p+0},
                                        {0x1.7137449123ef6p-1, -0x1.3fc0164bf0b56p+0}, {1, 0}, {2, 0}, {3, 0}};
  for (int k = 0; k < 6; ++k) {
    EXPECT_EQ(r[k], want[k]) << k;
    EXPECT_EQ(f[k], 1);
  }
  EXPECT_TRUE(ok[0] && ok[1]);
}

// Strides: padded rows and reversed columns, lengths across the block of
// 256; the span form's size check.
TEST(Batch64, Layouts) {
  rng g(11);
  std::vector<cubic> c;
  for (int i = 0; i < 257; ++i) c.push_back(i % 7 == 0 ? test64::families[10].make(g) : decades_mix(g));
  for (const std::size_t n : {0, 1, 257}) {
    std::vector<double> padded(7 * n + 4);
    for (std::size_t i = 0; i < n; ++i)
      for (int j = 0; j < 4; ++j) padded[7 * i + j] = c[i][j];
    const answers rows = solve_all(padded.data(), n, 7, 1);
    const answers reversed = solve_all(c.data()->data() + 3, n, 4, -1);  // the constant first: cubic i reversed
    int failures = 0;
    for (std::size_t i = 0; i < n && failures < 3; ++i) {
      const cubic rc{c[i][3], c[i][2], c[i][1], c[i][0]};
      const std::string d = departure(rows, i, c[i]) + departure(reversed, i, rc);
      if (!d.empty()) ++failures;
      EXPECT_EQ(d, "") << "n = " << n;
    }
    EXPECT_TRUE(rows.tail_untouched(n) && reversed.tail_untouched(n));
  }
  std::vector<double> k(8, 1.0);
  std::vector<std::complex<double>> r(6);
  std::vector<std::int32_t> f(6);
  EXPECT_THROW(solve_exact_double_batch(std::span<const double>(k.data(), 7), r, f), std::invalid_argument);
  EXPECT_NO_THROW(solve_exact_double_batch(k, r, f));
}

}  // namespace

// ---------------------------------------------------------------------------
// The lane routines, baseline target, against exact arithmetic.
namespace batch::HWY_NAMESPACE {
namespace {

double lane(V v) { return hn::GetLane(v); }
V all(double x) { return hn::Set(D(), x); }
int sign_lane(const sign& s) { return hn::AllFalse(D(), s.pos) ? (hn::AllFalse(D(), s.neg) ? 0 : -1) : 1; }
bool yes(M m) { return !hn::AllFalse(D(), m); }

TEST(Batch64Lanes, WorkedExamples) {
  // (x - 1)(x - 2)(x - 3) from 2 + 2^-40: 2, with p(2 - 2^-53) > 0 and
  // p(2 + 2^-52) < 0 (p'(2) = -1).
  M ok;
  const V x = refine_real(all(1), all(-6), all(11), all(-6), all(2 + 0x1p-40), ok);
  EXPECT_EQ(lane(x), 2.0);
  EXPECT_TRUE(yes(ok));
  const expansion e = expand(all(1), all(-6), all(11), all(-6), all(2.0));
  EXPECT_EQ(sign_lane(sign_at(all(1), e, all(-0x1p-53), all(0.5))), 1);
  EXPECT_EQ(sign_lane(sign_at(all(1), e, all(0x1p-52), all(0.5))), -1);
  // A lane outside the window's points confirms nothing.
  refine_real(all(1), all(-0x1p-920), all(0), all(0), all(0x1p-920), ok);
  EXPECT_FALSE(yes(ok));
}

// sign(disc) of the exact coefficients, by rational arithmetic.
int exact_disc_sign(const cubic& c) {
  const mpq_class a(c[0]), b(c[1]), cc(c[2]), d(c[3]);
  const mpq_class v = 18 * a * b * cc * d - 4 * b * b * b * d + b * b * cc * cc - 4 * a * cc * cc * cc - 27 * a * a * d * d;
  return sgn(v);
}

// Every sign the discriminant's filter reports is the exact sign, over the
// window (the decades mix; exact multiple roots, disc = 0, which it must
// leave open; and those moved by a unit in one coefficient, disc tiny).
TEST(Batch64Lanes, DiscriminantSignIsExact) {
  rng g(3);
  int decided = 0;
  for (int i = 0; i < 3000; ++i) {
    cubic c = i % 3 == 0 ? decades_mix(g) : test64::place(g, test64::multiple_integers(g), -8, 8, -8, 8);
    if (i % 3 == 2) c[static_cast<std::size_t>(test64::integer(g, 0, 3))] *= 1 + std::ldexp(1, -static_cast<int>(test64::integer(g, 36, 52)));
    const int got = sign_lane(disc64(all(c[0]), all(c[1]), all(c[2]), all(c[3])));
    if (got != 0) {
      ++decided;
      EXPECT_EQ(got, exact_disc_sign(c)) << c[0] << " " << c[1] << " " << c[2] << " " << c[3];
    }
  }
  EXPECT_GT(decided, 1200);
}

// The parts the lanes confirm from guesses `off` (relative) away from the
// correctly rounded roots of the rational reference are those roots.
TEST(Batch64Lanes, ConfirmedPartsAreTheReferences) {
  rng g(5);
  int real_confirmed = 0, pair_confirmed = 0, far_confirmed = 0;
  for (int i = 0; i < 600; ++i) {
    const cubic c = i % 3 == 0 ? midpoint_in_window(g) : decades_mix(g);
    if (c[0] == 0 || c[3] == 0) continue;
    const solution_double ref = test::reference_double(c[0], c[1], c[2], c[3]);
    if (!ref.solved()) continue;
    const V a = all(c[0]), b = all(c[1]), cc = all(c[2]), d = all(c[3]);
    const bool pair = ref.root[1].imag() != 0;
    for (const double off : {0.0, 0x1p-50, -0x1p-40, 0x1p-33, -0x1p-31, 0x1p-30, -0x1p-29, 0x1p-28}) {
      for (int k = 0; k < (pair ? 1 : 3); ++k) {
        M ok;
        const double x = lane(refine_real(a, b, cc, d, all(ref.root[k].real() * (1 + off)), ok));
        if (!yes(ok)) continue;
        ++real_confirmed;
        EXPECT_EQ(bits(x), bits(ref.root[k].real())) << c[0] << " " << c[1] << " " << c[2] << " " << c[3] << " off " << off;
      }
      if (!pair) continue;
      V X, Y;
      M ok;
      const double u = ref.root[1].real(), v = ref.root[1].imag();
      enclose(a, b, cc, d, all(u * (1 + off) + v * off), all(v * (1 - off)), X, Y, ok);
      if (!yes(ok)) continue;
      ++pair_confirmed;
      far_confirmed += std::fabs(off) >= 0x1p-30 ? 1 : 0;
      EXPECT_TRUE(bits(lane(X)) == bits(u) && bits(lane(Y)) == bits(v))
          << c[0] << " " << c[1] << " " << c[2] << " " << c[3] << " off " << off;
    }
  }
  EXPECT_GT(real_confirmed, 2000);
  EXPECT_GT(pair_confirmed, 600);
  EXPECT_GT(far_confirmed, 0);
}

// The disk's factor 3 against a root nearly |F(W1)| / |F'(W1)| from W1:
// x^3 + c x + d with roots -2u and u +- iv, v = 2^-10 .. 2^-6 u.  There b = 0
// and W0 is nearly real, so the bounds are tight (M2 = 3 |a| w against
// |F''(W0)/2| = 3 |a| |W0|, and F'(W0) = 2iv (3u + iv) nearly real, its
// larger part nearly its modulus): Fup / L is within a few percent of that
// distance.  Guesses W* + eps, eps real and 2^-28 .. 2^-25.5 v, leave W1
// about eps^2 / (2v) below W*, up to a few half gaps of Y: a radius short of
// the distance (3 Fup / L cut by 3.1 or more) lets Y's cell miss v.
TEST(Batch64Lanes, PairDiskAgainstItsDistance) {
  rng g(9);
  int decided = 0;
  for (int i = 0; i < 300; ++i) {
    const double u = test64::sign(g) * std::ldexp(test64::uniform(g, 1, 2), static_cast<int>(test64::integer(g, -20, 20)));
    const double v = std::fabs(u) * std::ldexp(test64::uniform(g, 1, 2), static_cast<int>(test64::integer(g, -10, -7)));
    const cubic c{1, 0, v * v - 3 * u * u, 2 * u * (u * u + v * v)};
    const solution_double ref = test::reference_double(c[0], c[1], c[2], c[3]);
    const double ur = ref.root[1].real(), vr = ref.root[1].imag();
    ASSERT_TRUE(ref.solved() && vr > 0) << c[2] << " " << c[3];
    for (int k = 0; k <= 40; ++k) {
      V X, Y;
      M ok;
      const double eps = (k % 2 ? -vr : vr) * std::exp2(-28 + (k / 2) / 8.0);
      enclose(all(1), all(0), all(c[2]), all(c[3]), all(ur + eps), all(vr), X, Y, ok);
      if (!yes(ok)) continue;
      ++decided;
      EXPECT_TRUE(bits(lane(X)) == bits(ur) && bits(lane(Y)) == bits(vr)) << c[2] << " " << c[3] << " eps " << eps;
    }
  }
  EXPECT_GT(decided, 1500);
}

}  // namespace
}  // namespace batch::HWY_NAMESPACE
}  // namespace qubic
