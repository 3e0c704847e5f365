// The C++ library's own loop, for the speed comparison of python/bench.py:
// qubic::solve over the cubics of a file of floats (a3 a2 a1 a0 per cubic,
// native byte order), the results stored as the Python module stores them.
// Prints the best time per cubic over the repeats.
//
//   qubic_solve_loop FILE [REPEATS]
#include <algorithm>
#include <chrono>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <qubic/solve.hpp>

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fputs("usage: qubic_solve_loop FILE [REPEATS]\n", stderr);
    return 2;
  }
  const int repeats = argc == 3 ? std::max(1, std::atoi(argv[2])) : 5;
  std::FILE* f = std::fopen(argv[1], "rb");
  if (f == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  std::vector<float> c;
  float buf[4096];
  for (std::size_t got; (got = std::fread(buf, sizeof(float), 4096, f)) > 0;) c.insert(c.end(), buf, buf + got);
  std::fclose(f);
  const std::size_t n = c.size() / 4;
  std::vector<std::complex<float>> roots(3 * n);
  std::vector<std::int32_t> flags(3 * n);
  std::vector<unsigned char> solved(n);

  double best = 1e300;
  for (int r = 0; r < repeats; ++r) {
    const auto t0 = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < n; ++i) {
      const float* a = &c[4 * i];
      const qubic::solution s = qubic::solve(a[0], a[1], a[2], a[3]);
      for (int k = 0; k < 3; ++k) {
        roots[3 * i + k] = s.root[k];
        flags[3 * i + k] = s.flag[k];
      }
      solved[i] = s.solved();
    }
    const std::chrono::duration<double> dt = std::chrono::steady_clock::now() - t0;
    best = std::min(best, dt.count());
  }
  std::size_t count = 0;
  for (unsigned char s : solved) count += s;
  std::printf("%zu cubics, %zu solved, best of %d: %.6f s, %.1f ns per cubic\n", n, count, repeats, best,
              1e9 * best / static_cast<double>(n ? n : 1));
  return 0;
}
