#pragma once
// Exact arithmetic about a target: where a reduction lies from it, which of two is
// closer, whether one is within the tolerance, and their differences rounded once for
// printing. A target or tolerance may be a rational of any size (1e-20 is 1/10^20; a
// thread of module pitch is a long rational near pi); a reduction is a fraction of
// 64-bit parts. Comparisons never form a product that could overflow: where the target's
// parts fit 64 bits they cross-multiply in 128 bits, elsewhere they walk the target's
// continued fraction, computed once; GMP is used only to set things up and for the rare
// quantities that need more than 128 bits.

#include <gmpxx.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "DesignSearch.h"

namespace quenmar::design::detail {

using u128 = unsigned __int128;

// The exact order of x1/y1 and x2/y2 (y1, y2 > 0) for any 128-bit parts, by comparing
// their continued fractions term by term: never a product, so never an overflow.
int CompareQuotients(u128 x1, u128 y1, u128 x2, u128 y2);

// The exact quotient x / y (y > 0; x, y < 2^127) rounded once to the nearest double.
double QuotientToDouble(u128 x, u128 y);

mpq_class ToGmp(const Rational& r);
Rational FromGmp(const mpq_class& q);
mpz_class ToGmp(u128 v);
// The nearest double to an exact non-negative rational (halves to even).
double ExactToDouble(const mpq_class& q);

// "%W.3f" of an exact non-negative value: rounded once to three places, halves to even.
void AppendRounded(std::string& out, const Fraction& value, int width);
void AppendRounded(std::string& out, const mpq_class& value, int width);
// The same value in thousandths, and its "%W.3f" text from them.
std::uint64_t Thousandths(const Fraction& value);
void AppendThousandths(std::string& out, std::uint64_t thousandths, int width);

// A non-negative rational of any size as its continued fraction, to compare quotients
// of 128-bit parts with it.
class ContinuedFraction {
 public:
  explicit ContinuedFraction(const mpq_class& value);
  // The sign of x/y - value (y > 0, x and y below 2^127).
  int Compare(u128 x, u128 y) const;

 private:
  std::vector<u128> terms_;  // a term of 2^127 or more is kept as kHuge
};

class TargetArithmetic {
 public:
  explicit TargetArithmetic(const Rational& target);

  const mpq_class& Value() const { return value_; }
  double ValueDouble() const { return valueDouble_; }

  int Side(std::uint64_t num, std::uint64_t den) const;  // the sign of num/den - T
  int Side(const Fraction& r) const { return Side(r.num, r.den); }
  // The order of |a - T| and |b - T|: <0 when a is closer, 0 when equally close. The
  // fractions need not be in lowest terms.
  int CompareDifferences(const Fraction& a, const Fraction& b) const;
  double Difference(const Fraction& r) const;   // |R - T| rounded once
  double RelativePpm(const Fraction& r) const;  // 1e6 * |R - T| / T; 0 when T is 0
  void AppendDifference(std::string& out, const Fraction& r, int width) const;  // "%W.3f"
  std::uint64_t DifferenceThousandths(const Fraction& r) const;

 private:
  // |R - T| * den * T.den when the target's parts fit 64 bits.
  u128 ScaledDifference(const Fraction& r) const {
    const u128 a = u128{r.num} * td_, b = u128{tn_} * r.den;
    return a > b ? a - b : b - a;
  }
  mpq_class ExactDifference(const Fraction& r) const;

  mpq_class value_;
  double valueDouble_ = 0;
  bool small_ = false;  // both parts fit 64 bits
  std::uint64_t tn_ = 0, td_ = 1;
  ContinuedFraction cf_;
};

// The reductions a tolerance accepts about the target, [low, high], exactly, and as
// doubles rounded outward so that a window built from them never leaves one out.
class Acceptance {
 public:
  Acceptance(const Rational& target, const std::optional<Tolerance>& tolerance);
  bool Bounded() const { return bounded_; }
  bool Within(std::uint64_t num, std::uint64_t den) const {
    return !bounded_ || (low_.Compare(num, den) >= 0 && high_.Compare(num, den) <= 0);
  }
  double Low() const { return lowDouble_; }
  double High() const { return highDouble_; }

 private:
  static mpq_class Bound(const Rational& target, const std::optional<Tolerance>& tolerance, int side);
  bool bounded_;
  ContinuedFraction low_, high_;
  double lowDouble_ = 0, highDouble_ = 0;
};

// u128 in decimal.
std::string ToDecimal(u128 v);

}  // namespace quenmar::design::detail
