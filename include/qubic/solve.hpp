// qubic/solve.hpp: the solver for programs that want values, not arrays.
//
//   #include <qubic/solve.hpp>
//
//   const qubic::solution s = qubic::solve(1.0f, -6.0f, 11.0f, -6.0f);
//   if (s.solved()) { /* s.root[0..2] are the three roots */ }
//   for (int k = 0; k < 3; ++k)
//     std::printf("%d: %s\n", s.flag[k], qubic::flag_meaning(s.flag[k]).data());
//
// solve() runs the same solver as qubic::qubic (qubic/qubic.hpp, which this
// header includes for the flag codes qubic::flag::found ... not_computed) and
// gives the same bits.  Coefficients come highest power first, as one writes
// the cubic a3 x^3 + a2 x^2 + a1 x + a0; roots and flags are numbered from 0
// here: root[k] and flag[k] belong to the solver's root k + 1.
#ifndef QUBIC_SOLVE_HPP
#define QUBIC_SOLVE_HPP

#include <array>
#include <complex>
#include <cstdint>
#include <string_view>

#include <qubic/qubic.hpp>

namespace qubic {

// The roots of one cubic with their flags, in the precision of its
// coefficients: solution for float (both solvers), solution_double for the
// exact engine's double entry (qubic/exact.hpp).
template <class Real>
struct basic_solution {
  // root[k] = (real part, imaginary part) of root k + 1 where written[k];
  // a quiet NaN in both parts where the solver did not write the root.
  std::array<std::complex<Real>, 3> root;
  // flag[k]: one of the codes of qubic::flag for root k + 1.
  std::array<std::int32_t, 3> flag;
  // written[k]: the solver computed a value for root k + 1 on this cubic.  A
  // written root is not necessarily usable (flag[k] tells), and a root with
  // flag -6 may still be written (a NaN from the quadratic factor).
  std::array<bool, 3> written;

  // All three flags are flag::found: the cubic counts as solved.
  bool solved() const { return flag[0] == flag::found && flag[1] == flag::found && flag[2] == flag::found; }
};

using solution = basic_solution<float>;
using solution_double = basic_solution<double>;

// The three roots of a3 x^3 + a2 x^2 + a1 x + a0 with their flags.  Never
// throws, allocates nothing.
//
// Example: solve(1, -6, 11, -6) gives the roots 3, 2 - 2^-23 and 1 + 2^-23
// (imaginary parts +0), flags 1, 1, 1, all written, solved().
solution solve(float a3, float a2, float a1, float a0);

// The meaning of a flag code in plain words, for people: "found and usable"
// for 1, "not computed" for -6, "unknown flag code" for anything the solver
// never returns.  The text is static and NUL-terminated.
std::string_view flag_meaning(std::int32_t code);

// The same for the flags of the exact engine (qubic::solve_exact in
// qubic/exact.hpp), whose codes 1, -3 and -2 mean something else: "correctly
// rounded" for 1; 0 and -1 read as above; "unknown flag code" for -4 .. -6,
// which that engine never returns.
std::string_view exact_flag_meaning(std::int32_t code);

}  // namespace qubic

#endif  // QUBIC_SOLVE_HPP
