// qubic._qubic: the compiled half of the Python module.  The Python half
// (qubic/__init__.py) rounds and broadcasts the coefficients with numpy and
// hands this module one C-contiguous float32 array of shape (n, 4); every
// loop over cubics or records is here, with the GIL released.
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

namespace py = pybind11;

namespace {

// Solves the n cubics of c into r, f, s with the solver `solve`.
template <class Solve>
void solve_all(Solve solve, const float* c, std::size_t n, std::complex<float>* r, std::int32_t* f, bool* s) {
  for (std::size_t i = 0; i < n; ++i) {
    const float* a = c + 4 * i;
    const qubic::solution sol = solve(a[0], a[1], a[2], a[3]);
    for (int k = 0; k < 3; ++k) {
      r[3 * i + k] = sol.root[k];
      f[3 * i + k] = sol.flag[k];
    }
    s[i] = sol.solved();
  }
}

// solve_all over `threads` contiguous slices of the n cubics, one thread
// each (threads <= 0: one per core), with at least min_slice cubics per
// thread.  The cubics are independent and every slice writes only its own
// outputs, so the bits are the same for any number of threads.
template <class Solve>
void solve_split(Solve solve, const float* c, std::size_t n, std::complex<float>* r, std::int32_t* f, bool* s,
                 int threads) {
  constexpr std::size_t min_slice = 16384;
  std::size_t t = threads > 0 ? static_cast<std::size_t>(threads) : std::max(1u, std::thread::hardware_concurrency());
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

// coeffs: (n, 4) float32, highest power first.  Returns roots (n, 3)
// complex64, flags (n, 3) int32, solved (n,) bool.
py::tuple solve_array(const py::array_t<float, py::array::c_style>& coeffs, bool exact, int threads) {
  if (coeffs.ndim() != 2 || coeffs.shape(1) != 4) throw py::value_error("coefficients must have shape (n, 4)");
  const py::ssize_t n = coeffs.shape(0);
  py::array_t<std::complex<float>> roots({n, py::ssize_t{3}});
  py::array_t<std::int32_t> flags({n, py::ssize_t{3}});
  py::array_t<bool> solved(n);
  const float* c = coeffs.data();
  std::complex<float>* r = roots.mutable_data();
  std::int32_t* f = flags.mutable_data();
  bool* s = solved.mutable_data();
  {
    py::gil_scoped_release unlocked;
    if (exact) {
      solve_split(&qubic::solve_exact, c, static_cast<std::size_t>(n), r, f, s, threads);
    } else {
      solve_split(&qubic::solve, c, static_cast<std::size_t>(n), r, f, s, threads);
    }
  }
  return py::make_tuple(roots, flags, solved);
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

// The batch job over the bytes of a coefficient file.  Lines are cut as the
// program's line_reader cuts them: at '\n', a last line without one still a
// record, a '\r' that ends the line dropped, the first 64 columns kept and a
// shorter line padded with blanks.  first_line numbers the first line (a
// block of a larger file reports the file's line numbers).  Returns
// (results6, stdout, message, line): message is None, or the program's
// one-line error for the first field that cannot be read (without its '\n')
// and line that field's line, the outputs then holding what the program
// writes before it stops.
py::tuple run_batch(const py::bytes& test6, bool exact, std::uint64_t first_line) {
  char* data = nullptr;
  py::ssize_t size = 0;
  if (PyBytes_AsStringAndSize(test6.ptr(), &data, &size) != 0) throw py::error_already_set();
  memory_sink results;
  memory_sink out;
  char message[512] = "";
  std::uint64_t line = first_line - 1;
  {
    py::gil_scoped_release unlocked;
    qubic::records::record_loop loop(exact ? &::qubic::qubic_exact : &::qubic::qubic);
    const std::size_t n = static_cast<std::size_t>(size);
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

std::string flag_meaning(std::int64_t code) {
  // Codes beyond 32 bits are not the solver's either.
  if (code < std::numeric_limits<std::int32_t>::min() || code > std::numeric_limits<std::int32_t>::max())
    code = std::numeric_limits<std::int32_t>::max();
  return std::string(qubic::flag_meaning(static_cast<std::int32_t>(code)));
}

}  // namespace

PYBIND11_MODULE(_qubic, m) {
  m.doc() = "The compiled core of qubic; use the package qubic, not this module.";
  m.def("solve_array", &solve_array, py::arg("coeffs"), py::arg("exact"), py::arg("threads"));
  m.def("run_batch", &run_batch, py::arg("test6"), py::arg("exact"), py::arg("first_line"));
  m.def("flag_meaning", &flag_meaning, py::arg("code"));
  m.attr("FOUND") = qubic::flag::found;
  m.attr("ALL_ROOTS") = qubic::flag::all_roots;
  m.attr("NO_ROOT") = qubic::flag::no_root;
  m.attr("REFUSED") = qubic::flag::refused;
  m.attr("UNUSABLE") = qubic::flag::unusable;
  m.attr("DEGRADED") = qubic::flag::degraded;
  m.attr("UNCLEAN") = qubic::flag::unclean;
  m.attr("NOT_COMPUTED") = qubic::flag::not_computed;
}
