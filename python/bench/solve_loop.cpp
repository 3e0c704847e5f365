// The C++ library's own loops, for the speed comparison of python/bench.py:
// the cubics of a file of floats (a3 a2 a1 a0 per cubic, native byte
// order) solved by ENGINE, the results stored as the Python module stores
// them (roots, flags, solved in arrays made once, before the timing):
//
//   solve   qubic::solve per cubic (the default)
//   exact   qubic::solve_exact per cubic, the scalar exact engine
//   batch   one call of qubic::solve_exact_batch on the whole array
//   double  qubic::solve_exact_double per cubic, FILE then holding doubles
//   double_batch  one call of qubic::solve_exact_double_batch, FILE holding doubles
//
// Prints the best time per cubic over the repeats, one pass each, in CPU
// time of the thread (on a loaded machine, wall time counts the waits).
//
//   qubic_solve_loop FILE [REPEATS [ENGINE]]
#include <algorithm>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <type_traits>
#include <vector>

#include <qubic/batch.hpp>
#include <qubic/exact.hpp>
#include <qubic/solve.hpp>

namespace {

double cpu_seconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// n cubics of c into r, f, s, one solver call per cubic.
template <class Real, class Solve>
void per_cubic(Solve solve, const Real* c, std::size_t n, std::complex<Real>* r, std::int32_t* f, bool* s) {
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

// The whole file as Reals; false (with a message) when it cannot be read.
template <class Real>
bool read_all(const char* path, std::vector<Real>& c) {
  std::FILE* f = std::fopen(path, "rb");
  if (f == nullptr) {
    std::perror(path);
    return false;
  }
  Real buf[4096];
  for (std::size_t got; (got = std::fread(buf, sizeof(Real), 4096, f)) > 0;) c.insert(c.end(), buf, buf + got);
  std::fclose(f);
  return true;
}

// The timed passes over the cubics of path, in Real; 0, or 1 when the file
// cannot be read.
template <class Real>
int run(const char* path, int repeats, const char* engine) {
  std::vector<Real> c;
  if (!read_all(path, c)) return 1;
  const std::size_t n = c.size() / 4;
  std::vector<std::complex<Real>> roots(3 * n);
  std::vector<std::int32_t> flags(3 * n);
  const std::unique_ptr<bool[]> solved(new bool[n]());

  double best = 1e300;
  for (int r = 0; r < repeats; ++r) {
    const double t0 = cpu_seconds();
    if constexpr (std::is_same_v<Real, double>) {
      if (std::strcmp(engine, "double_batch") == 0) {
        qubic::solve_exact_double_batch(qubic::cubic_view_double{c.data(), n}, roots.data(), flags.data(), solved.get());
      } else {
        per_cubic(&qubic::solve_exact_double, c.data(), n, roots.data(), flags.data(), solved.get());
      }
    } else if (engine[0] == 'b') {
      qubic::solve_exact_batch(qubic::cubic_view{c.data(), n}, roots.data(), flags.data(), solved.get());
    } else if (engine[0] == 'e') {
      per_cubic(&qubic::solve_exact, c.data(), n, roots.data(), flags.data(), solved.get());
    } else {
      per_cubic(&qubic::solve, c.data(), n, roots.data(), flags.data(), solved.get());
    }
    best = std::min(best, cpu_seconds() - t0);
  }
  const std::size_t count = static_cast<std::size_t>(std::count(solved.get(), solved.get() + n, true));
  std::printf("%zu cubics, %zu solved (%s), best of %d: %.6f s, %.1f ns per cubic\n", n, count, engine, repeats,
              best, 1e9 * best / static_cast<double>(n ? n : 1));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const char* engine = argc == 4 ? argv[3] : "solve";
  const bool known = !std::strcmp(engine, "solve") || !std::strcmp(engine, "exact") ||
                     !std::strcmp(engine, "batch") || !std::strcmp(engine, "double") ||
                     !std::strcmp(engine, "double_batch");
  if (argc < 2 || argc > 4 || !known) {
    std::fputs("usage: qubic_solve_loop FILE [REPEATS [solve|exact|batch|double|double_batch]]\n", stderr);
    return 2;
  }
  const int repeats = argc >= 3 ? std::max(1, std::atoi(argv[2])) : 5;
  return engine[0] == 'd' ? run<double>(argv[1], repeats, engine) : run<float>(argv[1], repeats, engine);
}
