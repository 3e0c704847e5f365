// The batch job's record loop as a piece of the library: one record of the
// coefficient file in, what it adds to the result file and to standard
// output out.  The batch program drives it from a file and the Python module
// from bytes in memory, so both write the same bytes.
#ifndef QUBIC_RECORDS_RECORD_LOOP_HPP
#define QUBIC_RECORDS_RECORD_LOOP_HPP

#include <cstddef>
#include <cstdint>

#include <qubic/exact.hpp>
#include <qubic/qubic.hpp>

#include "text/e16_read.hpp"
#include "text/free_write.hpp"

namespace qubic::records {

// The cubic solver a loop calls: qubic::qubic, the exact engine, or a test's
// stand-in that reaches every branch.
using solver = void (*)(const coeffs&, roots&, roots&, flags&);

// A record: four E16.8 fields, highest power first.
inline constexpr std::size_t record_width = 4 * call::e16_width;

// What one solved record adds to each output, at most: the status line and
// two coefficient records; the real and the imaginary parts of the roots.
inline constexpr std::size_t solved_results = 2 + 2 * (record_width + 1);
inline constexpr std::size_t solved_out = 2 * 3 * call::free_real_room;

// "1\n" and the two coefficient records rb, ib at r; returns their end.
char* put_solved(char* r, const coeffs& rb, const coeffs& ib);
// The two lines of roots, real parts then imaginary parts, at o; returns their end.
char* put_roots(char* o, const roots& rroot, const roots& iroot);

// One record's answer: for a solved record "1\n" and the coefficient records
// of the rebuilt monic cubic rb + i ib to results, and the roots to out;
// otherwise "0\n" to results.  Formatted in place in the two buffers; a
// failed output is the caller's to see.
template <class Sink>
void emit(bool solved, const roots& rroot, const roots& iroot, const coeffs& rb, const coeffs& ib, Sink& results,
          Sink& out) {
  if (solved) {
    if (char* r = results.reserve(solved_results)) results.commit(put_solved(r, rb, ib));
    if (char* o = out.reserve(solved_out)) out.commit(put_roots(o, rroot, iroot));
  } else {
    results.put("0\n", 2);
  }
}

// The loop's state: the solver's arrays, allocated once with the loop and
// reused for every record (nothing is allocated per record).  An entry that
// the solver leaves alone keeps what the previous record put there.
class record_loop {
 public:
  // The reconstructed monic cubic of a solved record comes from coef, or,
  // for the exact engine (qubic::qubic_exact), from exact::monic: its roots
  // are correctly rounded, and the coefficients shown are the exact product
  // of those roots rounded once, where coef's rounding in every operation
  // could show NaN for an exact zero beside an overflow.
  explicit record_loop(solver solve) : solve_(solve), exact_rebuild_(solve == &qubic_exact) {}

  // One record, record_width columns at rec (a shorter line padded with
  // blanks, as line_reader gives it).  Reads the fields into array(3),
  // array(2), array(1), array(0) and solves.  When the three flags sum to 3,
  // appends "1\n" and the real and the imaginary parts of the reconstructed
  // monic cubic (see above) to results, and the real and the imaginary parts
  // of the roots, one line each, to out; otherwise appends "0\n" to results.
  // Returns 0.  On the first field that cannot be read, returns its number
  // (1..4) and appends nothing.
  //
  // Sink is out_sink's interface: reserve(n) gives room for n bytes or
  // nullptr once the output has failed, commit(end) keeps the bytes written
  // up to end, put(s, n) appends.  A failed output is the caller's to see.
  //
  // Example: the record of x^3 - 6x^2 + 11x - 6, "1.", "-6.", "11.", "-6."
  // each in its 16 columns, with qubic::qubic: roots 3, 2 - 2^-23, 1 + 2^-23;
  // appends to results "1\n" and
  //   "  0.10000000E+01 -0.60000000E+01  0.11000000E+02 -0.60000000E+01\n"
  //   "  0.00000000E+00 -0.00000000E+00  0.00000000E+00 -0.00000000E+00\n"
  // and to out "3 1.9999999 1.0000001\n0 0 0\n".
  template <class Sink>
  int step(const char* rec, Sink& results, Sink& out) {
    const int bad = read_and_solve(rec);
    if (bad != 0) return bad;
    emit(solved_, rroot_, iroot_, rb_, ib_, results, out);
    return 0;
  }

  // Writes what earlier steps left pending: nothing, as step writes each
  // record at once (block_loop's finish has work to do).
  template <class Sink>
  void finish(Sink&, Sink&) {}

 private:
  // Reads the four fields and solves; 0, or the number of the unreadable field.
  int read_and_solve(const char* rec);

  solver solve_;
  bool exact_rebuild_;
  coeffs array_{};
  roots rroot_{};
  roots iroot_{};
  flags fl_{};
  coeffs rb_{};
  coeffs ib_{};
  bool solved_ = false;
};

// The one-line message, '\n' included, for field k (1..4) of the record rec
// that cannot be read, on line `line` of the file `path`, into text (size
// bytes; 512 hold any message with a path of up to 300 bytes, a longer one
// is cut).  The field is quoted without its surrounding blanks; bytes that are
// not printable ASCII, and the quote and backslash, are escaped so that the
// message stays one line of text whatever the input holds.
//
// Example: field 2 of line 3 of test6 holding "1.2.3" gives
// qubic: test6:3: field 2 (columns 17-32): cannot read "1.2.3" as a number
void field_error(char* text, std::size_t size, const char* path, std::uint64_t line, int k,
                 const char* rec);

}  // namespace qubic::records

#endif  // QUBIC_RECORDS_RECORD_LOOP_HPP
