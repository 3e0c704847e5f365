// Exact real roots by Sturm's theorem (see sturm.hpp for the argument).
#include "exact/sturm.hpp"

#include <algorithm>
#include <cstdlib>

namespace qubic::test::exact {
namespace {

void require(bool ok) {  // an assumption of the proof failed: stop loudly
  if (!ok) std::abort();
}

// Sign changes of the chain at t, zeros skipped.
template <class Sign>
int variations(std::size_t n, Sign sign) {
  int count = 0, last = 0;
  for (std::size_t k = 0; k < n; ++k) {
    const int v = sign(k);
    if (v != 0 && last != 0 && v != last) ++count;
    if (v != 0) last = v;
  }
  return count;
}

// floor(log2 x) for x > 0.
int floor_log2(const Q& x) {
  int e = static_cast<int>(mpz_sizeinbase(x.get_num_mpz_t(), 2)) - static_cast<int>(mpz_sizeinbase(x.get_den_mpz_t(), 2));
  while (power_of_two(e) > x) --e;
  while (power_of_two(e + 1) <= x) ++e;
  return e;
}

}  // namespace

void trim(poly& p) {
  while (!p.empty() && p.back() == 0) p.pop_back();
}

int degree(const poly& p) { return static_cast<int>(p.size()) - 1; }

poly derivative(const poly& p) {
  poly d;
  for (std::size_t k = 1; k < p.size(); ++k) d.push_back(p[k] * static_cast<long>(k));
  trim(d);
  return d;
}

std::pair<poly, poly> divide(poly a, const poly& b) {
  poly quotient(std::max(0, degree(a) - degree(b) + 1));
  while (degree(a) >= degree(b)) {
    const Q f = a.back() / b.back();
    const int shift = degree(a) - degree(b);
    quotient[shift] = f;
    for (std::size_t i = 0; i < b.size(); ++i) a[i + shift] -= f * b[i];
    require(a.back() == 0);
    a.pop_back();
    trim(a);
  }
  return {quotient, a};
}

poly compose(const poly& p, const poly& inner) {
  poly out;
  for (std::size_t k = p.size(); k-- > 0;) {  // Horner: out = out * inner + p_k
    poly next(out.empty() ? 1 : out.size() + inner.size() - 1);
    for (std::size_t i = 0; i < out.size(); ++i)
      for (std::size_t j = 0; j < inner.size(); ++j) next[i + j] += out[i] * inner[j];
    next[0] += p[k];
    trim(next);
    out = std::move(next);
  }
  return out;
}

poly monic_gcd(poly a, poly b) {
  while (!b.empty()) a = std::exchange(b, divide(a, b).second);
  const Q lead = a.back();
  for (Q& c : a) c /= lead;
  return a;
}

Q power_of_two(int e) {
  Q x = 1;
  if (e >= 0) mpq_mul_2exp(x.get_mpq_t(), x.get_mpq_t(), e);
  else mpq_div_2exp(x.get_mpq_t(), x.get_mpq_t(), -e);
  return x;
}

int sign_at(const poly& p, const Q& x) {
  Q v = 0;
  for (std::size_t k = p.size(); k-- > 0;) v = v * x + p[k];
  return sgn(v);
}

int_poly::int_poly(const poly& p) {
  require(!p.empty());
  mpz_class common = 1;  // the least common multiple of the denominators
  for (const Q& c : p) mpz_lcm(common.get_mpz_t(), common.get_mpz_t(), c.get_den_mpz_t());
  for (const Q& c : p) c_.push_back(c.get_num() * (common / c.get_den()));
}

// Horner in n with the powers of d folded in: v_deg = c_deg,
// v_k = v_(k+1) n + c_k d^(deg-k), so v_0 = d^deg p(n/d), d > 0.  When d is
// a power of two 2^e (every midpoint of the rounding), c_k d^(deg-k) is a
// shift by e (deg - k).
int int_poly::sign_at(const Q& t) const {
  const mpz_class& n = t.get_num();
  const mpz_class& d = t.get_den();
  mpz_class v = c_.back();
  if (mpz_popcount(d.get_mpz_t()) == 1) {
    const mp_bitcnt_t e = mpz_sizeinbase(d.get_mpz_t(), 2) - 1;
    for (std::size_t k = c_.size() - 1; k-- > 0;) v = v * n + (c_[k] << (e * (c_.size() - 1 - k)));
    return sgn(v);
  }
  mpz_class dk = 1;
  for (std::size_t k = c_.size() - 1; k-- > 0;) {
    dk *= d;
    v = v * n + c_[k] * dk;
  }
  return sgn(v);
}

sturm_chain::sturm_chain(const poly& p) {
  require(degree(p) >= 1);
  std::vector<poly> seq{p, derivative(p)};
  while (degree(seq.back()) > 0) {
    poly r = divide(seq[seq.size() - 2], seq.back()).second;
    for (Q& c : r) c = -c;
    require(!r.empty());  // square-free: the chain ends in a nonzero constant
    seq.push_back(std::move(r));
  }
  for (const poly& s : seq) seq_.emplace_back(s);
  lead_ = seq_.front().lead_sign();
  below_all_ = variations(seq_.size(), [&](std::size_t k) { return seq_[k].degree() % 2 == 0 ? seq_[k].lead_sign() : -seq_[k].lead_sign(); });
  roots_ = below_all_ - variations(seq_.size(), [&](std::size_t k) { return seq_[k].lead_sign(); });

  Q ratio = 0;
  for (int k = 0; k < degree(p); ++k) ratio = std::max(ratio, Q(abs(p[k] / p.back())));
  bound_ = power_of_two(floor_log2(1 + ratio) + 1);
}

int sturm_chain::at_or_below(const Q& t) const {
  return below_all_ - variations(seq_.size(), [&](std::size_t k) { return seq_[k].sign_at(t); });
}

real_root::real_root(const sturm_chain& chain, int i) : chain_(&chain), i_(i), below_hi_(chain.roots()) {
  require(1 <= i && i <= chain.roots());
}

real_root real_root::rational(const Q& x) {
  real_root r;
  r.set_exact(x);
  return r;
}

void real_root::set_exact(const Q& t) {
  lo_ = hi_ = t;
  has_lo_ = has_hi_ = exact_ = true;
}

int real_root::compare(const Q& t) {
  if (exact_) return sgn(lo_ - t);
  if (has_lo_ && t <= lo_) return 1;
  if (has_hi_ && t > hi_) return -1;
  // Now lo < t <= hi.
  const int s = chain_->sign(t);
  if (below_lo_ == i_ - 1 && below_hi_ == i_) {  // r is the only root in (lo, hi]
    if (s == 0) {
      set_exact(t);
      return 0;
    }
    const bool below_r = s == chain_->sign_between(i_);
    (below_r ? lo_ : hi_) = t;
    (below_r ? has_lo_ : has_hi_) = true;
    return below_r ? 1 : -1;
  }
  const int k = chain_->at_or_below(t);
  if (k < i_) {
    lo_ = t;
    has_lo_ = true;
    below_lo_ = k;
    return 1;
  }
  if (s == 0 && k == i_) {  // t is a root, the i-th
    set_exact(t);
    return 0;
  }
  hi_ = t;
  has_hi_ = true;
  below_hi_ = k;
  return -1;
}

void real_root::bounded() {
  if (exact_) return;
  if (!has_lo_) {
    lo_ = -chain_->bound();
    has_lo_ = true;
    below_lo_ = 0;
  }
  if (!has_hi_) {
    hi_ = chain_->bound();
    has_hi_ = true;
    below_hi_ = chain_->roots();
  }
}

void real_root::narrow() {
  if (exact_) return;
  require(has_lo_ && has_hi_);
  Q t = (lo_ + hi_) / 2;
  if (sgn(lo_) < 0 && sgn(hi_) > 0) {
    t = 0;
  } else if (sgn(lo_) == 0 || sgn(hi_) == 0) {  // 2^-64 of the other end: 64 bits a step towards 0
    t = (sgn(lo_) == 0 ? hi_ : lo_) / power_of_two(64);
  } else {
    const Q a = abs(lo_), b = abs(hi_);
    const Q& small = std::min(a, b);
    const Q& large = std::max(a, b);
    if (large > 4 * small) {  // floor(log2) differ by 2 or more: a power of two strictly between
      const int es = floor_log2(small), el = floor_log2(large);
      t = power_of_two(es + (el - es) / 2);
      if (sgn(lo_) < 0) t = -t;
    }
  }
  compare(t);
}

}  // namespace qubic::test::exact
