// The answers of one call of a batch entry, float or double: roots, flags
// and solved prefilled with sentinels (a NaN no computation makes, flag 7,
// solved 2), `tail` entries more past the end, which the entry must leave
// as they are.
#ifndef QUBIC_TESTS_BATCH_ANSWERS_HPP
#define QUBIC_TESTS_BATCH_ANSWERS_HPP

#include <bit>
#include <complex>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

namespace qubic::test {

template <class T>
struct batch_answers {
  using word = std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>;
  static constexpr word sentinel = static_cast<word>(sizeof(T) == 4 ? 0x7FA5A5A5u : 0x7FF5A5A5A5A5A5A5u);
  static constexpr std::size_t tail = 5;

  std::vector<std::complex<T>> roots;
  std::vector<std::int32_t> flags;
  std::vector<char> solved;  // bool, as bytes

  explicit batch_answers(std::size_t n)
      : roots(3 * n + tail, {std::bit_cast<T>(sentinel), std::bit_cast<T>(sentinel)}),
        flags(3 * n + tail, 7),
        solved(n + tail, 2) {}

  bool* solved_data() { return reinterpret_cast<bool*>(solved.data()); }

  // The entries past n cubics still hold their sentinels.
  bool tail_untouched(std::size_t n) const {
    bool ok = true;
    for (std::size_t t = 0; t < tail; ++t) {
      const std::complex<T> r = roots[3 * n + t];
      ok = ok && std::bit_cast<word>(r.real()) == sentinel && std::bit_cast<word>(r.imag()) == sentinel &&
           flags[3 * n + t] == 7 && solved[n + t] == 2;
    }
    return ok;
  }
};

}  // namespace qubic::test

#endif  // QUBIC_TESTS_BATCH_ANSWERS_HPP
