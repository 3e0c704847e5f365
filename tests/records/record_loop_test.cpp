// record_loop and field_error: the examples of their contracts, replayed with
// the real solver and an in-memory sink.
#include "records/record_loop.hpp"

#include <string>

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

std::string record(const char* f1, const char* f2, const char* f3, const char* f4) {
  std::string r;
  for (const char* f : {f1, f2, f3, f4}) r += std::string(16 - std::string(f).size(), ' ') + f;
  return r;
}

TEST(RecordLoop, ContractExampleAndUnsolvedAndBadField) {
  record_loop loop(&::qubic::qubic);
  string_sink results, out;
  const std::string road = record("1.", "-6.", "11.", "-6.");
  EXPECT_EQ(loop.step(road.c_str(), results, out), 0);
  EXPECT_EQ(results.s,
            "1\n"
            "  0.10000000E+01 -0.60000000E+01  0.11000000E+02 -0.60000000E+01\n"
            "  0.00000000E+00 -0.00000000E+00  0.00000000E+00 -0.00000000E+00\n");
  EXPECT_EQ(out.s, "3 1.9999999 1.0000001\n0 0 0\n");

  // 1e-30 x^3 + 1e30: Cauchy's bound overflows, nothing is solved.
  const std::string unsolved = record("1.E-30", "", "", "1.E+30");
  EXPECT_EQ(loop.step(unsolved.c_str(), results, out), 0);
  EXPECT_EQ(results.s.substr(results.s.size() - 2), "0\n");
  EXPECT_EQ(out.s.size(), 28u);

  const std::size_t before = results.s.size();
  const std::string bad = record("1.", "", "1.2.3", "");
  EXPECT_EQ(loop.step(bad.c_str(), results, out), 3);
  EXPECT_EQ(results.s.size(), before);
}

TEST(FieldError, ContractExampleAndEscapes) {
  struct row {
    const char* why;
    std::string rec;
    int k;
    const char* message;
  } rows[] = {
      {"contract example", record("", "1.2.3", "", ""), 2,
       "qubic: test6:3: field 2 (columns 17-32): cannot read \"1.2.3\" as a number\n"},
      {"quote, backslash, tab, byte 0xFF", record("", "", "", "\"\\\t\xFF"), 4,
       "qubic: test6:3: field 4 (columns 49-64): cannot read \"\\\"\\\\\\x09\\xFF\" as a number\n"},
  };
  for (const row& r : rows) {
    char text[512];
    field_error(text, sizeof text, "test6", 3, r.k, r.rec.c_str());
    EXPECT_STREQ(text, r.message) << r.why;
  }
}

}  // namespace
}  // namespace qubic::records
