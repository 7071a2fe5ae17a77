// Trains by their teeth products: a train's reduction is (driven product) /
// (driver product), so the K closest trains lie among the pairs of products, however
// many orderings of gears make each; and so do the trains within a tolerance. Both
// sides' products are marked in bitsets and swept in step, two pointers, the driven
// window narrowing as the K closest improve; only pairs that could be kept are worked
// out into trains.

#include <algorithm>
#include <cmath>
#include <numeric>

#include "DesignCollector.h"
#include "DesignProducts.h"

namespace quenmar::design::detail {

namespace {

// The products one side's gears (drivers or driven) can make, as a bitset over the
// span from the smallest to the largest, and the gears that make a given product.
class ProductSet {
 public:
  ProductSet(const Plan& plan, int side, Pacer& pacer) : plan_(plan), side_(side), pacer_(pacer) {
    count_ = plan.stages;
    suffixLo_.assign(static_cast<std::size_t>(count_) + 1, 1);
    suffixHi_.assign(static_cast<std::size_t>(count_) + 1, 1);
    for (int i = count_ - 1; i >= 0; --i) {
      suffixLo_[i] = suffixLo_[i + 1] * static_cast<std::uint64_t>(Lo(i));
      suffixHi_[i] = suffixHi_[i + 1] * static_cast<std::uint64_t>(Hi(i));
    }
    lo_ = suffixLo_[0];
    hi_ = suffixHi_[0];
    bits_.assign(static_cast<std::size_t>((hi_ - lo_) / 64 + 1), 0);
    std::array<int, kMaxTeeth + 1> used{};
    std::array<int, kMaxStages> teeth{};
    Mark(0, 1, teeth, used);
  }

  std::uint64_t Lo() const { return lo_; }
  std::uint64_t Hi() const { return hi_; }

  // The smallest product at or above p, or 0 when none.
  std::uint64_t Next(std::uint64_t p) const {
    if (p < lo_) p = lo_;
    if (p > hi_) return 0;
    std::uint64_t offset = p - lo_;
    std::size_t word = static_cast<std::size_t>(offset / 64);
    std::uint64_t bits = bits_[word] & (~std::uint64_t{0} << (offset % 64));
    while (bits == 0) {
      if (++word == bits_.size()) return 0;
      bits = bits_[word];
    }
    return lo_ + word * 64 + static_cast<std::uint64_t>(std::countr_zero(bits));
  }

  // Every combination of the side's gears with product p, in loop order.
  void Combinations(std::uint64_t p, std::vector<std::array<int, kMaxStages>>& out) const {
    out.clear();
    std::array<int, kMaxStages> teeth{};
    std::array<int, kMaxTeeth + 1> used{};
    Split(0, p, teeth, used, out);
  }

 private:
  int Lo(int i) const { return plan_.lo[2 * i + side_]; }
  int Hi(int i) const { return plan_.hi[2 * i + side_]; }
  // The earlier gear of this side whose teeth gear i takes (ties never cross sides), or -1.
  int Source(int i) const {
    const int tie = plan_.tie[2 * i + side_];
    return tie < 0 ? -1 : (tie - side_) / 2;
  }
  bool Take(int v, std::array<int, kMaxTeeth + 1>& used) const {
    return !plan_.owned || used[v] < plan_.ownedCount[v];
  }

  void Mark(int i, std::uint64_t product, std::array<int, kMaxStages>& teeth,
            std::array<int, kMaxTeeth + 1>& used) {
    if (i == count_) {
      const std::uint64_t offset = product - lo_;
      bits_[offset / 64] |= std::uint64_t{1} << (offset % 64);
      if ((++marked_ & 0xFFFFF) == 0) pacer_.Work(0x100000);
      return;
    }
    const int source = Source(i);
    const int from = source >= 0 ? std::max(Lo(i), teeth[source]) : Lo(i);
    const int to = source >= 0 ? std::min(Hi(i), teeth[source]) : Hi(i);
    for (int v = from; v <= to && !pacer_.Stopped(); ++v) {
      if (!Take(v, used)) continue;
      ++used[v];
      teeth[i] = v;
      Mark(i + 1, product * static_cast<std::uint64_t>(v), teeth, used);
      --used[v];
    }
  }

  void Split(int i, std::uint64_t rest, std::array<int, kMaxStages>& teeth,
             std::array<int, kMaxTeeth + 1>& used, std::vector<std::array<int, kMaxStages>>& out) const {
    if (i == count_) {
      if (rest == 1) out.push_back(teeth);
      return;
    }
    // Only values that leave a rest the later gears can still make.
    std::uint64_t from = std::max<std::uint64_t>(Lo(i), (rest + suffixHi_[i + 1] - 1) / suffixHi_[i + 1]);
    std::uint64_t to = std::min<std::uint64_t>(Hi(i), rest / suffixLo_[i + 1]);
    if (const int source = Source(i); source >= 0) {
      from = std::max<std::uint64_t>(from, static_cast<std::uint64_t>(teeth[source]));
      to = std::min<std::uint64_t>(to, static_cast<std::uint64_t>(teeth[source]));
    }
    for (std::uint64_t v = from; v <= to; ++v) {
      if (rest % v != 0 || !Take(static_cast<int>(v), used)) continue;
      teeth[i] = static_cast<int>(v);
      ++used[v];
      Split(i + 1, rest / v, teeth, used, out);
      --used[v];
    }
  }

  const Plan& plan_;
  int side_, count_ = 0;
  Pacer& pacer_;
  std::uint64_t marked_ = 0;
  std::vector<std::uint64_t> suffixLo_, suffixHi_;
  std::uint64_t lo_ = 1, hi_ = 1;
  std::vector<std::uint64_t> bits_;
};

class ProductSweep {
 public:
  ProductSweep(const Plan& plan, Collector& sink, Pacer& pacer)
      : plan_(plan), sink_(sink), pacer_(pacer), drivers_(plan, 0, pacer), driven_(plan, 1, pacer) {}

