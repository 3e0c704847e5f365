// qubic._qubic: the compiled half of the Python module.  The Python half
// (qubic/_solve.py) checks the arguments, rounds and broadcasts the
// coefficients with numpy and hands this module one array of shape (n, 4)
// in the precision asked for (float32, or float64 for the exact engine's
// double entry), strided as numpy made it; every loop over
// cubics or records is here, with the GIL released.
#include <pybind11/complex.h>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <algorithm>
#include <complex>
#include <cstdint>
#include <cstring>
#include <exception>
#include <limits>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include <qubic/batch.hpp>
#include <qubic/exact.hpp>
#include <qubic/solve.hpp>

#include "records/block_loop.hpp"
#include "records/record_loop.hpp"

#ifndef QUBIC_VERSION
#error "QUBIC_VERSION must be defined by the build"
#endif

namespace py = pybind11;

namespace {

// An (n, 4) array of Real as numpy holds it: coefficient j of cubic i at
// data[i * row + j * col], strides counted in elements, of any sign (a
// broadcast row has row = 0).
template <class Real>
struct rows {
  const Real* data;
  std::ptrdiff_t row;
  std::ptrdiff_t col;
};

// The outputs of cubics [b, e): roots[3i + k], flags[3i + k], solved[i].
template <class Real>
struct outputs {
  std::complex<Real>* roots;
  std::int32_t* flags;
  bool* solved;
};

template <class Real>
using solver_of = qubic::basic_solution<Real> (*)(Real, Real, Real, Real);

// Cubics [b, e) of `in` into `out`, one call of Solve per cubic.
template <class Real, solver_of<Real> Solve>
void solve_each(rows<Real> in, std::size_t b, std::size_t e, outputs<Real> out) {
  for (std::size_t i = b; i < e; ++i) {
    const Real* a = in.data + static_cast<std::ptrdiff_t>(i) * in.row;
    const qubic::basic_solution<Real> sol = Solve(a[0], a[in.col], a[2 * in.col], a[3 * in.col]);
    for (int k = 0; k < 3; ++k) {
      out.roots[3 * i + k] = sol.root[k];
      out.flags[3 * i + k] = sol.flag[k];
    }
    out.solved[i] = sol.solved();
  }
}

// Cubics [b, e) of `in` into `out` by the exact engine's batch entry, which
// reads the strides itself and gives solve_exact's bits.
void solve_exact_slice(rows<float> in, std::size_t b, std::size_t e, outputs<float> out) {
  const qubic::cubic_view slice{in.data + static_cast<std::ptrdiff_t>(b) * in.row, e - b, in.row, in.col};
  qubic::solve_exact_batch(slice, out.roots + 3 * b, out.flags + 3 * b, out.solved + b);
}

// Cubics [b, e) of float64 `in` into `out` by the double engine's batch
// entry, which reads the strides itself and gives solve_exact_double's bits.
void solve_exact_double_slice(rows<double> in, std::size_t b, std::size_t e, outputs<double> out) {
  const qubic::cubic_view_double slice{in.data + static_cast<std::ptrdiff_t>(b) * in.row, e - b, in.row, in.col};
  qubic::solve_exact_double_batch(slice, out.roots + 3 * b, out.flags + 3 * b, out.solved + b);
}

template <class Real>
using slice_solver = void (*)(rows<Real>, std::size_t, std::size_t, outputs<Real>);

// Solves cubics [0, n) with `solve` over `threads` contiguous slices, one
// thread each (threads == 0: one per core), with at least min_slice cubics
// per thread, so a count beyond the cubics costs nothing.  The cubics are
// independent and every slice writes only its own outputs, so the bits are
// the same for any number of threads.  An exception in a slice (the batch
// entry's std::bad_alloc) is thrown here once every thread has ended, and
// a thread that cannot be started leaves its slices to the calling thread.
template <class Real>
void solve_split(slice_solver<Real> solve, rows<Real> in, std::size_t n, outputs<Real> out, std::size_t threads) {
  constexpr std::size_t min_slice = 16384;
  std::size_t t = threads > 0 ? threads : std::max(1u, std::thread::hardware_concurrency());
  t = std::max<std::size_t>(1, std::min(t, n / min_slice));
  std::vector<std::exception_ptr> failed(t);
  const auto slice = [&](std::size_t k) noexcept {
    try {
      solve(in, n * k / t, n * (k + 1) / t, out);
    } catch (...) {
      failed[k] = std::current_exception();
    }
  };
  std::vector<std::thread> helpers;
  helpers.reserve(t - 1);
  std::size_t started = 1;
  try {
    for (; started < t; ++started) helpers.emplace_back(slice, started);
  } catch (const std::system_error&) {
  }
  for (std::size_t k = started; k < t; ++k) slice(k);
  slice(0);
  for (std::thread& h : helpers) h.join();
  for (const std::exception_ptr& e : failed) {
    if (e) std::rethrow_exception(e);
  }
}

// coeffs: (n, 4) of Real, highest power first, any strides that are whole
// elements and an aligned start (the Python half copies other arrays);
// each row solved by `solve`.  Returns roots (n, 3) of std::complex<Real>,
// flags (n, 3) int32, solved (n,) bool.
template <class Real>
py::tuple solve_array(const py::array& coeffs, slice_solver<Real> solve, std::size_t threads) {
  if (!py::isinstance<py::array_t<Real, 0>>(coeffs) || coeffs.ndim() != 2 || coeffs.shape(1) != 4)
    throw py::value_error("coefficients must be an array of shape (n, 4) in the solver's native dtype");
  const py::ssize_t n = coeffs.shape(0);
  // A stride along an axis of one element is never used (and numpy does not
  // keep it aligned): taken as 0.
  const py::ssize_t row_bytes = n > 1 ? coeffs.strides(0) : 0;
  const py::ssize_t col_bytes = coeffs.strides(1);
  const auto start = reinterpret_cast<std::uintptr_t>(coeffs.data());
  constexpr py::ssize_t size = sizeof(Real);
  if (n > 0 && (row_bytes % size != 0 || col_bytes % size != 0 || start % alignof(Real) != 0))
    throw py::value_error("coefficients must be aligned, with strides of whole elements");
  const rows<Real> in{static_cast<const Real*>(coeffs.data()), row_bytes / size, col_bytes / size};
  py::array_t<std::complex<Real>> roots({n, py::ssize_t{3}});
  py::array_t<std::int32_t> flags({n, py::ssize_t{3}});
  py::array_t<bool> solved(n);
  const outputs<Real> out{roots.mutable_data(), flags.mutable_data(), solved.mutable_data()};
  {
    py::gil_scoped_release unlocked;
    solve_split(solve, in, static_cast<std::size_t>(n), out, threads);
  }
  return py::make_tuple(roots, flags, solved);
}

// float32 cubics, by the solver one at a time or by the exact engine's
// batch path.
py::tuple solve_float(const py::array& coeffs, bool exact, std::size_t threads) {
  return solve_array<float>(coeffs, exact ? &solve_exact_slice : &solve_each<float, &qubic::solve>, threads);
}

// float64 cubics by the exact engine's double entry: roots complex128.
py::tuple solve_double(const py::array& coeffs, std::size_t threads) {
  return solve_array<double>(coeffs, &solve_exact_double_slice, threads);
}

// float32 cubics by the scalar exact engine, one call per cubic: what the
// batch path must equal bit for bit, for the tests (python/tests).
py::tuple solve_exact_each(const py::array& coeffs, std::size_t threads) {
  return solve_array<float>(coeffs, &solve_each<float, &qubic::solve_exact>, threads);
}

// An output of the batch job in memory, with out_sink's interface for
// record_loop; it grows by doubling and never fails.
class memory_sink {
 public:
  char* reserve(std::size_t n) {
    if (buf_.size() - len_ < n) buf_.resize(std::max(2 * buf_.size(), len_ + n));
    return buf_.data() + len_;
  }
  void commit(const char* end) { len_ = static_cast<std::size_t>(end - buf_.data()); }
  void put(const char* s, std::size_t n) {
    std::memcpy(reserve(n), s, n);
    len_ += n;
  }
  py::bytes bytes() const { return py::bytes(buf_.data(), len_); }
  int error() const { return 0; }

