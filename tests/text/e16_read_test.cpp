// read_e16 (with its direct path for the common shapes) and read_e16_slow
// (the general reader) against correctly rounded conversions.
//
// Named fields carry bits worked out from the reading rules and rounded by
// glibc's strtof.  The random fields are built from parts the generator
// keeps: sign, digits, point, exponent.  From the parts alone it writes the
// plain decimal "digits e scale" (scale = exponent minus the fraction digits,
// or minus 8 without a point), which std::from_chars rounds once to the
// nearest float: that is the expected value.  The field is what the readers see.
#include "text/e16_read.hpp"

#include <cmath>
#include <limits>

#include "text/e16_read_slow.hpp"
#include "text/e16_write.hpp"
#include "text/oracle.hpp"

namespace qubic::call {
namespace {

using namespace qubic::test;

// Expected of a refused field: the output keeps the caller's value.
constexpr std::uint32_t refused = sentinel_bits;

// "" when both readers give want (or both refuse and leave the output), else both results.
std::string read_mismatch(std::string_view field, std::uint32_t want) {
  float fast = sentinel(), slow = sentinel();
  const bool ok_fast = read_e16(field, fast), ok_slow = read_e16_slow(field, slow), ok = want != refused;
  if (ok_fast == ok && ok_slow == ok && bits(fast) == want && bits(slow) == want) return "";
  const auto said = [](bool read, float x) { return std::string(read ? "" : "refused, output ") + show(x); };
  std::string m(1, '"');
  m.append(field).append("\": read_e16 ").append(said(ok_fast, fast)).append(", read_e16_slow ");
  return m.append(said(ok_slow, slow)).append(", want ").append(said(ok, from_bits(want)));
}

// The float nearest to digits * 10^scale, negated when negative; from_chars
// leaves its result unset out of range, which is then an infinity (value at
// least 1) or a zero (value below 1).
float nearest(const std::string& digits, long scale, bool negative) {
  const std::size_t lead = digits.find_first_not_of('0');
  if (lead == std::string::npos) return negative ? -0.0f : 0.0f;
  const std::string text = digits + "e" + std::to_string(scale);
  float v = 0.0f;
  const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  EXPECT_TRUE(ptr == text.data() + text.size() && (ec == std::errc() || ec == std::errc::result_out_of_range));
  if (ec == std::errc::result_out_of_range) {
    v = static_cast<long>(digits.size() - lead) + scale > 0 ? std::numeric_limits<float>::infinity() : 0.0f;
  }
  return negative ? -v : v;
}

TEST(E16Read, NamedFields) {
  using namespace std::string_view_literals;
  const struct { std::string_view field; std::uint32_t bits; const char* why; } cases[] = {
      // No point: the last 8 digits are the fraction.
      {"       100000000", 0x3F800000, "100000000 / 10^8 = 1"}, {"1", 0x322BCC77, "1 / 10^8: nearest to 1e-8"},
      {"1E2", 0x358637BD, "the exponent scales it: 1e-6"}, {"1e47", 0x7F800000, "1e-8 * 10^47 overflows"},
      {"1e-40", 0x00000000, "1e-48 underflows to +0"},
      // Exponent letters and sign-only exponents.
      {"1.5D-2", 0x3C75C28F, "D: 0.015"}, {"1.5d+2", 0x43160000, "d with plus: 150"},
      {"1.0+5", 0x47C35000, "sign-only exponent: 100000"}, {"1.0-5", 0x3727C5AC, "sign-only, negative: 1e-5"},
      // Blanks anywhere.
      {"                ", 0x00000000, "all blank: +0"}, {"", 0x00000000, "an empty field is all blank"},
      {" 1 . 5 E 1      ", 0x41700000, "blanks around point and exponent: 15"},
      {" - 1.5", 0xBFC00000, "a blank after the sign"}, {"1.0 +5", 0x47C35000, "before a sign-only exponent"},
      {"1.5E - 2", 0x3C75C28F, "a blank inside the exponent: 0.015"},
      // Signed zeros.
      {"-0", 0x80000000, "minus zero keeps its sign"}, {"-0.0E+00", 0x80000000, "negative zero, an exponent"},
      {"0.0E+99999999999", 0x00000000, "zero digits with a huge exponent stay zero"},
      // Ties to even, and decimals beside a float midpoint: the double on the
      // direct path lands on the midpoint, so the general reader decides.
      {"16777217.", 0x4B800000, "2^24 + 1: tie, to the even 2^24"},
      {"16777219.", 0x4B800002, "2^24 + 3: tie, to the even 2^24 + 4"},
      {"-4194304.25", 0xCA800000, "2^22 + 0.25, negative: tie, to -2^22"},
      {"8388609.5", 0x4B000002, "2^23 + 1.5: tie, to 2^23 + 2"},
      {"1677721700000000", 0x4B800000, "no point: 8 implied fraction digits, still a tie"},
      {"  0.16777217E+08", 0x4B800000, "the writer's layout of a tie"},
      {"16777218.9999999", 0x4B800001, "just below a midpoint"}, {"16777219.0000001", 0x4B800002, "just above"},
      {"1.00000005960464", 0x3F800000, "just below the midpoint above 1"},
      {"5.19094443321228", 0x40A61C37, "below a midpoint by less than half a double ulp: to the odd float below"},
      {"9.38910722732544", 0x411639C9, "above a midpoint by less than half a double ulp: to the odd float above"},
      // The limits of the direct path: w <= 2^53, |scale| <= 22, 4 exponent digits.
      {"9007199254740992", 0x4CABCC77, "2^53, no point: the largest w taken directly"},
      {"9007199254740993", 0x4CABCC77, "2^53 + 1: the general way"},
      {"1.E22", 0x64078678, "10^22, the largest exact power"}, {"1.E23", 0x65A96816, "10^23: the general way"},
      {"1.E-22", 0x1AF1C901, "10^-22"}, {"1.E-23", 0x19416D9A, "10^-23: the general way"},
      {"1.E0038", 0x7E967699, "four exponent digits"}, {"1.E00038", 0x7E967699, "five: the general way"},
      {"1E-12345678901", 0x00000000, "eleven exponent digits: no int overflow on the way"},
      // Overflow and underflow at the ends of the range.
      {"3.40282356e38", 0x7F7FFFFF, "flmax: just below the midpoint flmax..2^128"},
      {"3.40282357e38", 0x7F800000, "just above it: infinity"}, {"-3.4028236E38", 0xFF800000, "negative overflow"},
      {"1e999999999999", 0x7F800000, "a longer exponent than any int holds"},
      {"1.17549435E-38", 0x00800000, "flmin"}, {"1.1754942E-38", 0x007FFFFF, "the largest subnormal"},
      {"1.0e-40", 0x000116C2, "a subnormal, correctly rounded"}, {"1.E-0045", 0x00000001, "the smallest subnormal"},
      {"7.006493e-46", 0x00000001, "just above half of it"}, {"7.006492e-46", 0x00000000, "just below: +0"},
      {"-7.0e-46", 0x80000000, "below the half, negative: -0"},
      {"-1.0e-9999999999", 0x80000000, "a huge negative exponent, negative"},
      // Infinity and NaN words, any case, signed, blanks ignored.
      {"+Inf", 0x7F800000, "inf"}, {"      -Infinity", 0xFF800000, "the writer's spelling"},
      {"i n F i N i T y", 0x7F800000, "any case, blanks inside"}, {"             NaN", 0x7FC00000, "quiet NaN"},
      {"-nan", 0xFFC00000, "negative quiet NaN"},
      // Refused: the output keeps its value.
      {"1.2.3", refused, "two points"}, {"1e", refused, "an exponent letter without digits"},
      {"1e+", refused, "an exponent sign without digits"}, {"1.0+", refused, "a bare sign without digits"},
      {"--1", refused, "two signs"}, {"-.", refused, "a sign and a point, no digit"},
      {"E5", refused, "an exponent without mantissa"}, {"1.5E5.0", refused, "a point in the exponent"},
      {"1.0E+-5", refused, "two exponent signs"}, {"1e5e5", refused, "two exponents"},
      {"1,5", refused, "a comma"}, {"1\t5", refused, "a tab: its column width is unknown"},
      {"1\x00" "5"sv, refused, "a NUL byte"}, {"\xff", refused, "a byte outside ASCII"},
      {"1\r", refused, "a carriage return inside the field"}, {"0x1p3", refused, "hexadecimal"},
      {"infx", refused, "more than inf"}, {"in", refused, "less than inf"},
      {"infinit", refused, "between inf and infinity"}, {"nanq", refused, "more than nan"},
      {"nan(1)", refused, "a NaN payload"}, {"1.0 E+5 x", refused, "trailing garbage"},
      {"00000000000000001", refused, "seventeen characters: wider than a field"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(read_mismatch(c.field, c.bits), "");
  }
}

// One random readable field of at most 16 characters and its expected bits.
// Every reading rule is drawn: sign or none; 1 to 16 digits (sometimes
// leading zeros) with a point anywhere or none; exponent absent, with E e D d
// and an optional sign, or a bare sign, of 1 to 4 digits; blanks before,
// after and (rarely) inside.
std::string random_field(std::mt19937_64& g, std::uint32_t& want) {
  const auto pick = [&g](std::size_t n) { return static_cast<int>(g() % n); };
  for (;;) {
    const int sign = pick(3);  // none, '+', '-'
    const int ndig = 1 + pick(16);
    const bool zeros_first = pick(5) == 0;
    std::string digits;
    for (int k = 0; k < ndig; ++k) digits += static_cast<char>('0' + (zeros_first && k < 3 ? 0 : pick(10)));
    const int at = pick(4) == 0 ? -1 : pick(ndig + 1);  // digits before the point, -1: no point
    std::string field = std::string(sign == 0 ? "" : sign == 1 ? "+" : "-") + digits;
    if (at >= 0) field.insert(static_cast<std::size_t>(at + (sign != 0)), 1, '.');
    const int form = pick(7);  // 0..1 none, 2..5 a letter, 6 a bare sign
    long exponent = 0;
    if (form >= 2) {
      std::string ed;
      for (int k = 1 + pick(pick(4) == 0 ? 4 : 2); k > 0; --k) ed += static_cast<char>('0' + pick(10));
      const int es = form == 6 ? 1 + pick(2) : pick(3);  // none, '+', '-'
      if (form < 6) field += "EeDd"[form - 2];
      if (es != 0) field += es == 1 ? '+' : '-';
      field += ed;
      exponent = es == 2 ? -std::stol(ed) : std::stol(ed);
    }
    if (field.size() > 16) continue;
    if (pick(8) == 0 && field.size() < 16) field.insert(static_cast<std::size_t>(pick(field.size() + 1)), 1, ' ');
    const std::size_t room = 16 - field.size();
    const std::size_t before = room == 0 ? 0 : static_cast<std::size_t>(pick(room + 1));
    const std::size_t after = pick(2) == 0 ? room - before : 0;
    want = bits(nearest(digits, exponent - (at >= 0 ? ndig - at : 8), sign == 2));
    return std::string(before, ' ') + field + std::string(after, ' ');
  }
}

// Seed 77, two million fields.
TEST(E16Read, RandomFieldsMatchFromChars) {
  std::mt19937_64 g(77);
  expect_none(2000000, [&g](std::size_t) {
    std::uint32_t want = 0;
    const std::string field = random_field(g, want);
    return read_mismatch(field, want);
  });
}

// Fields in the writer's own layout (write_e16 of random bit patterns, seed
// 79, the non-finite ones skipped), read through the direct path for that
// layout: the expected value is from_chars on the 8 digits and the exponent
// taken from the text.
TEST(E16Read, WriterLayoutMatchesFromChars) {
  expect_agree(random_bits(79, 1000000), [](float v) -> std::string {
    if (!std::isfinite(v)) return "";
    char f[16];
    write_e16(v, f);
    const std::string field(f, 16);
    return read_mismatch(field, bits(nearest(field.substr(4, 8), std::stol(field.substr(13)) - 8, f[1] == '-')));
  });
}

// Random strings over the field alphabet (seed 78), most of them unreadable:
// read_e16 accepts exactly what read_e16_slow accepts and gives the same bits.
TEST(E16Read, RandomTextAgreesWithTheGeneralReader) {
  std::mt19937_64 g(78);
  const char alphabet[] = "0123456789012345678901234567890123456789..++--  EeDd \t";
  expect_none(1000000, [&](std::size_t) {
    std::string field(1 + g() % 17, ' ');
    for (char& c : field) c = alphabet[g() % (sizeof alphabet - 1)];
    float slow = sentinel();
    return read_mismatch(field, read_e16_slow(field, slow) ? bits(slow) : refused);
  });
}

}  // namespace
}  // namespace qubic::call
