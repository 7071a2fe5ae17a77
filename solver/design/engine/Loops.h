#pragma once
// The nested loops over a train's gears, in loop order (the first gear outermost, each
// ascending), for one part of the enumeration: the first gears are fixed by the part,
// the rest are looped over with every rule applied as soon as the gears it reads are
// placed. The last gears are found rather than looped over where the kind allows: the
// last gear from the window of reductions still wanted, or the last stages looked up in a
// table. Trains go to the part's sink, in loop order.

#include <atomic>
#include <cmath>
#include <cstdint>
#include <vector>

#include "Collectors.h"
#include "Parts.h"
#include "TailTable.h"
#include "TrainRules.h"

namespace quenmar::design::detail {

// Where a part's trains go, and what the part may still want.
class PartSink {
 public:
  virtual ~PartSink() = default;
  // A train (teeth N1..Nk, its reduction num/den unreduced), in loop order; false when
  // the part needs no more trains.
  virtual bool Offer(const int* teeth, std::uint64_t num, std::uint64_t den) = 0;
  // The reductions still worth finding (narrows as the closest trains improve).
  virtual Judge::Window Window() = 0;
  // Now and then while the part runs; false when the part needs no more trains.
  virtual bool Tick() { return true; }
  // A sink may serve several targets, each with its own window: the last gear is then
  // solved for each, and its trains go to that target alone.
  virtual std::size_t Targets() const { return 1; }
  virtual Judge::Window WindowOf(std::size_t /*target*/) { return Window(); }
  virtual bool OfferTo(std::size_t /*target*/, const int* teeth, std::uint64_t num, std::uint64_t den) {
    return Offer(teeth, num, den);
  }
};

template <typename Rules>
class Loops {
 public:
  // lastGear: solve the last gear from the window (the rules' LastGearRange); table: look
  // the last stages up (product-form kinds only).
  Loops(const Rules& rules, const TailTable* table, bool lastGear, PartSink& sink, RunState& run)
      : rules_(rules), sink_(sink), run_(run), table_(table), lastGear_(lastGear),
        looped_(LoopedGears(rules, table, lastGear)) {}

  // The gears the loops place one by one (the rest are found).
  static int LoopedGears(const Rules& rules, const TailTable* table, bool lastGear) {
    return table ? table->First() : lastGear ? rules.Gears() - 1 : rules.Gears();
  }

  // Runs the part whose first `depth` gears are fixed at prefix[0..depth). False when it
  // ended early (cancelled, or the sink wanted no more).
  bool Run(const int* prefix, int depth) {
    std::uint64_t num, den;
    rules_.Start(num, den);
    used_.fill(0);
    for (int g = 0; g < depth; ++g) {
      teeth_[g] = prefix[g];
      ++used_[prefix[g]];
      rules_.Extend(g, prefix[g], num, den);
    }
    return Gear(depth, num, den);
  }

  // Work done so far (placements and lookups), for progress and budgets.
  std::int64_t Work() const { return work_; }

 private:
  bool Gear(int g, std::uint64_t num, std::uint64_t den) {
    if (g == looped_) return Tail(num, den);
    if (run_.Cancelled()) return false;
    const int tie = rules_.Tie(g);
    if (tie >= 0) {
      const int v = teeth_[tie];
      if (v < rules_.Lo(g) || v > rules_.Hi(g)) return true;
      return Place(g, v, num, den);
    }
    for (const int v : rules_.Values(g))
      if (!Place(g, v, num, den)) return false;
    return true;
  }

  bool Place(int g, int v, std::uint64_t num, std::uint64_t den) {
    if (!rules_.Admits(g, v, teeth_.data(), 0, used_)) return true;
    teeth_[g] = v;
    ++used_[v];
    rules_.Extend(g, v, num, den);
    const bool more = Gear(g + 1, num, den);
    --used_[v];
    return more;
  }

  bool Tail(std::uint64_t num, std::uint64_t den) {
    if ((++work_ & 4095) == 0 && !sink_.Tick()) return false;
    if constexpr (Rules::kProductForm) {
      if (table_ != nullptr) return TableTail(num, den);
    }
    if (!lastGear_) {
      rules_.Finish(teeth_.data(), num, den);
      return sink_.Offer(teeth_.data(), num, den);
    }
    const int g = rules_.Gears() - 1;
    const auto& values = rules_.Values(g);
    for (std::size_t t = 0; t < sink_.Targets(); ++t) {
      const Judge::Window w = sink_.WindowOf(t);
      const auto range = rules_.LastGearRange(teeth_.data(), num, den, w.low, w.high);
      if (range.first > range.last) continue;
      for (auto at = std::lower_bound(values.begin(), values.end(), static_cast<int>(range.first));
           at != values.end() && *at <= range.last; ++at) {
        if (!rules_.Admits(g, *at, teeth_.data(), 0, used_)) continue;
        teeth_[g] = *at;
        std::uint64_t n = num, d = den;
        rules_.Extend(g, *at, n, d);
        rules_.Finish(teeth_.data(), n, d);
        ++work_;
        if (!sink_.OfferTo(t, teeth_.data(), n, d)) return false;
      }
    }
    return true;
  }

  bool TableTail(std::uint64_t num, std::uint64_t den) {
    const int first = table_->First();
    const auto sum = static_cast<std::uint32_t>(rules_.Coaxial() && first > 0 ? teeth_[0] + teeth_[1] : 0);
    // The tail's ratio x makes the reduction num * x / den.
    const Judge::Window w = sink_.Window();
    constexpr long double kMargin = 1e-12L;
    const long double scale = static_cast<long double>(den) / static_cast<long double>(num);
    table_->Find(w.low * scale * (1 - kMargin), w.high * scale * (1 + kMargin), sum, hits_);
    work_ += table_->FindWork() + static_cast<std::int64_t>(hits_.size());
    for (std::size_t i = 0; i < hits_.size(); ++i) {
      if ((i & 1023) == 1023 && run_.Cancelled()) return false;
      table_->Decode(hits_[i], teeth_.data());
      if (!rules_.Passes(teeth_.data())) continue;  // the tests between the tail and the rest
      std::uint64_t n = num, d = den;
      for (int g = first; g < rules_.Gears(); ++g) rules_.Extend(g, teeth_[g], n, d);
      if (!sink_.Offer(teeth_.data(), n, d)) return false;
    }
    return true;
  }

  const Rules& rules_;
  PartSink& sink_;
  RunState& run_;
  const TailTable* table_;
  bool lastGear_;
  int looped_;
  std::array<int, kMaxGears> teeth_{};
  Usage used_{};
  std::vector<std::uint32_t> hits_;
  std::int64_t work_ = 0;
};

}  // namespace quenmar::design::detail
