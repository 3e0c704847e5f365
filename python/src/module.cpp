// qubic._qubic: the compiled half of the Python module.  The Python half
// (qubic/_solve.py) checks the arguments, rounds and broadcasts the
// coefficients with numpy and hands this module one C-contiguous array of
// shape (n, 4) in the precision of the solver; every loop over cubics or
// records is here, with the GIL released.
#include <pybind11/complex.h>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <algorithm>
#include <complex>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include <qubic/exact.hpp>
#include <qubic/solve.hpp>

#include "records/record_loop.hpp"

#ifndef QUBIC_VERSION
#error "QUBIC_VERSION must be defined by the build"
#endif

namespace py = pybind11;

namespace {

// Solves the n cubics of c into r, f, s with the solver `solve`, whose
// coefficients and roots are of type Real.
template <class Real, class Solve>
void solve_all(Solve solve, const Real* c, std::size_t n, std::complex<Real>* r, std::int32_t* f, bool* s) {
  for (std::size_t i = 0; i < n; ++i) {
    const Real* a = c + 4 * i;
    const qubic::basic_solution<Real> sol = solve(a[0], a[1], a[2], a[3]);
    for (int k = 0; k < 3; ++k) {
      r[3 * i + k] = sol.root[k];
      f[3 * i + k] = sol.flag[k];
    }
    s[i] = sol.solved();
  }
}

// solve_all over `threads` contiguous slices of the n cubics, one thread
// each (threads == 0: one per core), with at least min_slice cubics per
// thread, so a count beyond the cubics costs nothing.  The cubics are
// independent and every slice writes only its own outputs, so the bits are
// the same for any number of threads.
template <class Real, class Solve>
void solve_split(Solve solve, const Real* c, std::size_t n, std::complex<Real>* r, std::int32_t* f, bool* s,
                 std::size_t threads) {
  constexpr std::size_t min_slice = 16384;
  std::size_t t = threads > 0 ? threads : std::max(1u, std::thread::hardware_concurrency());
  t = std::max<std::size_t>(1, std::min(t, n / min_slice));
  std::vector<std::thread> helpers;
  helpers.reserve(t - 1);
  for (std::size_t k = 1; k < t; ++k) {
    const std::size_t b = n * k / t;
    const std::size_t e = n * (k + 1) / t;
    helpers.emplace_back([=] { solve_all(solve, c + 4 * b, e - b, r + 3 * b, f + 3 * b, s + b); });
  }
  solve_all(solve, c, n / t, r, f, s);
  for (std::thread& h : helpers) h.join();
}

template <class Real>
using solver_of = qubic::basic_solution<Real> (*)(Real, Real, Real, Real);

// coeffs: (n, 4) of Real, highest power first, each row solved by `solver`.
// Returns roots (n, 3) of std::complex<Real>, flags (n, 3) int32, solved
// (n,) bool.
template <class Real>
py::tuple solve_array(const py::array_t<Real, py::array::c_style>& coeffs, solver_of<Real> solver,
                      std::size_t threads) {
  if (coeffs.ndim() != 2 || coeffs.shape(1) != 4) throw py::value_error("coefficients must have shape (n, 4)");
  const py::ssize_t n = coeffs.shape(0);
  py::array_t<std::complex<Real>> roots({n, py::ssize_t{3}});
  py::array_t<std::int32_t> flags({n, py::ssize_t{3}});
  py::array_t<bool> solved(n);
  const Real* c = coeffs.data();
  std::complex<Real>* r = roots.mutable_data();
  std::int32_t* f = flags.mutable_data();
  bool* s = solved.mutable_data();
  {
    py::gil_scoped_release unlocked;
    solve_split(solver, c, static_cast<std::size_t>(n), r, f, s, threads);
  }
  return py::make_tuple(roots, flags, solved);
}

// float32 cubics, by either engine.
py::tuple solve_float(const py::array_t<float, py::array::c_style>& coeffs, bool exact, std::size_t threads) {
  return solve_array<float>(coeffs, exact ? &qubic::solve_exact : &qubic::solve, threads);
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
py::tuple run_batch(const py::object& test6, bool exact, std::uint64_t first_line) {
  const byte_view bytes(test6);
  const char* const data = bytes.data();
  memory_sink results;
  memory_sink out;
  char message[512] = "";
  std::uint64_t line = first_line - 1;
  {
    py::gil_scoped_release unlocked;
    qubic::records::record_loop loop(exact ? &::qubic::qubic_exact : &::qubic::qubic);
    const std::size_t n = bytes.size();
    constexpr std::size_t width = qubic::records::record_width;
    char rec[width];
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
      if (const int k = loop.step(rec, results, out); k != 0) {
        qubic::records::field_error(message, sizeof message, "test6", line, k, rec);
        break;
      }
    }
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
