#pragma once
// Trains by their teeth products. A compound train's reduction is (its driven gears'
// product) / (its drivers' product), so the trains worth keeping lie among the pairs of
// products (p, q) whose ratio is near the target, however many orderings of gears make
// each. Each side's products are made from two blocks of its gears (a side's product is
// a product from one block times one from the other), so that no table of all products
// is needed: the drivers' products are taken in segments of bounded size, each with the
// driven products its window of reductions can reach, both sorted and swept in step.
// Only the pairs within the window are spelled out into trains, by the rules, in loop
// order.

#include <algorithm>
#include <cstdint>
#include <bit>
#include <optional>
#include <vector>

#include "Collectors.h"
#include "Parts.h"
#include "TrainRules.h"

namespace quenmar::design::detail {

// The products one side's gears can make, as two sorted blocks.
class SideProducts {
 public:
  // Spelled out at once (empty when the run is cancelled meanwhile).
  SideProducts(const CompoundRules& rules, int side, RunState& run);

  std::uint64_t Lo() const { return lo_; }
  std::uint64_t Hi() const { return hi_; }
  bool Empty() const { return a_.empty() || b_.empty(); }
  // Pairs of block products (with repeats) whose product lies in [lo, hi].
  std::uint64_t Count(std::uint64_t lo, std::uint64_t hi) const;
  // f(product) for each pair of block products whose product lies in [lo, hi], in no
  // order and with repeats.
  template <typename F>
  void ForEachPair(std::uint64_t lo, std::uint64_t hi, F&& f) const {
    for (const std::uint64_t x : a_) {
      if (x > hi / b_.front()) break;
      const auto to = std::upper_bound(b_.begin(), b_.end(), hi / x);
      for (auto at = std::lower_bound(b_.begin(), to, (lo + x - 1) / x); at != to; ++at) f(x * *at);
    }
  }
  // Every product of the side, ascending, where one block makes them all (trains of up to
  // three stages); null where a product is one block's times the other's.
  const std::vector<std::uint64_t>* All() const { return b_.size() == 1 && b_.front() == 1 ? &a_ : nullptr; }
  // Pairs in all (the work of spelling every product out once).
  double Pairs() const { return static_cast<double>(a_.size()) * static_cast<double>(b_.size()); }
  // The products nearest to x from below and from above (0 when there is none).
  std::pair<std::uint64_t, std::uint64_t> Nearest(long double x) const;

  // What making the blocks would cost (block products with repeats), without making them.
  static double BlockWork(const CompoundRules& rules, int side);

 private:
  std::vector<std::uint64_t> a_, b_;
  std::uint64_t lo_ = 1, hi_ = 0;
};

// The distinct products of one side within [lo, hi], walked in ascending order: a bitset
// where they lie dense, a sorted list where they are sparse.
class SegmentProducts {
 public:
  void Build(const SideProducts& side, std::uint64_t lo, std::uint64_t hi);
  // The smallest product at or above x, or 0 when none.
  std::uint64_t Next(std::uint64_t x) const;
  template <typename F>
  void ForEach(F&& f) const {
    if (!dense_) {
      for (const std::uint64_t v : list_) f(v);
      return;
    }
    for (std::size_t w = 0; w < bits_.size(); ++w)
      for (std::uint64_t b = bits_[w]; b != 0; b &= b - 1)
        f(lo_ + w * 64 + static_cast<std::uint64_t>(std::countr_zero(b)));
  }

 private:
  bool dense_ = false;
  std::uint64_t lo_ = 0, hi_ = 0;
  std::vector<std::uint64_t> bits_, list_;
};

struct SweepOptions {
  std::uint64_t segmentProducts = std::uint64_t{1} << 22;  // products a segment holds at most
};

// Whether the sweep applies to these rules (a product-form kind whose blocks fit the
// memory), and its work, comparable with the loops' (products spelled out); closest: a
// search for the closest trains, whose window is first guessed.
std::optional<double> SweepWork(const CompoundRules& rules, bool closest);

// Runs the sweep: every train within the judge's tolerance to `collector` (a listing,
// first trains in loop order) or the closest (best K). The collector is the run's merged
// one, guarded by run.mutex; parts merge into it as they finish.
void RunProductSweep(const CompoundRules& rules, const Judge& judge, RankedCollector& collector, RunState& run,
                     const SweepOptions& options = {});

}  // namespace quenmar::design::detail
