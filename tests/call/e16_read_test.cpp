// read_e16 (with its direct path for the common shapes) and read_e16_slow
// (the general reader) against correctly rounded conversions.
//
// Named fields carry bits worked out from the reading rules and rounded by
// glibc's strtof.  The random fields are built from parts the generator
// keeps: sign, digits, point, exponent.  From the parts alone it writes the
// plain decimal "digits e scale" (scale = exponent minus the fraction digits,
// or minus 8 without a point), which strtof rounds once to the nearest float:
// that is the expected value.  The field is what the readers see.
// Unreadable text at large and the writer's layout of every float are left to
// the fuzz targets (fuzz/e16_read_fuzz.cpp, fuzz/roundtrip_fuzz.cpp).
#include "call/e16_read.hpp"

#include <cstdlib>

#include "call/e16_read_slow.hpp"
#include "call/oracle.hpp"

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

// The float nearest to digits * 10^scale, negated when negative: glibc's
// strtof rounds the exact decimal once, to an infinity or a subnormal or zero
// out of range.
float nearest(const std::string& digits, long scale, bool negative) {
  const float v = std::strtof((digits + "e" + std::to_string(scale)).c_str(), nullptr);
  return negative ? -v : v;
}

TEST(E16Read, NamedFields) {
  using namespace std::string_view_literals;
  const struct { std::string_view field; std::uint32_t bits; const char* why; } cases[] = {
      // No point: the last 8 digits are the fraction.
      {"       100000000", 0x3F800000, "100000000 / 10^8 = 1"}, {"1", 0x322BCC77, "1 / 10^8: nearest to 1e-8"},
      // Exponent letters, sign-only exponents and blanks (the random fields draw every other mix).
      {"1.0+5", 0x47C35000, "sign-only exponent: 100000"}, {"1.5D-2", 0x3C75C28F, "D: 0.015"},
      {"                ", 0x00000000, "all blank: +0"}, {" 1 . 5 E 1", 0x41700000, "blanks around point and exponent"},
      // The writer's layout, read by its own direct path.
      {" -0.60000000E+01", 0xC0C00000, "-6"}, {" -0.00000000E+00", 0x80000000, "negative zero"},
      {"  0.16777217E+08", 0x4B800000, "2^24 + 1: a tie, the general way, to the even 2^24"},
      {"  0.11754944E-37", 0x00800000, "flmin: scale -45, the general way"},
      // Signed zeros.
      {"-0", 0x80000000, "minus zero keeps its sign"},
      {"0.0E+99999999999", 0x00000000, "zero digits with a huge exponent stay zero"},
      // Ties to even, and decimals beside a float midpoint: the double on the
      // direct path lands on the midpoint, so the general reader decides.
      {"16777217.", 0x4B800000, "2^24 + 1: tie, to the even 2^24"},
      {"16777219.", 0x4B800002, "2^24 + 3: tie, to the even 2^24 + 4"},
      {"1677721700000000", 0x4B800000, "no point: 8 implied fraction digits, still a tie"},
      {"16777218.9999999", 0x4B800001, "just below a midpoint"}, {"16777219.0000001", 0x4B800002, "just above"},
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
      {"3.40282357e38", 0x7F800000, "just above it: infinity"},
      {"1e999999999999", 0x7F800000, "a longer exponent than any int holds"},
      {"1.17549435E-38", 0x00800000, "flmin"}, {"1.1754942E-38", 0x007FFFFF, "the largest subnormal"},
      {"7.006493e-46", 0x00000001, "just above half of it"}, {"7.006492e-46", 0x00000000, "just below: +0"},
      {"-7.0e-46", 0x80000000, "below the half, negative: -0"},
      {"-1.0e-9999999999", 0x80000000, "a huge negative exponent, negative"},
      // Infinity and NaN words, any case, signed, blanks ignored.
      {"      -Infinity", 0xFF800000, "the writer's spelling"}, {"i n F i N i T y", 0x7F800000, "any case, blanks"},
      {"+Inf", 0x7F800000, "inf"}, {"-nan", 0xFFC00000, "negative quiet NaN"},
      // Refused (the fuzz target tries every other text): the output keeps its value.
      {"1.2.3", refused, "two points"}, {"1e", refused, "an exponent letter without digits"},
      {"1.0+", refused, "a bare sign without digits"}, {"-.", refused, "a sign and a point, no digit"},
      {"1\t5", refused, "a tab: its column width is unknown"}, {"1\x00" "5"sv, refused, "a NUL byte"},
      {"1\r", refused, "a carriage return inside the field"}, {"infinit", refused, "between inf and infinity"},
      {"nan(1)", refused, "a NaN payload"}, {"00000000000000001", refused, "seventeen characters: wider than a field"},
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
TEST(E16Read, RandomFieldsMatchStrtof) {
  std::mt19937_64 g(77);
  expect_none(2000000, [&g](std::size_t) {
    std::uint32_t want = 0;
    const std::string field = random_field(g, want);
    return read_mismatch(field, want);
  });
}

}  // namespace
}  // namespace qubic::call
