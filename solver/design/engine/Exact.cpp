#include "Exact.h"

#include <bit>
#include <cmath>
#include <limits>

#include "TextFormat.h"

namespace quenmar::design::detail {

namespace {

constexpr u128 kHuge = ~u128{0};

int BitLength(u128 v) {
  const auto high = static_cast<std::uint64_t>(v >> 64);
  if (high != 0) return 128 - std::countl_zero(high);
  return 64 - std::countl_zero(static_cast<std::uint64_t>(v));
}

// "%W.3f" of n / 1000.
void AppendThousandthsText(std::string& out, const mpz_class& n, int width) {
  std::string digits = n.get_str();
  if (digits.size() < 4) digits.insert(0, 4 - digits.size(), '0');
  digits.insert(digits.size() - 3, 1, '.');
  if (static_cast<int>(digits.size()) < width) out.append(static_cast<std::size_t>(width) - digits.size(), ' ');
  out += digits;
}

void AppendThousandthsText(std::string& out, u128 n, int width) {
  char buffer[48];
  int at = sizeof buffer;
  for (int place = 0; place < 4 || n != 0; ++place) {
    if (place == 3) buffer[--at] = '.';
    buffer[--at] = static_cast<char>('0' + static_cast<int>(n % 10));
    n /= 10;
  }
  const int length = static_cast<int>(sizeof buffer) - at;
  if (length < width) out.append(static_cast<std::size_t>(width - length), ' ');
  out.append(buffer + at, static_cast<std::size_t>(length));
}

// round(1000 * x / y), halves to even, when it can be done in 128 bits.
std::optional<u128> Thousandths(u128 x, u128 y) {
  if (y >= (u128{1} << 120)) return std::nullopt;
  u128 n = x / y, r = x % y;
  if (n > (u128{1} << 100)) return std::nullopt;
  for (int place = 0; place < 3; ++place) {
    r *= 10;
    n = n * 10 + r / y;
    r %= y;
  }
  if (2 * r > y || (2 * r == y && n % 2 == 1)) ++n;
  return n;
}

mpz_class Thousandths(const mpq_class& q) {
  const mpz_class scaled = q.get_num() * 1000;
  mpz_class n, r;
  mpz_fdiv_qr(n.get_mpz_t(), r.get_mpz_t(), scaled.get_mpz_t(), q.get_den().get_mpz_t());
  const int half = cmp(2 * r, q.get_den());
  if (half > 0 || (half == 0 && mpz_odd_p(n.get_mpz_t()))) ++n;
  return n;
}

}  // namespace

int CompareQuotients(u128 x1, u128 y1, u128 x2, u128 y2) {
  // x1/y1 against x2/y2: compare the integer parts; when they agree, the fractional
  // parts r1/y1 and r2/y2 compare the other way round from y1/r1 and y2/r2.
  int sign = 1;
  for (;;) {
    // Most terms fit 64 bits, where division is several times faster.
    const bool narrow = ((x1 | y1 | x2 | y2) >> 64) == 0;
    const u128 q1 = narrow ? u128{static_cast<std::uint64_t>(x1) / static_cast<std::uint64_t>(y1)} : x1 / y1;
    const u128 q2 = narrow ? u128{static_cast<std::uint64_t>(x2) / static_cast<std::uint64_t>(y2)} : x2 / y2;
    if (q1 != q2) return q1 < q2 ? -sign : sign;
    const u128 r1 = x1 - q1 * y1, r2 = x2 - q2 * y2;
    if (r1 == 0 || r2 == 0) {
      if (r1 == r2) return 0;
      return r1 == 0 ? -sign : sign;
    }
    x1 = y1;
    y1 = r1;
    x2 = y2;
    y2 = r2;
    sign = -sign;
  }
}

double QuotientToDouble(u128 x, u128 y) {
  if (x == 0) return 0.0;
  // Long division to 64 significant bits, the rest folded into a sticky lowest bit, so
  // the one conversion to double rounds exactly as the exact quotient would.
  u128 q = x / y, r = x % y;
  int exponent = 0;
  bool sticky = false;
  if (q >> 64 != 0) {
    const int shift = BitLength(q) - 64;
    sticky = (q & ((u128{1} << shift) - 1)) != 0 || r != 0;
    q >>= shift;
    exponent = shift;
  } else {
    // r < y <= 2^127, so r << 1 cannot overflow.
    while (q >> 63 == 0) {
      r <<= 1;
      q <<= 1;
      --exponent;
      if (r >= y) {
        r -= y;
        q |= 1;
      }
    }
    sticky = r != 0;
  }
  const std::uint64_t mantissa = static_cast<std::uint64_t>(q) | (sticky ? 1u : 0u);
  return std::ldexp(static_cast<double>(mantissa), exponent);
}

mpq_class ToGmp(const Rational& r) {
  mpq_class q{mpz_class(r.Numerator()), mpz_class(r.Denominator())};
  q.canonicalize();
  return q;
}

Rational FromGmp(const mpq_class& q) {
  return *Rational::FromDigits(q.get_num().get_str(), q.get_den().get_str());
}

mpz_class ToGmp(u128 v) {
  mpz_class high(static_cast<unsigned long>(v >> 64)), low(static_cast<unsigned long>(v));
  return (high << 64) + low;
}

double ExactToDouble(const mpq_class& q) {
  if (q == 0) return 0.0;
  // 64 significant bits of the quotient and a sticky bit, as QuotientToDouble does.
  const mpz_class& num = q.get_num();
  const mpz_class& den = q.get_den();
  long shift = 65 - static_cast<long>(mpz_sizeinbase(num.get_mpz_t(), 2)) +
               static_cast<long>(mpz_sizeinbase(den.get_mpz_t(), 2));
  mpz_class scaled = shift >= 0 ? mpz_class(num << static_cast<unsigned long>(shift)) : num;
  const mpz_class divisor = shift >= 0 ? den : mpz_class(den << static_cast<unsigned long>(-shift));
  mpz_class quotient, rest;
  mpz_fdiv_qr(quotient.get_mpz_t(), rest.get_mpz_t(), scaled.get_mpz_t(), divisor.get_mpz_t());
  // The quotient has 64 to 66 bits; keep 64, folding the rest into the sticky bit.
  const long extra = static_cast<long>(mpz_sizeinbase(quotient.get_mpz_t(), 2)) - 64;
  bool sticky = rest != 0;
  if (extra > 0) {
    sticky = sticky || mpz_scan1(quotient.get_mpz_t(), 0) < static_cast<mp_bitcnt_t>(extra);
    quotient >>= static_cast<unsigned long>(extra);
    shift -= extra;
  }
  const std::uint64_t mantissa = quotient.get_ui() | (sticky ? 1u : 0u);
  return std::ldexp(static_cast<double>(mantissa), static_cast<int>(-shift));
}

void AppendRounded(std::string& out, const Fraction& value, int width) {
  if (const auto n = Thousandths(value.num, value.den)) return AppendThousandthsText(out, *n, width);
  AppendRounded(out, mpq_class(ToGmp(u128{value.num}), ToGmp(u128{value.den})), width);
}

void AppendRounded(std::string& out, const mpq_class& value, int width) {
  AppendThousandthsText(out, Thousandths(value), width);
}

std::uint64_t Thousandths(const Fraction& value) {
  if (const auto n = Thousandths(value.num, value.den)) return static_cast<std::uint64_t>(*n);
  return Thousandths(mpq_class(ToGmp(u128{value.num}), ToGmp(u128{value.den}))).get_ui();
}

void AppendThousandths(std::string& out, std::uint64_t thousandths, int width) {
  AppendThousandthsText(out, u128{thousandths}, width);
}

ContinuedFraction::ContinuedFraction(const mpq_class& value) {
  mpz_class p = value.get_num(), q = value.get_den();
  const mpz_class huge = mpz_class(1) << 127;
  while (q != 0) {
    mpz_class t, r;
    mpz_fdiv_qr(t.get_mpz_t(), r.get_mpz_t(), p.get_mpz_t(), q.get_mpz_t());
    if (t >= huge) {
      terms_.push_back(kHuge);  // no quotient the search forms reaches it
      break;
    }
    const mpz_class high = t >> 64, low = t - (high << 64);
    terms_.push_back((u128{high.get_ui()} << 64) | u128{low.get_ui()});
    p = q;
    q = r;
  }
}

int ContinuedFraction::Compare(u128 x, u128 y) const {
  int sign = 1;
  for (std::size_t i = 0;; ++i) {
    const u128 q = (x >> 64 == 0 && y >> 64 == 0)
                       ? u128{static_cast<std::uint64_t>(x) / static_cast<std::uint64_t>(y)}
                       : x / y;
    if (q != terms_[i]) return q < terms_[i] ? -sign : sign;
    const u128 r = x - q * y;
    const bool valueEnds = i + 1 == terms_.size();
    if (r == 0 || valueEnds) {
      if (r == 0 && valueEnds) return 0;
      return r == 0 ? -sign : sign;
    }
    x = y;
    y = r;
    sign = -sign;
  }
}

TargetArithmetic::TargetArithmetic(const Rational& target)
    : value_(ToGmp(target)), valueDouble_(ExactToDouble(value_)), cf_(value_) {
  if (const auto f = target.AsFraction()) {
    small_ = true;
    tn_ = f->num;
    td_ = f->den;
  }
}

int TargetArithmetic::Side(std::uint64_t num, std::uint64_t den) const {
  if (small_) {
    const u128 a = u128{num} * td_, b = u128{tn_} * den;
    return (a > b) - (a < b);
  }
  return cf_.Compare(num, den);
}

int TargetArithmetic::CompareDifferences(const Fraction& a, const Fraction& b) const {
  if (small_) return CompareQuotients(ScaledDifference(a), a.den, ScaledDifference(b), b.den);
  const int sa = Side(a), sb = Side(b);
  if (sa == 0 || sb == 0) return sb == 0 ? (sa != 0) : -1;
  if (sa == sb) return sa * Compare(a, b);
  // On either side: a is closer when (a + b) / 2 lies on b's side of the target.
  const u128 p1 = u128{a.num} * b.den, p2 = u128{b.num} * a.den, dens = u128{a.den} * b.den;
  constexpr u128 kBelow126 = u128{1} << 126;
  if (p1 < kBelow126 && p2 < kBelow126 && dens < kBelow126) return sa * cf_.Compare(p1 + p2, 2 * dens);
  const int c = cmp(mpq_class(ToGmp(p1) + ToGmp(p2), 2 * ToGmp(dens)), value_);
  return sa * ((c > 0) - (c < 0));
}

mpq_class TargetArithmetic::ExactDifference(const Fraction& r) const {
  mpq_class d = mpq_class(ToGmp(u128{r.num}), ToGmp(u128{r.den})) - value_;
  d.canonicalize();
  return abs(d);
}

double TargetArithmetic::Difference(const Fraction& r) const {
  if (small_ && r.den <= std::numeric_limits<std::uint64_t>::max() >> 2 && td_ <= std::numeric_limits<std::uint64_t>::max() >> 2)
    return QuotientToDouble(ScaledDifference(r), u128{r.den} * td_);
  return ExactToDouble(ExactDifference(r));
}

double TargetArithmetic::RelativePpm(const Fraction& r) const {
  if (value_ == 0) return 0.0;
  if (small_ && r.den <= std::numeric_limits<std::uint64_t>::max() >> 2 && tn_ <= std::numeric_limits<std::uint64_t>::max() >> 2)
    return 1e6 * QuotientToDouble(ScaledDifference(r), u128{r.den} * tn_);
  return 1e6 * ExactToDouble(ExactDifference(r) / value_);
}

void TargetArithmetic::AppendDifference(std::string& out, const Fraction& r, int width) const {
  AppendThousandths(out, DifferenceThousandths(r), width);
}

std::uint64_t TargetArithmetic::DifferenceThousandths(const Fraction& r) const {
  if (small_ && r.den <= std::numeric_limits<std::uint64_t>::max() >> 2 && td_ <= std::numeric_limits<std::uint64_t>::max() >> 2) {
    if (const auto n = Thousandths(ScaledDifference(r), u128{r.den} * td_)) return static_cast<std::uint64_t>(*n);
  }
  return Thousandths(ExactDifference(r)).get_ui();
}

mpq_class Acceptance::Bound(const Rational& target, const std::optional<Tolerance>& tolerance, int side) {
  const mpq_class t = ToGmp(target), a = ToGmp(tolerance->amount);
  mpq_class bound;
  switch (tolerance->unit) {
    case Tolerance::Unit::Absolute: bound = t + side * a; break;
    case Tolerance::Unit::Ppm: bound = t * (1 + side * a / 1'000'000); break;
    case Tolerance::Unit::Percent: bound = t * (1 + side * a / 100); break;
  }
  bound.canonicalize();
  return bound < 0 ? mpq_class(0) : bound;
}

Acceptance::Acceptance(const Rational& target, const std::optional<Tolerance>& tolerance)
    : bounded_(tolerance.has_value()),
      low_(bounded_ ? Bound(target, tolerance, -1) : mpq_class(0)),
      high_(bounded_ ? Bound(target, tolerance, 1) : mpq_class(0)) {
  if (!bounded_) {
    highDouble_ = std::numeric_limits<double>::infinity();
    return;
  }
  const mpq_class low = Bound(target, tolerance, -1), high = Bound(target, tolerance, 1);
  lowDouble_ = ExactToDouble(low);
  if (mpq_class(lowDouble_) > low) lowDouble_ = std::nextafter(lowDouble_, 0.0);
  highDouble_ = ExactToDouble(high);
  if (mpq_class(highDouble_) < high) highDouble_ = std::nextafter(highDouble_, std::numeric_limits<double>::infinity());
}

std::string ToDecimal(u128 v) {
  if (v == 0) return "0";
  std::string s;
  while (v != 0) {
    s.insert(s.begin(), static_cast<char>('0' + static_cast<int>(v % 10)));
    v /= 10;
  }
  return s;
}

}  // namespace quenmar::design::detail
