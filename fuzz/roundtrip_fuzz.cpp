// Fuzz target: a single written as an E16.8 field and read back.
//
// Every 4 bytes of the input are one binary32 pattern x (little-endian).
// write_e16 must give the field of x correctly rounded to 8 significant
// digits in the house layout; the oracle is the standard library's
// std::to_chars (tests/text/e16_oracle.hpp), a conversion that shares no
// code with write_e16.  read_e16 must then give the single nearest
// to that 8-digit decimal, which the C library's strtof computes from the
// same text.  Infinities and NaN are written as words and read back as
// themselves.
#include "text/e16_read.hpp"
#include "text/e16_oracle.hpp"
#include "text/e16_write.hpp"
#include "fuzz.hpp"

namespace {

using namespace qubic::fuzz;

void round_trip(float x) {
  char field[16];
  qubic::call::write_e16(x, field);
  const std::string want = qubic::test::e16_oracle(x);
  float back = 0.0f;
  check(std::string_view(field, sizeof field) == want && qubic::call::read_e16(want, back));
  const float nearest = std::strtof(want.c_str(), nullptr);
  check(std::isnan(x) ? std::isnan(back) : bits(back) == bits(nearest));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  for (std::size_t at = 0; at + 4 <= size; at += 4) round_trip(load<float>(data + at));
  return 0;
}
