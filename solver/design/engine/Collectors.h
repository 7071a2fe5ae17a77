#pragma once
// Where the trains of a run go. The enumeration is split into parts that run on many
// cores; each part hands its trains to a collector of its own, and collectors merge, so
// that however the work was split the merged collector holds exactly what one pass over
// the loops would have kept:
// - ListCollector: the first trains in loop order (a listing with its cap), from parts
//   that each run in loop order and merge in that order;
// - FirstCollector: the same first trains when they are found out of order (by their
//   products): any order of trains and merges;
// - BestCollector: the K closest to the target, equally close ones in loop order; any
//   order of trains and merges.
// With a distinct kind, each keeps one train per class: the first in loop order (the
// smallest teeth, as loop order is the order of the teeth from N1 on).

#include <array>
#include <cmath>
#include <cstdint>
#include <deque>
#include <optional>
#include <unordered_set>
#include <vector>

#include "Exact.h"
#include "TrainRules.h"

namespace quenmar::design::detail {

// One kept train: its teeth and its reduction as the loops formed it (unreduced).
struct Entry {
  std::array<std::int16_t, kMaxGears> teeth{};
  std::uint64_t num = 0, den = 1;
  Fraction Reduction() const { return Fraction{num, den}; }
};
Entry MakeEntry(const int* teeth, int gears, std::uint64_t num, std::uint64_t den);
inline bool EarlierInLoops(const Entry& a, const Entry& b) { return a.teeth < b.teeth; }

// What a run decides about one target: which trains are within its tolerance, which of
// two is closer (equally close: the earlier in loop order), and the window of
// reductions worth looking at.
class Judge {
  // Two differences whose doubles are further apart than this (relative to the numbers
  // they come from) are ordered by them: far above their rounding.
  static constexpr double kNear = 1e-12;

 public:
  Judge(const DesignQuery& query, const KindRules& rules);

  const TargetArithmetic& Target() const { return target_; }
  const KindRules& Rules() const { return rules_; }
  bool Within(std::uint64_t num, std::uint64_t den) const { return acceptance_.Within(num, den); }
  bool Closer(const Entry& a, const Entry& b) const {
    // Differences far apart are ordered by their doubles (off by a few ulps of the
    // numbers involved); near ones exactly.
    const double ra = static_cast<double>(a.num) / static_cast<double>(a.den);
    const double rb = static_cast<double>(b.num) / static_cast<double>(b.den);
    const double t = target_.ValueDouble(), da = std::fabs(ra - t), db = std::fabs(rb - t);
    if (std::fabs(da - db) > kNear * (ra + rb + t)) return da < db;
    // Equal reductions (often, from different gears) are equally close.
    if (static_cast<unsigned __int128>(a.num) * b.den == static_cast<unsigned __int128>(b.num) * a.den)
      return EarlierInLoops(a, b);
    const int c = target_.CompareDifferences(a.Reduction(), b.Reduction());
    return c != 0 ? c < 0 : EarlierInLoops(a, b);
  }
  // Reductions in [low, high] may be kept: the tolerance's, narrowed to those no farther
  // than `worst` when given; widened far beyond rounding, never narrower than exact.
  struct Window {
    double low = 0, high = 0;
  };
  Window WindowFor(const std::optional<Entry>& worst) const;
  bool Distinct() const { return distinct_; }
  ClassKey ClassOf(const Entry& e) const;

 private:
  const KindRules& rules_;
  TargetArithmetic target_;
  Acceptance acceptance_;
  bool distinct_;
};

// The first trains of ordered parts, merged in loop order. Keeps at most `limit` trains
// (the cap and one more, to know whether the cap left any out).
class ListCollector {
 public:
  ListCollector(const Judge& judge, std::int64_t limit) : judge_(judge), limit_(limit) {}
  // A train of the loops, in loop order; false once the limit is reached.
  bool Add(const Entry& e);
  // The trains of the part that follows this one in loop order; false once full.
  bool Merge(const ListCollector& later);
  bool Full() const { return static_cast<std::int64_t>(entries_.size()) >= limit_; }
  // Forgets the trains held (handed on elsewhere), still knowing their classes.
  void Clear() { entries_.clear(); }
  // Keeps the first n trains (a listing needs no more of this part).
  void Truncate(std::size_t n) {
    if (n < entries_.size()) entries_.resize(n);
  }
  // A deque, so that a long listing grows without a moment at twice its size.
  const std::deque<Entry>& Entries() const { return entries_; }
  std::deque<Entry> TakeEntries() { return std::move(entries_); }

 private:
  const Judge& judge_;
  std::int64_t limit_;
  std::deque<Entry> entries_;
  std::unordered_set<ClassKey, ClassKeyHash> classes_;
};

// The `limit` trains that come first in `order` among all given, in any order, one per
// class when distinct. Memory stays within about twice the limit.
class RankedCollector {
 public:
  enum class Order { Loops, Closeness };
  RankedCollector(const Judge& judge, Order order, std::int64_t limit);
  void Add(const Entry& e);
  void Merge(RankedCollector&& other);
  // Room for everything the collector will ever hold at once, taken at the start so that
  // it never holds a grown copy beside the old one (a run's merged collector).
  void ReserveAll();
  // The kept trains in order, at most limit of them; TakeSorted leaves the collector
  // empty rather than copy them.
  std::vector<Entry> Sorted() const;
  std::vector<Entry> TakeSorted();
  std::int64_t Limit() const { return limit_; }
  Order Ordering() const { return order_; }
  void Clear() {
    entries_.clear();
    worst_.reset();
  }
  // The last kept train once `limit` are kept: nothing after it in the order can enter.
  const std::optional<Entry>& Worst() const { return worst_; }
  std::size_t Size() const { return entries_.size(); }
  // Grows with every merge, so that a reader can tell whether anything may have changed.
  std::uint64_t Version() const { return version_; }

 private:
  bool Before(const Entry& a, const Entry& b) const {
    return order_ == Order::Loops ? EarlierInLoops(a, b) : judge_.Closer(a, b);
  }
  void Compact();

  const Judge& judge_;
  Order order_;
  std::int64_t limit_;
  std::vector<Entry> entries_;
  std::optional<Entry> worst_;
  std::size_t compactAt_;  // the size at which to compact next
  std::uint64_t version_ = 1;
};

}  // namespace quenmar::design::detail
