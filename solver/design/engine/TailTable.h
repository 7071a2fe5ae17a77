#pragma once
// The last stages of a compound train as one sorted table: every combination of their
// gears that the rules admit among themselves, ordered by (tooth sum when coaxial, stage
// ratio). The loops then look the tail up by the ratio it needs instead of looping over
// it. An entry's index is its rank in loop order, from which its teeth are decoded, so
// hits sorted by index come in loop order.

#include <atomic>
#include <bit>
#include <cstdint>
#include <vector>

#include "Parts.h"
#include "TrainRules.h"

namespace quenmar::design::detail {

class TailTable {
 public:
  // Builds the table of the last `stages` stages on the calling arena's threads; stops
  // early (leaving an unusable table) when the run is cancelled.
  TailTable(const CompoundRules& rules, int stages, RunState& run);

  int First() const { return first_; }  // the first gear of the tail
  static double Entries(const CompoundRules& rules, int stages);

  // The indices, ascending, of the entries whose ratio lies in [low, high], among those
  // with the given tooth sum (any sum when sum is 0).
  void Find(long double low, long double high, std::uint32_t sum, std::vector<std::uint32_t>& hits) const;
  void Decode(std::uint32_t index, int* teeth) const;
  // What one Find costs in the work units of the cost model (a binary search).
  std::int64_t FindWork() const { return std::bit_width(entries_.size() + 2) + 2; }

 private:
  struct Entry {
    double ratio;
    std::uint32_t index;
    std::uint32_t sum;
  };
  int Span(int g) const;

  const CompoundRules& rules_;
  int first_, gears_;
  std::vector<Entry> entries_;
  std::vector<std::size_t> segments_;  // where each tooth sum starts, then the end
};

}  // namespace quenmar::design::detail