  void Run() {
    if (pacer_.Stopped()) return;  // the bitsets may be incomplete
    const Fraction& target = sink_.Target();
    const long double span = static_cast<long double>(drivers_.Hi() - drivers_.Lo()) + 1;
    std::uint64_t sinceProgress = 0;
    for (std::uint64_t p = drivers_.Next(0); p != 0; p = p == drivers_.Hi() ? 0 : drivers_.Next(p + 1)) {
      const std::uint64_t den = plan_.fixedDriver * p;
      const Window w = WindowFor(target, sink_.Radius(), plan_.fixedDriven, den);
      const long double first = std::max<long double>(driven_.Lo(), std::ceil(w.lo));
      const long double last = std::min<long double>(driven_.Hi(), std::floor(w.hi));
      pacer_.Work(1);
      if (first <= last) {
        auto end = static_cast<std::uint64_t>(last);
        for (std::uint64_t q = driven_.Next(static_cast<std::uint64_t>(first)); q != 0 && q <= end;
             q = q == end ? 0 : driven_.Next(q + 1)) {
          const std::uint64_t num = plan_.fixedDriven * q;
          const u128 diff = AbsoluteDifference(Fraction{num, den}, target);
          pacer_.Work(1);
          if (!sink_.Admits(den, diff)) continue;
          Expand(p, q, num, den, diff);
          // The K closest may have improved: the window ends sooner.
          const long double now = std::floor(WindowFor(target, sink_.Radius(), plan_.fixedDriven, den).hi);
          if (now < static_cast<long double>(end)) end = now < static_cast<long double>(q) ? q : static_cast<std::uint64_t>(now);
        }
      }
      if (++sinceProgress == 1024) {
        sinceProgress = 0;
        pacer_.Position(static_cast<double>((p - drivers_.Lo()) / span));
        if (pacer_.Stopped()) return;
      }
    }
  }

 private:
  // Every train whose drivers make p and driven gears make q, through the filters, to
  // the sink in loop order (all of them equally far from the target).
  void Expand(std::uint64_t p, std::uint64_t q, std::uint64_t num, std::uint64_t den, u128 diff) {
    drivers_.Combinations(p, driverSets_);
    driven_.Combinations(q, drivenSets_);
    trains_.clear();
    const int stages = plan_.stages;
    for (const auto& d : driverSets_)
      for (const auto& n : drivenSets_) {
        std::array<int, kMaxGears> t{};
        for (int s = 0; s < stages; ++s) {
          t[2 * s] = d[s];
          t[2 * s + 1] = n[s];
        }
        if (Passes(t)) trains_.push_back(t);
      }
    pacer_.Work(static_cast<std::int64_t>(driverSets_.size() * drivenSets_.size()));
    std::sort(trains_.begin(), trains_.end());
    for (const auto& t : trains_) sink_.Add(t.data(), num, den, diff);
    sink_.EndGroup();
  }

  bool Passes(const std::array<int, kMaxGears>& t) const {
    const int stages = plan_.stages;
    for (int s = 0; s < stages; ++s) {
      if (plan_.hunting && std::gcd(t[2 * s], t[2 * s + 1]) != 1) return false;
      if (plan_.coaxial && t[2 * s] + t[2 * s + 1] != t[0] + t[1]) return false;
      if (plan_.exclusion)
        for (int k = 0; k < stages; ++k)
          if (t[2 * s] == t[2 * k + 1]) return false;
    }
    if (plan_.owned) {
      std::array<int, kMaxTeeth + 1> used{};
      for (int g = 0; g < plan_.gears; ++g)
        if (++used[t[g]] > plan_.ownedCount[t[g]]) return false;
    }
    return true;
  }

  const Plan& plan_;
  Collector& sink_;
  Pacer& pacer_;
  ProductSet drivers_, driven_;
  std::vector<std::array<int, kMaxStages>> driverSets_, drivenSets_;
  std::vector<std::array<int, kMaxGears>> trains_;
};

double Combinations(const Plan& plan, int side) {
  double count = 1;
  for (int s = 0; s < plan.stages; ++s)
    if (plan.tie[2 * s + side] < 0) count *= std::max(0, plan.hi[2 * s + side] - plan.lo[2 * s + side] + 1);
  return count;
}

double Span(const Plan& plan, int side) {
  double lo = 1, hi = 1;
  for (int s = 0; s < plan.stages; ++s) {
    lo *= plan.lo[2 * s + side];
    hi *= plan.hi[2 * s + side];
  }
  return hi - lo + 1;
}

}  // namespace

std::optional<double> ProductSweepCost(const Plan& plan) {
  for (int g = 0; g < plan.gears; ++g)
    if (plan.lo[g] > plan.hi[g]) return std::nullopt;
  constexpr double kMostBits = 2.0 * 1024 * 1024 * 1024;  // 256 MiB a side
  constexpr double kMostCombinations = 1e9;
  double cost = 0;
  for (int side : {0, 1}) {
    if (Span(plan, side) > kMostBits || Combinations(plan, side) > kMostCombinations) return std::nullopt;
    cost += Combinations(plan, side) + Span(plan, side) / 16;
  }
  return cost;
}

double ProductSweepBytes(const Plan& plan) { return (Span(plan, 0) + Span(plan, 1)) / 8; }

void RunProductSweep(const Plan& plan, Collector& sink, Pacer& pacer) {
  ProductSweep(plan, sink, pacer).Run();
}

}  // namespace quenmar::design::detail