 private:
  std::string buf_;
  std::size_t len_ = 0;
};

// A read-only view of the bytes of a bytes-like object (bytes, bytearray,
// a C-contiguous memoryview, array.array, ...), held until destruction: as
// long as it is held, a bytearray cannot be resized, so the bytes stay put
// while the GIL is released.  Construct and destroy it with the GIL held.
class byte_view {
 public:
  explicit byte_view(py::handle obj) {
    if (PyObject_GetBuffer(obj.ptr(), &view_, PyBUF_SIMPLE) != 0) {
      PyErr_Clear();
      throw py::type_error(std::string("run_batch: test6 must be a bytes-like object (bytes, bytearray, a "
                                       "contiguous memoryview), not ") + Py_TYPE(obj.ptr())->tp_name);
    }
  }
  byte_view(const byte_view&) = delete;
  byte_view& operator=(const byte_view&) = delete;
  ~byte_view() { PyBuffer_Release(&view_); }
  const char* data() const { return static_cast<const char*>(view_.buf); }
  std::size_t size() const { return static_cast<std::size_t>(view_.len); }

 private:
  Py_buffer view_;
};

// The batch job over the bytes of a coefficient file, any bytes-like object.
// Lines are cut as the program's line_reader cuts them: at '\n', a last line
// without one still a record, a '\r' that ends the line dropped, the first
// 64 columns kept and a shorter line padded with blanks.  first_line
// numbers the first line (a block of a larger file reports the file's line
// numbers).  Returns (results6, stdout, message, line): message is None, or
// the program's one-line error for the first field that cannot be read
// (without its '\n') and line that field's line, the outputs then holding
// what the program writes before it stops.
// The records of data[0, n) through loop (record_loop, or the exact
// engine's block_loop); line counts the lines read.  Returns 0, or the
// number of the first field that cannot be read, its record at rec.
template <class Loop>
int run_records(Loop& loop, const char* data, std::size_t n, memory_sink& results, memory_sink& out,
                std::uint64_t& line, char* rec) {
  constexpr std::size_t width = qubic::records::record_width;
  for (std::size_t pos = 0; pos < n;) {
    const char* begin = data + pos;
    const void* nl = std::memchr(begin, '\n', n - pos);
    std::size_t take = nl ? static_cast<std::size_t>(static_cast<const char*>(nl) - begin) : n - pos;
    pos += take + (nl ? 1 : 0);
    ++line;
    if (take > 0 && begin[take - 1] == '\r') --take;
    const std::size_t used = std::min(take, width);
    std::memcpy(rec, begin, used);
    std::memset(rec + used, ' ', width - used);
    if (const int k = loop.step(rec, results, out); k != 0) return k;
  }
  loop.finish(results, out);
  return 0;
}

py::tuple run_batch(const py::object& test6, bool exact, std::uint64_t first_line) {
  const byte_view bytes(test6);
  const char* const data = bytes.data();
  memory_sink results;
  memory_sink out;
  char message[512] = "";
  std::uint64_t line = first_line - 1;
  {
    py::gil_scoped_release unlocked;
    char rec[qubic::records::record_width];
    int k = 0;
    if (exact) {
      qubic::records::block_loop loop;
      k = run_records(loop, data, bytes.size(), results, out, line, rec);
    } else {
      qubic::records::record_loop loop(&::qubic::qubic);
      k = run_records(loop, data, bytes.size(), results, out, line, rec);
    }
    if (k != 0) qubic::records::field_error(message, sizeof message, "test6", line, k, rec);
  }
  py::object msg = py::none();
  if (message[0] != '\0') msg = py::str(std::string(message, std::strlen(message) - 1));
  return py::make_tuple(results.bytes(), out.bytes(), msg, line);
}

// The words for a flag code of either engine.  Codes beyond 32 bits are
// neither engine's: "unknown flag code", as for any other.
std::string flag_meaning(std::int64_t code, bool exact) {
  if (code < std::numeric_limits<std::int32_t>::min() || code > std::numeric_limits<std::int32_t>::max())
    code = std::numeric_limits<std::int32_t>::max();
  const auto c = static_cast<std::int32_t>(code);
  return std::string(exact ? qubic::exact_flag_meaning(c) : qubic::flag_meaning(c));
}

}  // namespace

PYBIND11_MODULE(_qubic, m) {
  m.doc() = "The compiled core of qubic; use the package qubic, not this module.";
  m.attr("__version__") = QUBIC_VERSION;
  m.def("solve_float", &solve_float, py::arg("coeffs"), py::arg("exact"), py::arg("threads"));
  m.def("solve_double", &solve_double, py::arg("coeffs"), py::arg("threads"));
  m.def("solve_exact_each", &solve_exact_each, py::arg("coeffs"), py::arg("threads"));
  m.def("run_batch", &run_batch, py::arg("test6"), py::arg("exact"), py::arg("first_line"));
  m.def("flag_meaning", &flag_meaning, py::arg("code"), py::arg("exact"));
  m.attr("FOUND") = qubic::flag::found;
  m.attr("ALL_ROOTS") = qubic::flag::all_roots;
  m.attr("NO_ROOT") = qubic::flag::no_root;
  m.attr("REFUSED") = qubic::flag::refused;
  m.attr("UNUSABLE") = qubic::flag::unusable;
  m.attr("DEGRADED") = qubic::flag::degraded;
  m.attr("UNCLEAN") = qubic::flag::unclean;
  m.attr("NOT_COMPUTED") = qubic::flag::not_computed;
}
