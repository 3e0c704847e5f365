// read_e16 (with its direct path for the common shapes) against
// std::from_chars<float> on the normalised text, and against read_e16_slow.
//
// The generator builds each field from parts it keeps: sign, integer digits,
// point, fraction digits, exponent form and value, blanks.  From the parts
// alone it writes the plain decimal "digits e scale" (scale = exponent minus
// the fraction digits, or minus 8 without a point), which std::from_chars
// rounds once to the nearest float: that is the expected value.  The field
// itself is what read_e16 sees.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "bits.hpp"
#include "call/e16_read.hpp"
#include "call/e16_read_slow.hpp"
#include "call/e16_write.hpp"

namespace {

using qubic::call::read_e16;
using qubic::call::read_e16_slow;
using qubic::test::sentinel;

// The float nearest to digits * 10^scale, negated when negative; from_chars
// leaves its result unset out of range, which is then an infinity (value at
// least 1) or a zero (value below 1).
float nearest(const std::string& digits, long scale, bool negative) {
  std::size_t lead = 0;
  while (lead < digits.size() && digits[lead] == '0') ++lead;
  if (lead == digits.size()) return negative ? -0.0f : 0.0f;
  const std::string text = digits + "e" + std::to_string(scale);
  float v = sentinel();
  const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  EXPECT_EQ(ptr, text.data() + text.size()) << text;
  if (ec == std::errc::result_out_of_range) {
    const long magnitude = static_cast<long>(digits.size() - lead) + scale;
    v = magnitude > 0 ? std::numeric_limits<float>::infinity() : 0.0f;
  } else {
    EXPECT_EQ(ec, std::errc()) << text;
  }
  return negative ? -v : v;
}

struct made {
  std::string field;
  bool readable;
  float value;  // when readable
};

// One random field of at most 16 characters, readable by construction, with
// its expected value.  Every reading rule is drawn: sign or none; digits with
// a point anywhere or none (implied 8-digit fraction); exponent absent, with
// E e D d and an optional sign, or a bare sign; exponents from 0 to a few
// hundred, with leading zeros; blanks before, after and inside.
made random_field(std::mt19937_64& g) {
  auto pick = [&g](int n) { return static_cast<int>(g() % static_cast<std::uint64_t>(n)); };
  for (;;) {
    const int sign = pick(3);  // none, '+', '-'
    const int ndig = 1 + pick(16);
    std::string digits;
    const bool zeros_first = pick(5) == 0;
    for (int k = 0; k < ndig; ++k) {
      digits += static_cast<char>('0' + ((zeros_first && k < 3) ? 0 : pick(10)));
    }
    const bool point = pick(4) != 0;
    const int at = point ? pick(ndig + 1) : ndig;  // digits before the point
    const int form = pick(7);                      // 0..1 none, 2..5 a letter, 6 a bare sign
    long exponent = 0;
    std::string exp_text;
    if (form >= 2) {
      const int edig = 1 + pick(pick(4) == 0 ? 4 : 2);
      std::string ed;
      for (int k = 0; k < edig; ++k) ed += static_cast<char>('0' + pick(10));
      exponent = std::stol(ed);
      bool eneg = false;
      if (form == 6) {
        eneg = pick(2) == 0;
        exp_text.assign(1, eneg ? '-' : '+');
      } else {
        exp_text = std::string(1, "EeDd"[form - 2]);
        const int es = pick(3);
        if (es == 1) exp_text += '+';
        if (es == 2) {
          exp_text += '-';
          eneg = true;
        }
      }
      exp_text += ed;
      if (eneg) exponent = -exponent;
    }
    std::string body;
    if (sign == 1) body += '+';
    if (sign == 2) body += '-';
    body += digits.substr(0, static_cast<std::size_t>(at));
    if (point) body += '.';
    body += digits.substr(static_cast<std::size_t>(at));
    body += exp_text;
    if (body.size() > 16) continue;
    // Blanks: a few inside (rarely), the rest split before and after.
    std::string field = body;
    if (pick(8) == 0 && field.size() < 16) {
      field.insert(static_cast<std::size_t>(pick(static_cast<int>(field.size()) + 1)), 1, ' ');
    }
    const int room = 16 - static_cast<int>(field.size());
    const int before = room == 0 ? 0 : pick(room + 1);
    const int after = pick(2) == 0 ? room - before : 0;
    field = std::string(static_cast<std::size_t>(before), ' ') + field + std::string(static_cast<std::size_t>(after), ' ');
    const long scale = exponent - (point ? ndig - at : 8);
    return {field, true, nearest(digits, scale, sign == 2)};
  }
}

void expect_reads(const std::string& field, bool readable, float value) {
  float fast = sentinel();
  float slow = sentinel();
  const bool ok_fast = read_e16(field, fast);
  const bool ok_slow = read_e16_slow(field, slow);
  ASSERT_EQ(ok_fast, readable) << '"' << field << '"';
  ASSERT_EQ(ok_slow, readable) << '"' << field << '"';
  if (readable) {
    ASSERT_BITS(fast, value) << '"' << field << '"';
    ASSERT_BITS(slow, value) << '"' << field << '"';
  } else {
    ASSERT_BITS(fast, sentinel()) << '"' << field << '"';
  }
}

// Seed 77, two million fields.
TEST(E16ReadExact, RandomFieldsMatchFromChars) {
  std::mt19937_64 g(77);
  for (int n = 0; n < 2000000; ++n) {
    const made m = random_field(g);
    expect_reads(m.field, m.readable, m.value);
    if (::testing::Test::HasFatalFailure()) return;
  }
}

// Fields in the writer's own layout (write_e16 of random bit patterns, seed
// 79, the non-finite ones skipped), read through the direct path for that
// layout: the expected value is from_chars on the 8 digits and the exponent
// taken from the text.
TEST(E16ReadExact, WriterLayoutMatchesFromChars) {
  std::mt19937 g(79);
  for (int n = 0; n < 1000000; ++n) {
    const float v = qubic::test::from_bits(static_cast<std::uint32_t>(g()));
    if (std::isnan(v) || std::isinf(v)) continue;
    char f[16];
    qubic::call::write_e16(v, f);
    const std::string field(f, 16);
    const long exponent = std::stol(field.substr(13));  // sign and two digits
    expect_reads(field, true, nearest(field.substr(4, 8), exponent - 8, field[1] == '-'));
    if (::testing::Test::HasFatalFailure()) return;
  }
}

// Random byte strings over the field alphabet (seed 78): whatever they are,
// read_e16 accepts exactly what read_e16_slow accepts and gives the same bits.
TEST(E16ReadExact, RandomTextAgreesWithTheGeneralReader) {
  std::mt19937_64 g(78);
  const char alphabet[] = "0123456789012345678901234567890123456789..++--  EeDd \t";
  for (int n = 0; n < 1000000; ++n) {
    std::string field(1 + g() % 17, ' ');
    for (char& c : field) c = alphabet[g() % (sizeof alphabet - 1)];
    float fast = sentinel();
    float slow = sentinel();
    const bool ok_fast = read_e16(field, fast);
    const bool ok_slow = read_e16_slow(field, slow);
    ASSERT_EQ(ok_fast, ok_slow) << '"' << field << '"';
    ASSERT_BITS(fast, slow) << '"' << field << '"';
  }
}

// Decimals that are exactly halfway between two floats, and their nearest
// neighbours in the last digit: the double holding such a value is itself a
// midpoint, so the direct path must step aside.  Expected values from
// from_chars on the same text.
TEST(E16ReadExact, FloatMidpoints) {
  struct mid {
    const char* field;
    const char* plain;
    const char* why;
  };
  const mid cases[] = {
      {"16777217.", "16777217", "2^24 + 1: tie, to the even 2^24"},
      {"16777219.", "16777219", "2^24 + 3: tie, to the even 2^24 + 4"},
      {"16777218.9999999", "16777218.9999999", "just below a midpoint"},
      {"16777219.0000001", "16777219.0000001", "just above a midpoint"},
      {"33554434.", "33554434", "2^25 + 2: tie, to 2^25"},
      {"1677721700000000", "16777217", "no point: 8 implied fraction digits, still a tie"},
      {"0.16777217E+08", "16777217", "the writer's layout of a tie"},
      {"8388608.5", "8388608.5", "2^23 + 0.5: tie, to 2^23"},
      {"8388609.5", "8388609.5", "2^23 + 1.5: tie, to 2^23 + 2"},
      {"-4194304.25", "-4194304.25", "2^22 + 0.25, negative: tie, to -2^22"},
      {"1.00000005960464", "1.00000005960464", "just below the midpoint above 1"},
  };
  for (const mid& c : cases) {
    SCOPED_TRACE(c.why);
    float want = 0.0f;
    const char* pend = c.plain + std::strlen(c.plain);
    ASSERT_EQ(std::from_chars(c.plain, pend, want).ptr, pend);
    expect_reads(c.field, true, want);
  }
}

// The edges of the direct path: 2^53 and 2^53 + 1 as digit strings, scales
// of exactly +-22 and one beyond, four and five exponent digits.
TEST(E16ReadExact, EdgesOfTheDirectPath) {
  struct edge {
    const char* field;
    const char* digits;
    long scale;
    const char* why;
  };
  const edge cases[] = {
      {"9007199254740992", "9007199254740992", -8, "2^53, no point: the largest w taken directly"},
      {"9007199254740993", "9007199254740993", -8, "2^53 + 1: the general way"},
      {"9999999999999999", "9999999999999999", -8, "sixteen nines"},
      {"1.E22", "1", 22, "10^22, the largest exact power"},
      {"1.E23", "1", 23, "10^23: the general way"},
      {"1.E-22", "1", -22, "10^-22"},
      {"1.E-23", "1", -23, "10^-23: the general way"},
      {"1E-14", "1", -22, "no point: scale -14 - 8"},
      {"1.E0038", "1", 38, "four exponent digits with a leading zero"},
      {"1.E00038", "1", 38, "five exponent digits: the general way"},
      {"1E-12345678901", "1", -12345678909, "eleven exponent digits: no int overflow on the way"},
      {"1.E+9999999999", "1", 9999999999, "ten exponent digits: infinity"},
      {"3.4028236E38", "34028236", 31, "just past the largest float's midpoint: infinity"},
      {"1.E-0045", "1", -45, "underflow to the smallest subnormal"},
  };
  for (const edge& c : cases) {
    SCOPED_TRACE(c.why);
    expect_reads(c.field, true, nearest(c.digits, c.scale, false));
  }
}

}  // namespace
