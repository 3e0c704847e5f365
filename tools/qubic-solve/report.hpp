// The two outputs of qubic-solve for one cubic: a report for people and a
// CSV row for programs.
#ifndef QUBIC_SOLVE_REPORT_HPP
#define QUBIC_SOLVE_REPORT_HPP

#include <array>
#include <string>
#include <string_view>

#include <qubic/solve.hpp>

namespace qubic::tool {

// a[0] = A3, a[1] = A2, a[2] = A1, a[3] = A0, as everywhere in the tool:
// singles, or doubles for --exact --double.
using cubic = std::array<float, 4>;
using cubic_double = std::array<double, 4>;

// The words for a flag code: qubic::flag_meaning for the solver,
// qubic::exact_flag_meaning for the exact engine.
using flag_words = std::string_view (*)(std::int32_t);

// Appends the report: the cubic, a table of the three roots with their
// flags and the flags' meanings in words ("-" for a part the solver did not
// write), and whether the cubic is solved.  Example for 1 -6 11 -6:
//
//   cubic  1 x^3 - 6 x^2 + 11 x - 6
//   root   real part        imaginary part   flag
//   1      3                0                 1  found and usable
//   2      1.9999999        0                 1  found and usable
//   3      1.0000001        0                 1  found and usable
//   solved: yes
//
// A double's shortest text takes up to 24 characters, a single's 15: the
// report of a double cubic has columns 26 wide instead of 17, so that every
// value keeps a blank after it.
void append_report(std::string& out, const cubic& a, const solution& s, flag_words words = &flag_meaning);
void append_report(std::string& out, const cubic_double& a, const solution_double& s, flag_words words);

// The CSV header line, with its '\n'.
inline constexpr std::string_view csv_header = "a3,a2,a1,a0,flag1,flag2,flag3,re1,im1,re2,im2,re3,im3\n";

// Appends one CSV row with its '\n': the coefficients, the flags, then the
// real and imaginary part of each root, empty where the root is not written.
// Example for 1 -6 11 -6: "1,-6,11,-6,1,1,1,3,0,1.9999999,0,1.0000001,0";
// the exact engine on the same doubles: "1,-6,11,-6,1,1,1,3,0,2,0,1,0".
void append_csv_row(std::string& out, const cubic& a, const solution& s);
void append_csv_row(std::string& out, const cubic_double& a, const solution_double& s);

}  // namespace qubic::tool

#endif  // QUBIC_SOLVE_REPORT_HPP
