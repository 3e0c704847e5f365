// read_e16: the field rules, one phenomenon per table, expectations as bits.
//
// Expected values come from the reading rules and from glibc's strtof (an
// independent, correctly rounding conversion), never from read_e16 itself.
#include "call/e16_read.hpp"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "bits.hpp"

namespace {

using qubic::call::read_e16;
using qubic::test::from_bits;
using qubic::test::sentinel;
using qubic::test::sentinel_bits;

struct read_case {
  std::string_view field;
  std::uint32_t bits;
  const char* why;
};

void check_reads(const read_case* cases, std::size_t n) {
  for (std::size_t k = 0; k < n; ++k) {
    const read_case& c = cases[k];
    SCOPED_TRACE(std::string("field \"") + std::string(c.field) + "\": " + c.why);
    float x = sentinel();
    ASSERT_TRUE(read_e16(c.field, x));
    EXPECT_BITS(x, from_bits(c.bits));
  }
}

template <std::size_t N>
void check_reads(const read_case (&cases)[N]) {
  check_reads(cases, N);
}

TEST(E16Read, LayoutAndSigns) {
  const read_case cases[] = {
      {"  0.10000000E+01", 0x3F800000, "the writer's own layout of 1"},
      {" -0.60000000E+01", 0xC0C00000, "the writer's own layout of -6"},
      {"  0.11000000E+02", 0x41300000, "11 with a positive exponent"},
      {"1.0             ", 0x3F800000, "left-justified with a point"},
      {"+1.5", 0x3FC00000, "explicit plus sign"},
      {"-1.5", 0xBFC00000, "minus sign"},
      {".5", 0x3F000000, "no digit before the point"},
      {"5.", 0x40A00000, "no digit after the point"},
      {"0.1", 0x3DCCCCCD, "nearest float to 0.1 (strtof)"},
      {"1.23456789", 0x3F9E0652, "nine digits round once to nearest (strtof)"},
  };
  check_reads(cases);
}

TEST(E16Read, BlanksAreIgnored) {
  const read_case cases[] = {
      {"                ", 0x00000000, "an all-blank field is +0"},
      {"", 0x00000000, "an empty field is all blank"},
      {"1 2.5", 0x41480000, "a blank between digits"},
      {" 1 . 5 E 1      ", 0x41700000, "blanks around point and exponent: 15"},
      {" - 1.5", 0xBFC00000, "a blank after the sign"},
      {"1.0 +5", 0x47C35000, "a blank before a sign-only exponent"},
      {"1.5E - 2", 0x3C75C28F, "a blank inside the exponent: 0.015 (strtof)"},
  };
  check_reads(cases);
}

TEST(E16Read, NoPointMeansEightFractionDigits) {
  const read_case cases[] = {
      {"       100000000", 0x3F800000, "100000000 / 10^8 = 1"},
      {"1", 0x322BCC77, "1 / 10^8: the float nearest to 1e-8 (strtof)"},
      {"       123456789", 0x3F9E0652, "1.23456789 (strtof)"},
      {"12345678", 0x3DFCD6E9, "eight digits are all fraction: 0.12345678 (strtof)"},
      {"0000000000000001", 0x322BCC77, "sixteen digits, leading zeros: 1e-8 (strtof)"},
      {"1234567890123456", 0x4B3C614F, "sixteen digits: 12345678.90123456 (strtof)"},
      {"1e39", 0x72FC6F7C, "no point: 1 / 10^8 * 10^39 = 1e31, finite (strtof)"},
      {"1E2", 0x358637BD, "the exponent scales the implied fraction: 1e-6 (strtof)"},
      {"-150000000", 0xBFC00000, "signed, no point: -1.5"},
      {"0", 0x00000000, "a lone zero"},
      {"-0", 0x80000000, "minus zero keeps its sign"},
  };
  check_reads(cases);
}

TEST(E16Read, ExponentForms) {
  const read_case cases[] = {
      {"1.5E2", 0x43160000, "E: 150"},
      {"1.5e2", 0x43160000, "e: 150"},
      {"1.5D2", 0x43160000, "D: 150"},
      {"1.5d+2", 0x43160000, "d with plus: 150"},
      {"1.5D-2", 0x3C75C28F, "D with minus: 0.015 (strtof)"},
      {"1.0+5", 0x47C35000, "sign-only exponent: 100000"},
      {"1.0-5", 0x3727C5AC, "sign-only negative exponent: 1e-5 (strtof)"},
      {"-1.5+2", 0xC3160000, "signed mantissa and sign-only exponent"},
      {"1.5E002", 0x43160000, "leading zeros in the exponent"},
      {"0.0E+99999999999", 0x00000000, "zero digits with a huge exponent stay zero"},
      {"0e999999999999", 0x00000000, "implied fraction, zero digits, huge exponent"},
      {"-0.0E+00", 0x80000000, "negative zero with an exponent"},
  };
  check_reads(cases);
}

TEST(E16Read, RoundingTiesToEven) {
  // Above 2^24 the floats are 2 apart: odd integers are exact ties.
  const read_case cases[] = {
      {"16777216.", 0x4B800000, "2^24 exact"},
      {"16777217.", 0x4B800000, "tie between 2^24 and 2^24+2: even mantissa below"},
      {"16777218.", 0x4B800001, "2^24+2 exact"},
      {"16777219.", 0x4B800002, "tie between 2^24+2 and 2^24+4: even mantissa above"},
      {"-16777217.", 0xCB800000, "negative tie rounds to even too"},
      {"1677721700000000", 0x4B800000, "the same tie written without a point"},
  };
  check_reads(cases);
}

TEST(E16Read, OverflowGivesInfinity) {
  const read_case cases[] = {
      {"3.4028235e38", 0x7F7FFFFF, "flmax written to 8 digits"},
      {"3.40282356e38", 0x7F7FFFFF, "just below the midpoint flmax..2^128"},
      {"3.40282357e38", 0x7F800000, "just above the midpoint: infinity"},
      {"-3.40282357e38", 0xFF800000, "negative overflow"},
      {"1e47", 0x7F800000, "no point: 1 / 10^8 * 10^47 = 1e39 overflows"},
      {"1.0e39", 0x7F800000, "1e39 overflows"},
      {"1.0E+999999999", 0x7F800000, "a huge exponent"},
      {"1e999999999999", 0x7F800000, "a longer exponent than any int holds"},
      {"-1e999999999999", 0xFF800000, "the same, negative"},
  };
  check_reads(cases);
}

TEST(E16Read, UnderflowGivesSubnormalOrZero) {
  // The smallest subnormal is 2^-149 = 1.40129846e-45; half of it,
  // 7.00649232e-46, is the boundary between it and zero.
  const read_case cases[] = {
      {"1.4e-45", 0x00000001, "nearest is the smallest subnormal"},
      {"7.01e-46", 0x00000001, "above half the smallest subnormal"},
      {"7.006493e-46", 0x00000001, "just above the half (strtof)"},
      {"7.006492e-46", 0x00000000, "just below the half: +0"},
      {"7.0e-46", 0x00000000, "below the half: +0"},
      {"-7.0e-46", 0x80000000, "below the half, negative: -0"},
      {"1.0e-40", 0x000116C2, "a subnormal, correctly rounded (strtof)"},
      {"1.0E-38", 0x006CE3EE, "below flmin: subnormal (strtof)"},
      {"1.17549435E-38", 0x00800000, "flmin"},
      {"1.0e-50", 0x00000000, "far below: +0"},
      {"-1.0e-50", 0x80000000, "far below, negative: -0"},
      {"1e-40", 0x00000000, "no point: 1e-48 underflows to +0"},
      {"1e-999999999999", 0x00000000, "a huge negative exponent"},
      {"-1.0e-9999999999", 0x80000000, "a huge negative exponent, negative"},
  };
  check_reads(cases);
}

TEST(E16Read, InfinityAndNanSpellings) {
  const read_case cases[] = {
      {"inf", 0x7F800000, "lower case"},
      {"INF", 0x7F800000, "upper case"},
      {"+Inf", 0x7F800000, "signed, mixed case"},
      {"-inf", 0xFF800000, "negative"},
      {"       Infinity", 0x7F800000, "the writer's spelling"},
      {"      -Infinity", 0xFF800000, "the writer's negative spelling"},
      {"iNfInItY", 0x7F800000, "any case"},
      {"i n f", 0x7F800000, "blanks are ignored here too"},
      {"nan", 0x7FC00000, "quiet NaN"},
      {"             NaN", 0x7FC00000, "the writer's spelling"},
      {"-NAN", 0xFFC00000, "negative quiet NaN"},
  };
  check_reads(cases);
}

TEST(E16Read, UnreadableFieldsLeaveTheValue) {
  using namespace std::string_view_literals;
  const struct {
    std::string_view field;
    const char* why;
  } cases[] = {
      {"1.2.3", "two points"},
      {"abc", "letters"},
      {"1e", "exponent letter without digits"},
      {"1e+", "exponent sign without digits"},
      {"1.0+", "sign-only exponent without digits"},
      {"--1", "two signs"},
      {"+-1", "two different signs"},
      {".", "a point without digits"},
      {"+", "a sign alone"},
      {"-.", "a sign and a point"},
      {"E5", "an exponent without mantissa"},
      {"1.5E5.0", "a point in the exponent"},
      {"1.0E+-5", "two exponent signs"},
      {"1.0++5", "two signs for a sign-only exponent"},
      {"1e5e5", "two exponents"},
      {"1,5", "a comma"},
      {"1\t5", "a tab: its column width is unknown"},
      {"1\x00" "5"sv, "a NUL byte"},
      {"\xff", "a byte outside ASCII"},
      {"1\r", "a carriage return inside the field"},
      {"0x1p3", "hexadecimal"},
      {"infx", "more than infinity"},
      {"in", "less than inf"},
      {"infinit", "between inf and infinity"},
      {"nanq", "more than nan"},
      {"nan(1)", "a NaN payload"},
      {"1.0 E+5 x", "trailing garbage"},
      {"00000000000000001", "seventeen characters: wider than a field"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    float x = sentinel();
    EXPECT_FALSE(read_e16(c.field, x));
    EXPECT_BITS(x, from_bits(sentinel_bits));
  }
}

// Round trip: every finite float, written with 9 significant digits or in its
// shortest form, reads back to itself in every shape the field allows.
// Floats are drawn as uniform random bit patterns (seed 1601), so all
// exponents, subnormals and both signs occur.
TEST(E16Read, RandomFloatsReadBackInEveryShape) {
  std::mt19937 gen(1601);
  for (int n = 0; n < 100000; ++n) {
    const std::uint32_t u = static_cast<std::uint32_t>(gen());
    const float x = from_bits(u);
    if (!(x == x) || x - x != 0.0f) continue;  // NaN or infinity

    // d.dddddddde[+-]XX: nine significant digits always round-trip a float.
    char sci[32];
    const int len = std::snprintf(sci, sizeof sci, "%.8e", static_cast<double>(x));
    const std::string s(sci, static_cast<std::size_t>(len));
    const std::size_t e = s.find('e');
    const std::string mant = s.substr(0, e);    // "-d.dddddddd"
    const std::string expo = s.substr(e + 1);   // "+XX" or "-XX"
    std::string digits;                          // "ddddddddd"
    for (char c : mant) {
      if (c >= '0' && c <= '9') digits += c;
    }
    const std::string sign = x < 0.0f || (x == 0.0f && std::signbit(x)) ? "-" : "";

    // %.9g, fixed or scientific; a point is added where it has none, since a
    // field without a point would take its last 8 digits as the fraction.
    char g[32];
    std::snprintf(g, sizeof g, "%.9g", static_cast<double>(x));
    std::string shortest(g);
    if (shortest.find('.') == std::string::npos) {
      const std::size_t at = shortest.find('e');
      shortest.insert(at == std::string::npos ? shortest.size() : at, 1, '.');
    }

    const std::string shapes[] = {
        s,                                    // -d.dddddddde-XX
        mant + "E" + expo,                    // upper-case E
        mant + "D" + expo,                    // D exponent
        mant + "d" + expo,                    // lower-case d
        mant + expo,                          // sign-only exponent
        sign + digits + "E" + expo,           // no point: 9 digits, value D*10^-8*10^XX
        sign + digits + expo,                 // no point, sign-only exponent
        shortest,                             // %.9g with a point
    };
    for (const std::string& shape : shapes) {
      ASSERT_LE(shape.size(), 16u) << shape;
      float y = sentinel();
      ASSERT_TRUE(read_e16(shape, y)) << shape;
      ASSERT_BITS(y, x) << shape;
      // The same shape with one blank slipped in, where the field has room.
      if (shape.size() < 16) {
        std::string blanked = shape;
        blanked.insert(gen() % (shape.size() + 1), 1, ' ');
        float z = sentinel();
        ASSERT_TRUE(read_e16(blanked, z)) << blanked;
        ASSERT_BITS(z, x) << blanked;
      }
    }
  }
}

// Random decimals, rounded by glibc's strtof as the oracle.  Digit strings of
// 1 to 14 digits (seed 2718), a point at a random place or none, and an
// exponent from -70 to +55, so that overflow, subnormals and underflow to zero
// all occur; fields wider than 16 columns are skipped.  The oracle's input is the plain decimal the field denotes.
TEST(E16Read, RandomDecimalsRoundLikeStrtof) {
  std::mt19937 gen(2718);
  for (int n = 0; n < 100000; ++n) {
    const bool negative = gen() % 2 == 0;
    const int nd = 1 + static_cast<int>(gen() % 14);
    std::string digits;
    for (int k = 0; k < nd; ++k) digits += static_cast<char>('0' + gen() % 10);
    const int point = static_cast<int>(gen() % (nd + 2)) - 1;  // -1: no point
    const int expo = static_cast<int>(gen() % 126) - 70;

    std::string field = negative ? "-" : "";
    int scale = expo;  // value = digits * 10^scale
    if (point < 0) {
      field += digits;
      scale -= 8;
    } else {
      field += digits.substr(0, static_cast<std::size_t>(point));
      field += '.';
      field += digits.substr(static_cast<std::size_t>(point));
      scale -= nd - point;
    }
    field += gen() % 2 ? 'E' : 'D';
    field += std::to_string(expo);
    if (field.size() > 16) continue;

    std::string plain = negative ? "-" : "";
    plain += digits;
    plain += 'e';
    plain += std::to_string(scale);
    const float expected = std::strtof(plain.c_str(), nullptr);
    float y = sentinel();
    ASSERT_TRUE(read_e16(field, y)) << field;
    ASSERT_BITS(y, expected) << field << " vs " << plain;
  }
}

}  // namespace
