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
#include <strings.h>
#include <sys/mman.h>
#include <unistd.h>

#include <iterator>
#include <optional>
#include <string>

#include "text/e16_read.hpp"
#include "call/line_reader.hpp"
#include "fuzz.hpp"

namespace {

using namespace qubic::fuzz;

// The field's value by the record grammar, or nothing when it is not a number.
std::optional<float> oracle(std::string_view field) {
  std::string t;
  std::copy_if(field.begin(), field.end(), std::back_inserter(t), [](char c) { return c != ' '; });
  if (t.empty()) return 0.0f;
  const std::string sign = t[0] == '+' || t[0] == '-' ? t.substr(0, 1) : "";
  t.erase(0, sign.size());
  const float one = sign == "-" ? -1.0f : 1.0f;
  // A word in any case (a NUL byte in t never matches).
  const auto is = [&](const char* w) { return t.size() == std::strlen(w) && !::strncasecmp(t.data(), w, t.size()); };
  if (is("inf") || is("infinity")) return one * INFINITY;
  if (is("nan")) return std::copysign(NAN, one);

  // Digits with at most one point, at least one digit.
  std::size_t k = 0;
  while (k < t.size() && ((t[k] >= '0' && t[k] <= '9') || (t[k] == '.' && t.find('.') == k))) ++k;
  std::string mant = t.substr(0, k);
  if (mant.find_first_of("0123456789") == std::string::npos) return std::nullopt;
  std::string expo = "0";
  if (k < t.size()) {
    // E or D with an optional sign, or a sign alone; then digits to the end.
    const bool letter = std::string_view("eEdD").find(t[k]) != std::string_view::npos;
    if (!letter && t[k] != '+' && t[k] != '-') return std::nullopt;
    expo = t.substr(k + letter);
    const std::size_t digits = !expo.empty() && (expo[0] == '+' || expo[0] == '-');  // their start
    if (expo.size() == digits || expo.find_first_not_of("0123456789", digits) != expo.npos) return std::nullopt;
  }
  if (mant.find('.') == std::string::npos) {
    // The last eight digits are the fraction.
    if (mant.size() < 8) mant.insert(0, 8 - mant.size(), '0');
    mant.insert(mant.size() - 8, ".");
  }
  const std::string text = sign + mant + "e" + expo;
  char* end = nullptr;
  const float v = std::strtof(text.c_str(), &end);
  check(*end == '\0');
  return v;
}

void check_field(std::string_view field) {
  const std::optional<float> want = oracle(field);
  float got = std::bit_cast<float>(fill<float>);
  const bool ok = qubic::call::read_e16(field, got);
  check(ok == want.has_value());
  if (ok && std::isnan(*want)) return check(std::isnan(got) && std::signbit(got) == std::signbit(*want));
  check(bits(got) == (ok ? bits(*want) : fill<float>));  // refused: untouched
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const int fd = ::memfd_create("test6", 0);
  check(fd >= 0 && ::write(fd, data, size) == static_cast<ssize_t>(size) && ::lseek(fd, 0, SEEK_SET) == 0);
  using reader = qubic::call::line_reader;
  reader in(fd, size == 0 ? 1 : 1 + data[0] % 97);
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  char rec[reader::width];
  for (auto st = in.next(rec); st != reader::status::end; st = in.next(rec)) {
    check(st != reader::status::error && !rest.empty());
    const std::size_t nl = std::min(rest.find('\n'), rest.size());
    std::string_view line = rest.substr(0, nl);
    rest.remove_prefix(std::min(nl + 1, rest.size()));
    if (line.size() <= reader::width + 1 && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::size_t n = std::min(line.size(), reader::width);  // the rest of the record is blank
    const std::string_view got(rec, reader::width);
    check(got.substr(0, n) == line.substr(0, n) && got.find_first_not_of(' ', n) == got.npos);
    for (std::size_t f = 0; f < 4; ++f) check_field(std::string_view(rec + f * 16, 16));
  }
  check(rest.empty());
  ::close(fd);
  return 0;
}
