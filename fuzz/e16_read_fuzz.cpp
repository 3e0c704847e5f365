// Fuzz target: the record reader on arbitrary bytes.
//
// The input is the whole coefficient file.  line_reader cuts it into
// records through a buffer of 1 to 97 bytes (the first input byte picks the
// size), so records straddle every buffer boundary; memory stays that buffer
// whatever the input (libFuzzer's -malloc_limit_mb catches anything more).
// Each record must equal the line split off here independently, and each of
// its four fields is read with read_e16 and checked against an oracle that
// shares no code with it: the field is normalised here (blanks dropped, the
// implied point put in as a '.', the D or bare-sign exponent rewritten as
// 'e') and converted by the C library's strtof, which rounds the exact
// decimal once, to an infinity on overflow and to a subnormal or zero on
// underflow.  read_e16 must accept exactly what the oracle accepts, give the
// same bits, and leave its output untouched on refusal.
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include <sys/mman.h>
#include <unistd.h>

#include "call/e16_read.hpp"
#include "call/line_reader.hpp"

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

bool digit(char c) { return c >= '0' && c <= '9'; }

bool same_word(std::string_view s, std::string_view lower_word) {
  if (s.size() != lower_word.size()) return false;
  for (std::size_t k = 0; k < s.size(); ++k) {
    const char c = (s[k] >= 'A' && s[k] <= 'Z') ? static_cast<char>(s[k] + ('a' - 'A')) : s[k];
    if (c != lower_word[k]) return false;
  }
  return true;
}

// The field's value by the record grammar, or nothing when it is not a number.
std::optional<float> oracle(std::string_view field) {
  std::string s;
  for (const char c : field) {
    if (c != ' ') s += c;
  }
  if (s.empty()) return 0.0f;
  std::string_view t = s;
  std::string sign;
  if (t[0] == '+' || t[0] == '-') {
    sign = t.substr(0, 1);
    t.remove_prefix(1);
  }
  const float one = sign == "-" ? -1.0f : 1.0f;
  if (same_word(t, "inf") || same_word(t, "infinity")) return one * INFINITY;
  if (same_word(t, "nan")) return std::copysign(NAN, one);

  std::size_t k = 0;
  std::string mant;
  bool point = false;
  while (k < t.size() && (digit(t[k]) || (t[k] == '.' && !point))) {
    point = point || t[k] == '.';
    mant += t[k++];
  }
  if (mant.find_first_of("0123456789") == std::string::npos) return std::nullopt;
  std::string expo;
  if (k < t.size()) {
    // E or D with an optional sign, or a sign alone; then digits to the end.
    const char c = t[k];
    const bool letter = c == 'e' || c == 'E' || c == 'd' || c == 'D';
    if (!letter && c != '+' && c != '-') return std::nullopt;
    if (letter) ++k;
    if (k < t.size() && (t[k] == '+' || t[k] == '-')) expo += t[k++];
    const std::size_t first = k;
    while (k < t.size() && digit(t[k])) expo += t[k++];
    if (k == first || k != t.size()) return std::nullopt;
  }
  if (!point) {
    // The last eight digits are the fraction.
    if (mant.size() < 8) mant.insert(0, 8 - mant.size(), '0');
    mant.insert(mant.size() - 8, ".");
  }
  const std::string text = sign + mant + "e" + (expo.empty() ? "0" : expo);
  errno = 0;
  char* end = nullptr;
  const float v = std::strtof(text.c_str(), &end);
  check(*end == '\0');
  return v;
}

void check_field(std::string_view field) {
  const std::optional<float> want = oracle(field);
  constexpr std::uint32_t fill = 0x7FE5A5A5u;
  float got = std::bit_cast<float>(fill);
  const bool ok = qubic::call::read_e16(field, got);
  check(ok == want.has_value());
  if (!ok) {
    check(std::bit_cast<std::uint32_t>(got) == fill);
  } else if (std::isnan(*want)) {
    check(std::isnan(got) && std::signbit(got) == std::signbit(*want));
  } else {
    check(std::bit_cast<std::uint32_t>(got) == std::bit_cast<std::uint32_t>(*want));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::size_t buffer = size == 0 ? 1 : 1 + data[0] % 97;
  const int fd = ::memfd_create("test6", 0);
  check(fd >= 0);
  check(::write(fd, data, size) == static_cast<ssize_t>(size));
  check(::lseek(fd, 0, SEEK_SET) == 0);

  constexpr std::size_t width = qubic::call::line_reader::width;
  qubic::call::line_reader in(fd, buffer);
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  char rec[width];
  for (;;) {
    const auto st = in.next(rec);
    check(st != qubic::call::line_reader::status::error);
    if (st == qubic::call::line_reader::status::end) {
      check(rest.empty());
      break;
    }
    check(!rest.empty());
    const std::size_t nl = rest.find('\n');
    std::string_view line = rest.substr(0, nl);
    rest.remove_prefix(nl == std::string_view::npos ? rest.size() : nl + 1);
    if (line.size() <= width + 1 && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::string want(line.substr(0, width));
    want.resize(width, ' ');
    check(std::memcmp(rec, want.data(), width) == 0);
    for (std::size_t f = 0; f < 4; ++f) check_field(std::string_view(rec + f * 16, 16));
  }
  ::close(fd);
  return 0;
}
