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

#include <cstdint>
#include <optional>
#include <vector>

#include "Collectors.h"
#include "Parts.h"
#include "TrainRules.h"

namespace quenmar::design::detail {

// The products one side's gears can make, as two sorted blocks.
class SideProducts {
 public:
  SideProducts(const CompoundRules& rules, int side);

  std::uint64_t Lo() const { return lo_; }
  std::uint64_t Hi() const { return hi_; }
  bool Empty() const { return a_.empty() || b_.empty(); }
  // Pairs of block products (with repeats) whose product lies in [lo, hi].
  std::uint64_t Count(std::uint64_t lo, std::uint64_t hi) const;
  // The distinct products in [lo, hi], ascending, into out.
  void Products(std::uint64_t lo, std::uint64_t hi, std::vector<std::uint64_t>& out) const;
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

struct SweepOptions {
  std::uint64_t segmentProducts = std::uint64_t{1} << 22;  // products a segment holds at most
};

// Whether the sweep applies to these rules (a product-form kind whose blocks fit the
// memory), and its work, comparable with the loops' (products spelled out).
std::optional<double> SweepWork(const CompoundRules& rules);

// Runs the sweep: every train within the judge's tolerance to `collector` (a listing,
// first trains in loop order) or the closest (best K). The collector is the run's merged
// one, guarded by run.mutex; parts merge into it as they finish.
void RunProductSweep(const CompoundRules& rules, const Judge& judge, RankedCollector& collector, RunState& run,
                     const SweepOptions& options = {});

}  // namespace quenmar::design::detail
