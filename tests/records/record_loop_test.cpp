// record_loop with a stand-in solver, so that every flag judgement is
// reached whatever the real solver does, and field_error's escapes.  The
// real solver's records (which pin the order of the fields), a bad field
// among good records and the message for it are run end to end
// (tests/e2e/batch_test.cpp).
#include "records/record_loop.hpp"

#include <climits>
#include <string>

#include <qubic/exact.hpp>

#include <gtest/gtest.h>

namespace qubic::records {
namespace {

// Appends to a string; never fails.
struct string_sink {
  std::string s;
  char room[512];
  char* reserve(std::size_t) { return room; }
  void commit(const char* end) { s.append(room, static_cast<std::size_t>(end - room)); }
  void put(const char* p, std::size_t n) { s.append(p, n); }
};

flags answer;  // the flags the stand-in solver answers

// The roots of x^3 - 6x^2 + 11x - 6 as the solver finds them: 3, 2 - 2^-23, 1 + 2^-23, all real.
void road_solver(const coeffs&, roots& rr, roots& ir, flags& fl) {
  rr = {{3.0f, 0x1.fffffep+0f, 0x1.000002p+0f}};
  ir = {{0.0f, 0.0f, 0.0f}};
  fl = answer;
}

// coef of the road roots, worked by hand in the order coef multiplies:
// 3 + (2 - 2^-23) rounds to 5, + (1 + 2^-23) to 6, so rb(2) = -6;
// 3 (2 - 2^-23) rounds to 6 - 2^-21, (2 - 2^-23)(1 + 2^-23) to 2,
// 3 (1 + 2^-23) (a tie) to 3 + 2^-21, and the sum is exactly 11;
// (6 - 2^-21)(1 + 2^-23) rounds to 6, so rb(0) = -6.  The imaginary parts:
// -(0 + 0 + 0) = -0, then +0, and the negated +0 product gives -0.
const std::string road_record = "  0.10000000E+01 -0.60000000E+01  0.11000000E+02 -0.60000000E+01";
const std::string road_results =
    "1\n" + road_record + "\n  0.00000000E+00 -0.00000000E+00  0.00000000E+00 -0.00000000E+00\n";

TEST(RecordLoop, OnlyThreeFoundRootsCountAsSolved) {
  const struct { flags fl; bool solved; const char* why; } cases[] = {
      {{{1, 1, 1}}, true, "all three found"}, {{{1, 1, -3}}, false, "one unusable"},
      {{{1, 1, 0}}, false, "none negative, sum 2"}, {{{0, 0, 0}}, false, "identically zero"},
      {{{INT_MAX, INT_MAX, 5}}, false, "a sum that wraps to 3 in 32 bits"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    record_loop loop(road_solver);
    string_sink results, out;
    answer = c.fl;
    EXPECT_EQ(loop.step(road_record.c_str(), results, out), 0);
    EXPECT_EQ(results.s, c.solved ? road_results : "0\n");
    EXPECT_EQ(out.s, c.solved ? "3 1.9999999 1.0000001\n0 0 0\n" : "");
  }
}

// The rebuild follows the engine: the exact engine's roots of the road
// cubic are exactly 1, 2, 3, whose product (x - 1)(x - 2)(x - 3) is the
// record itself with imaginary parts that are exact zeros, +0, where the
// solver's records keep coef's -0 (and its rounding, above; run end to end
// in tests/e2e/batch_test.cpp).
TEST(RecordLoop, TheExactEngineRebuildsExactly) {
  record_loop loop(&::qubic::qubic_exact);
  string_sink results, out;
  EXPECT_EQ(loop.step(road_record.c_str(), results, out), 0);
  EXPECT_EQ(results.s, "1\n" + road_record + "\n  0.00000000E+00  0.00000000E+00  0.00000000E+00  0.00000000E+00\n");
  EXPECT_EQ(out.s, "1 2 3\n0 0 0\n");
}

// Quote, backslash, tab, byte 0xFF and NUL, and the field's place in the message.
TEST(FieldError, QuotedWithoutBlanksAndEscaped) {
  const std::string rec = std::string(50, ' ') + "\"\\\t\xFF" + std::string("\0x", 2) + std::string(8, ' ');
  char text[512];
  field_error(text, sizeof text, "test6", 3, 4, rec.c_str());
  EXPECT_STREQ(text, "qubic: test6:3: field 4 (columns 49-64): cannot read \"\\\"\\\\\\x09\\xFF\\x00x\" as a number\n");
}

}  // namespace
}  // namespace qubic::records
