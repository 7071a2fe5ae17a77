#include "SearchSolutions.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

namespace quenmar {

namespace {

constexpr int kDummyTeeth = 10;
// Counts up to this many teeth pack into 16 bits of a candidate's sort key.
constexpr int kLargestPackedTeeth = 65535;

struct Bounds {
  Teeth L{}, U{};
  bool Empty(int g) const { return L[g] > U[g]; }
};

Bounds FamilyBounds(const SearchInputs& in, Family family, Teeth& minTeeth) {
  minTeeth = in.minTeeth;
  Bounds b{in.minTeeth, in.maxTeeth};
  if (family == Family::Single) {
    for (int g = 2; g < kGearCount; ++g) minTeeth[g] = b.L[g] = b.U[g] = kDummyTeeth;
  } else if (family == Family::Double) {
    b.U[4] = b.L[4];
    b.U[5] = b.L[5];
  }
  return b;
}

int ProgressPosition(int n1, int lower, int upper) {
  if (upper == lower) return 0;
  return static_cast<int>(std::int64_t{100} * (n1 - lower) / (std::int64_t{upper} - lower));
}

// The nested loops themselves, for inputs the shortcuts do not cover (teeth below 1 or
// beyond what a key packs, a target or range that is not a finite number).
void RunLoops(const SearchInputs& in, const TrainConfiguration& config, const Bounds& b,
              SearchOperations& ops, SearchResult& result) {
  Teeth& n = result.counters;
  const double target = in.targetReduction, range = in.convergenceRange;
  for (n[0] = b.L[0]; n[0] <= b.U[0]; ++n[0]) {
    for (n[1] = b.L[1]; n[1] <= b.U[1]; ++n[1])
      for (n[2] = b.L[2]; n[2] <= b.U[2]; ++n[2])
        for (n[3] = b.L[3]; n[3] <= b.U[3]; ++n[3]) {
          if (!ops.MessageStep()) {
            result.stopped = true;
            return;
          }
          for (n[4] = b.L[4]; n[4] <= b.U[4]; ++n[4])
            for (n[5] = b.L[5]; n[5] <= b.U[5]; ++n[5]) {
              const double r = SearchReduction(n);
              result.dCandidateReduction = r;
              if (std::fabs(target - r) > range) continue;
              if (!PassesFilter(config, n)) continue;
              if (result.nSolutionsFound >= in.maxSolutions) return;
              ++result.nSolutionsFound;
              result.bNoSolution = false;
              ops.Output(TrainSolution{Difference(r, target), r, n});
            }
        }
    result.nProgress = ProgressPosition(n[0], b.L[0], b.U[0]);
    ops.Progress(result.nProgress);
  }
}

// Integers in [lower, upper] whose exact value may lie within [lo, hi]; lo and hi are
// widened first so that rounding in their computation never loses one.
bool IntegerWindow(double lo, double hi, int lower, int upper, int& first, int& last) {
  lo -= std::fabs(lo) * 1e-12 + 1.0;
  hi += std::fabs(hi) * 1e-12 + 1.0;
  if (!(hi >= lower) || !(lo <= upper)) return false;
  first = lo <= lower ? lower : static_cast<int>(std::ceil(lo));
  last = hi >= upper ? upper : static_cast<int>(std::floor(hi));
  return first <= last;
}

// Stage ratios driven/driver of one gear pair over their two ranges, sorted by ratio.
struct RatioEntry {
  double ratio;
  std::int32_t driver, driven;
};

std::uint64_t RatioKey(double ratio) {
  std::uint64_t bits;
  std::memcpy(&bits, &ratio, sizeof bits);  // positive doubles order like their bits
  return bits;
}

std::int64_t BuildRatioTable(int driverLo, int driverHi, int drivenLo, int drivenHi,
                             std::vector<RatioEntry>& table) {
  table.clear();
  table.reserve(static_cast<std::size_t>(driverHi - driverLo + 1) * (drivenHi - drivenLo + 1));
  for (int driver = driverLo; driver <= driverHi; ++driver)
    for (int driven = drivenLo; driven <= drivenHi; ++driven)
      table.push_back({static_cast<double>(driven) / driver, driver, driven});
  // Radix sort by the ratio's bits, 11 bits a pass, skipping passes where every key
  // agrees: large tables are built in a few milliseconds, before the first step.
  constexpr int kBits = 11, kBuckets = 1 << kBits;
  std::vector<RatioEntry> scratch(table.size());
  std::vector<std::size_t> count(kBuckets);
  std::int64_t work = static_cast<std::int64_t>(table.size());
  for (int shift = 0; shift < 64; shift += kBits) {
    std::fill(count.begin(), count.end(), 0);
    for (const RatioEntry& e : table) ++count[(RatioKey(e.ratio) >> shift) & (kBuckets - 1)];
    if (std::count(count.begin(), count.end(), table.size()) == 1) continue;
    std::size_t sum = 0;
    for (std::size_t& c : count) sum += std::exchange(c, sum);
    for (const RatioEntry& e : table) scratch[count[(RatioKey(e.ratio) >> shift) & (kBuckets - 1)]++] = e;
    table.swap(scratch);
    work += 2 * static_cast<std::int64_t>(table.size());
  }
  return work;
}

std::size_t FirstAtLeast(const std::vector<RatioEntry>& t, double value) {
  return std::partition_point(t.begin(), t.end(),
                              [value](const RatioEntry& e) { return e.ratio < value; }) -
         t.begin();
}

std::size_t FirstAbove(const std::vector<RatioEntry>& t, double value) {
  return std::partition_point(t.begin(), t.end(),
                              [value](const RatioEntry& e) { return e.ratio <= value; }) -
         t.begin();
}

std::uint64_t PackKey(int a, int b, int c, int d) {
  return (std::uint64_t(a) << 48) | (std::uint64_t(b) << 32) | (std::uint64_t(c) << 16) |
         std::uint64_t(d);
}

constexpr double kRatioSlack = 1e-12;

// The last two stages of a train with equal compounds: N5 turns with N3, so the train is
// (N2^2 / N1) * (N6 / N3^2) and one table of N6 / N3^2 serves every (N1, N2).
// Entries are ordered by the upper 32 bits of the ratio's double (exponent and 20 bits
// of mantissa), which order like the ratios themselves: two counting passes sort them,
// and the second pass leaves the start of every run of equal upper 22 bits as an index,
// so a lookup is one index read and a short search. Truncating only ever widens what a
// lookup visits, and each entry visited is confirmed against its exact ratio.
class CompoundTable {
 public:
  // Returns the work done: each entry is written once and moved twice.
  std::int64_t Build(int n3Lo, int n3Hi, int n6Lo, int n6Hi) {
    const std::size_t size =
        static_cast<std::size_t>(n3Hi - n3Lo + 1) * static_cast<std::size_t>(n6Hi - n6Lo + 1);
    std::vector<Entry> built;
    built.reserve(size);
    std::uint32_t lowest = UINT32_MAX, highest = 0;
    for (int n3 = n3Lo; n3 <= n3Hi; ++n3)
      for (int n6 = n6Lo; n6 <= n6Hi; ++n6) {
        const std::uint32_t key = Key(Ratio(n3, n6));
        lowest = std::min(lowest, key);
        highest = std::max(highest, key);
        built.push_back({key, static_cast<std::uint16_t>(n3), static_cast<std::uint16_t>(n6)});
      }
    std::vector<std::uint32_t> count(kLowBuckets);
    for (const Entry& e : built) ++count[e.key & (kLowBuckets - 1)];
    std::uint32_t sum = 0;
    for (std::uint32_t& c : count) sum += std::exchange(c, sum);
    entries_.resize(size);
    for (const Entry& e : built) entries_[count[e.key & (kLowBuckets - 1)]++] = e;

    base_ = lowest >> kLowBits;
    start_.assign((highest >> kLowBits) - base_ + 2, 0);
    for (const Entry& e : entries_) ++start_[(e.key >> kLowBits) - base_ + 1];
    for (std::size_t i = 1; i < start_.size(); ++i) start_[i] += start_[i - 1];
    std::vector<std::uint32_t> next(start_.begin(), start_.end() - 1);
    for (const Entry& e : entries_) built[next[(e.key >> kLowBits) - base_]++] = e;
    entries_.swap(built);
    return 5 * static_cast<std::int64_t>(size);
  }

  // Appends PackKey(0, 0, N3, N6) for every entry with lo <= N6 / N3^2 <= hi; false
  // when that would be more than `budget` keys. Adds the entries visited to work.
  bool Find(double lo, double hi, std::int64_t budget, std::vector<std::uint64_t>& keys,
            std::int64_t& work) const {
    if (!(hi > 0) || entries_.empty()) return true;
    const std::uint32_t first = lo > 0 ? Key(lo) : 0, last = Key(hi);
    std::size_t i = 0;
    if ((first >> kLowBits) >= base_) {
      const std::size_t run = (first >> kLowBits) - base_;
      if (run + 1 >= start_.size()) return true;
      i = std::partition_point(entries_.begin() + start_[run], entries_.begin() + start_[run + 1],
                               [first](const Entry& e) { return e.key < first; }) -
          entries_.begin();
    }
    work += 16;
    for (; i < entries_.size() && entries_[i].key <= last; ++i) {
      ++work;
      const double ratio = Ratio(entries_[i].n3, entries_[i].n6);
      if (ratio < lo || ratio > hi) continue;
      if (static_cast<std::int64_t>(keys.size()) >= budget) return false;
      keys.push_back(PackKey(0, 0, entries_[i].n3, entries_[i].n6));
    }
    return true;
  }

 private:
  struct Entry {
    std::uint32_t key;
    std::uint16_t n3, n6;
  };
  static constexpr int kLowBits = 10;
  static constexpr std::uint32_t kLowBuckets = 1u << kLowBits;

  static double Ratio(int n3, int n6) {
    return static_cast<double>(n6) / static_cast<double>(std::int64_t{n3} * n3);
  }
  static std::uint32_t Key(double positive) {
    return static_cast<std::uint32_t>(RatioKey(positive) >> 32);
  }

  std::vector<Entry> entries_;
  std::vector<std::uint32_t> start_;  // first entry of each run of upper 22 key bits
  std::uint32_t base_ = 0;            // upper 22 bits of the smallest key
};

// The search with shortcuts. The message step is polled once per (N1, N2) (once per N1
// in the single family) and, on the ordered paths, once per value of N3 or of (N3, N4):
// always at a step the loops also take, with bounded work in between.
class FastSearch {
 public:
  FastSearch(const SearchInputs& in, const TrainConfiguration& config, const Bounds& b,
             SearchOperations& ops, const detail::SearchTuning& tuning, SearchResult& result)
      : in_(in), config_(config), b_(b), ops_(ops), tuning_(tuning), result_(result) {
    target_ = in.targetReduction;
    range_ = in.convergenceRange;
    const double margin = (std::fabs(target_) + range_) * 1e-9 + 1e-300;
    qlo_ = target_ - range_ - margin;
    qhi_ = target_ + range_ + margin;
  }

  void Run() {
    BuildTables();
    for (int n1 = b_.L[0]; n1 <= b_.U[0]; ++n1) {
      if (!DoN1(n1)) return;
      result_.nProgress = ProgressPosition(n1, b_.L[0], b_.U[0]);
      ops_.Progress(result_.nProgress);
    }
    RecordEnd();
  }

 private:
  void BuildTables() {
    for (int g = 0; g < kGearCount; ++g)
      if (b_.Empty(g)) return;
    if (config_.family == Family::Triple && config_.tieN3N5) {
      PlanCompoundTable();
      return;
    }
    if (config_.index != 1 && config_.index != kTripleReductionIndex) return;
    auto size = [&](int driver) {
      return (std::int64_t{b_.U[driver]} - b_.L[driver] + 1) *
             (std::int64_t{b_.U[driver + 1]} - b_.L[driver + 1] + 1);
    };
    if (size(2) > tuning_.maxTableEntries) return;
    if (config_.index == kTripleReductionIndex && size(4) > tuning_.maxTableEntries) return;
    work_ += BuildRatioTable(b_.L[2], b_.U[2], b_.L[3], b_.U[3], stage2_);
    if (config_.index == kTripleReductionIndex)
      work_ += BuildRatioTable(b_.L[4], b_.U[4], b_.L[5], b_.U[5], stage3_);
    useTables_ = true;
    keys_.reserve(static_cast<std::size_t>(tuning_.candidateBudget) + 1);
  }

  // The table is built once the per-N3 sweeps it replaces have cost as much as building
  // it, so a run that the cap ends early never pays for it.
  void PlanCompoundTable() {
    const int lo3 = std::max(b_.L[2], b_.L[4]), hi3 = std::min(b_.U[2], b_.U[4]);
    if (lo3 > hi3) return;
    const std::int64_t n3Values = std::int64_t{hi3} - lo3 + 1;
    const std::int64_t entries = n3Values * (std::int64_t{b_.U[5]} - b_.L[5] + 1);
    if (entries > tuning_.maxTableEntries) return;
    compoundEntries_ = entries;
    // Sorting more candidates than there are N3 values costs more than the sweeps.
    compoundBudget_ = std::min<std::int64_t>(tuning_.candidateBudget, n3Values + 64);
  }

  void BuildCompoundTable() {
    work_ += compound_.Build(std::max(b_.L[2], b_.L[4]), std::min(b_.U[2], b_.U[4]), b_.L[5],
                             b_.U[5]);
    useTables_ = true;
    keys_.reserve(static_cast<std::size_t>(compoundBudget_) + 1);
  }

  bool Step(int n1, int n2, int n3, int n4) {
    ops_.WorkSinceLastStep(work_);
    work_ = 0;
    if (ops_.MessageStep()) return true;
    RecordStop(n1, n2, n3, n4);
    return false;
  }

  // The exact test of the loops; false when the cap ends the search at this train.
  bool Offer(const Teeth& n) {
    ++work_;
    const double r = SearchReduction(n);
    if (std::fabs(target_ - r) > range_) return true;
    if (!PassesFilter(config_, n)) return true;
    if (result_.nSolutionsFound >= in_.maxSolutions) {
      result_.counters = n;
      result_.dCandidateReduction = r;
      return false;
    }
    ++result_.nSolutionsFound;
    result_.bNoSolution = false;
    ops_.Output(TrainSolution{Difference(r, target_), r, n});
    return true;
  }

  // Offer every x in the window, with x at gear `gear` of `n`, ascending.
  bool OfferWindow(Teeth n, int gear, int first, int last) {
    for (int x = first; x <= last; ++x) {
      n[gear] = x;
      if (!Offer(n)) return false;
    }
    return true;
  }

  // x with factor * x within the accepted reductions.
  bool LinearWindow(double factor, int gear, int& first, int& last) {
    ++work_;
    return IntegerWindow(qlo_ / factor, qhi_ / factor, b_.L[gear], b_.U[gear], first, last);
  }

  static double Quotient(std::int64_t numerator, std::int64_t denominator) {
    return static_cast<double>(numerator) / static_cast<double>(denominator);
  }

  bool DoN1(int n1) {
    if (b_.Empty(1) || b_.Empty(2) || b_.Empty(3)) return true;  // the loops take no step
    if (config_.family == Family::Single) {
      if (!Step(n1, b_.L[1], b_.L[2], b_.L[3])) return false;
      if (b_.Empty(4) || b_.Empty(5)) return true;
      Teeth n{n1, 0, b_.L[2], b_.L[3], b_.L[4], b_.L[5]};
      int first, last;
      const double factor = Quotient(std::int64_t{n[3]} * n[5], std::int64_t{n1} * n[2] * n[4]);
      if (!LinearWindow(factor, 1, first, last)) return true;
      return OfferWindow(n, 1, first, last);
    }
    for (int n2 = b_.L[1]; n2 <= b_.U[1]; ++n2) {
      if (!Step(n1, n2, b_.L[2], b_.L[3])) return false;
      if (b_.Empty(4) || b_.Empty(5)) continue;
      const bool go = config_.family == Family::Double ? DoubleFamily(n1, n2) : TripleFamily(n1, n2);
      if (!go) return false;
    }
    return true;
  }

  static bool In(int x, int lower, int upper) { return lower <= x && x <= upper; }

  bool DoubleFamily(int n1, int n2) {
    const int v5 = b_.L[4], v6 = b_.L[5];
    Teeth n{n1, n2, 0, 0, v5, v6};
    if (config_.tieN1N3 && !In(n1, b_.L[2], b_.U[2])) return true;
    if (config_.tieN2N4 && !In(n2, b_.L[3], b_.U[3])) return true;
    if (config_.tieN1N3 && config_.tieN2N4) {
      n[2] = n1;
      n[3] = n2;
      return Offer(n);
    }
    if (config_.tieN1N3) {  // N3 = N1: only N4 is free
      n[2] = n1;
      int first, last;
      const double factor = Quotient(std::int64_t{n2} * v6, std::int64_t{n1} * n1 * v5);
      if (!LinearWindow(factor, 3, first, last)) return true;
      return OfferWindow(n, 3, first, last);
    }
    if (config_.tieN2N4) {  // N4 = N2: only N3 is free, and R falls as N3 grows
      n[3] = n2;
      if (!(qhi_ > 0)) return true;
      ++work_;
      const double k = Quotient(std::int64_t{n2} * n2 * v6, std::int64_t{n1} * v5);
      const double hi = qlo_ > 0 ? k / qlo_ : HUGE_VAL;
      int first, last;
      if (!IntegerWindow(k / qhi_, hi, b_.L[2], b_.U[2], first, last)) return true;
      return OfferWindow(n, 2, first, last);
    }
    if (useTables_ && DoubleFromTable(n)) return !capped_;
    return DoubleOrdered(n);
  }

  // Candidates of one (N1, N2) from the stage table, confirmed in enumeration order;
  // false when there are more than the budget (nothing has been handed on then).
  bool DoubleFromTable(Teeth n) {
    const double p = Quotient(std::int64_t{n[1]} * n[5], std::int64_t{n[0]} * n[4]);
    const double lo = qlo_ / p, hi = qhi_ / p;
    const std::size_t from = FirstAtLeast(stage2_, lo - std::fabs(lo) * kRatioSlack);
    const std::size_t to = FirstAbove(stage2_, hi + std::fabs(hi) * kRatioSlack);
    work_ += 24;
    if (to <= from) return true;
    if (static_cast<std::int64_t>(to - from) > tuning_.candidateBudget) return false;
    keys_.clear();
    for (std::size_t i = from; i < to; ++i)
      keys_.push_back(PackKey(0, 0, stage2_[i].driver, stage2_[i].driven));
    std::sort(keys_.begin(), keys_.end());
    work_ += static_cast<std::int64_t>(keys_.size());
    for (std::uint64_t key : keys_) {
      n[2] = static_cast<int>((key >> 16) & 0xFFFF);
      n[3] = static_cast<int>(key & 0xFFFF);
      if (!Offer(n)) {
        capped_ = true;
        return true;
      }
    }
    return true;
  }

  bool DoubleOrdered(Teeth n) {
    for (int n3 = b_.L[2]; n3 <= b_.U[2]; ++n3) {
      if (n3 != b_.L[2] && !Step(n[0], n[1], n3, b_.L[3])) return false;
      n[2] = n3;
      int first, last;
      const double factor =
          Quotient(std::int64_t{n[1]} * n[5], std::int64_t{n[0]} * n3 * n[4]);
      if (!LinearWindow(factor, 3, first, last)) continue;
      if (!OfferWindow(n, 3, first, last)) return false;
    }
    return true;
  }

  bool TripleFamily(int n1, int n2) {
    if (config_.index == kTripleReductionIndex) {
      if (useTables_ && TripleFromTables(n1, n2)) return !capped_;
      return TripleOrdered(n1, n2);
    }
    // Equal compounds: N4 = N2 and N5 = N3, so each N3 leaves only N6 free.
    if (!In(n2, b_.L[3], b_.U[3])) return true;
    if (!useTables_ && compoundEntries_ > 0 && sweptN3_ >= compoundEntries_) BuildCompoundTable();
    if (useTables_ && CompoundsFromTable(n1, n2)) return !capped_;
    for (int n3 = std::max(b_.L[2], b_.L[4]); n3 <= std::min(b_.U[2], b_.U[4]); ++n3) {
      ++sweptN3_;
      if (n3 != b_.L[2] && !Step(n1, n2, n3, b_.L[3])) return false;
      Teeth n{n1, n2, n3, n2, n3, 0};
      int first, last;
      const double factor = Quotient(std::int64_t{n2} * n2, std::int64_t{n1} * n3 * n3);
      if (!LinearWindow(factor, 5, first, last)) continue;
      if (!OfferWindow(n, 5, first, last)) return false;
    }
    return true;
  }

  // Candidates of one (N1, N2) with equal compounds, confirmed in enumeration order;
  // false when there are more than the budget (nothing has been handed on then).
  bool CompoundsFromTable(int n1, int n2) {
    const double p = Quotient(std::int64_t{n2} * n2, n1);
    double lo = qlo_ / p, hi = qhi_ / p;
    lo -= std::fabs(lo) * kRatioSlack;
    hi += std::fabs(hi) * kRatioSlack;
    keys_.clear();
    if (!compound_.Find(lo, hi, compoundBudget_, keys_, work_)) return false;
    std::sort(keys_.begin(), keys_.end());
    work_ += static_cast<std::int64_t>(keys_.size());
    for (std::uint64_t key : keys_) {
      const int n3 = static_cast<int>((key >> 16) & 0xFFFF);
      if (!Offer(Teeth{n1, n2, n3, n2, n3, static_cast<int>(key & 0xFFFF)})) {
        capped_ = true;
        return true;
      }
    }
    return true;
  }

  // Two pointers over the sorted stage tables: as the N4/N3 ratio grows, the window of
  // N6/N5 ratios that can complete it moves down.
  bool TripleFromTables(int n1, int n2) {
    const double p = Quotient(n2, n1);
    double lo = qlo_ / p, hi = qhi_ / p;
    lo -= std::fabs(lo) * kRatioSlack;
    hi += std::fabs(hi) * kRatioSlack;
    const double smallest3 = stage3_.front().ratio, largest3 = stage3_.back().ratio;
    const double loA = lo / largest3, hiA = hi / smallest3;
    const std::size_t fromA = FirstAtLeast(stage2_, loA - std::fabs(loA) * kRatioSlack);
    const std::size_t toA = FirstAbove(stage2_, hiA + std::fabs(hiA) * kRatioSlack);
    work_ += 24;
    if (toA <= fromA) return true;
    keys_.clear();
    std::size_t low = stage3_.size();
    bool placed = false;
    // Products, not quotients, inside the sweep: lo and hi already carry the slack that
    // covers the rounding of one product.
    for (std::size_t a = fromA; a < toA; ++a) {
      const RatioEntry& ea = stage2_[a];
      const double ra = ea.ratio;
      if (!placed) {
        const double loB = lo / ra;
        low = FirstAtLeast(stage3_, loB - std::fabs(loB) * kRatioSlack);
        placed = true;
        work_ += 20;
      } else {
        while (low > 0 && stage3_[low - 1].ratio * ra >= lo) {
          --low;
          ++work_;
        }
      }
      ++work_;
      for (std::size_t b = low; b < stage3_.size() && stage3_[b].ratio * ra <= hi; ++b) {
        if (static_cast<std::int64_t>(keys_.size()) >= tuning_.candidateBudget) return false;
        keys_.push_back(PackKey(ea.driver, ea.driven, stage3_[b].driver, stage3_[b].driven));
      }
    }
    std::sort(keys_.begin(), keys_.end());
    work_ += static_cast<std::int64_t>(keys_.size());
    for (std::uint64_t key : keys_) {
      const Teeth n{n1, n2, static_cast<int>(key >> 48), static_cast<int>((key >> 32) & 0xFFFF),
                    static_cast<int>((key >> 16) & 0xFFFF), static_cast<int>(key & 0xFFFF)};
      if (!Offer(n)) {
        capped_ = true;
        return true;
      }
    }
    return true;
  }

  bool TripleOrdered(int n1, int n2) {
    for (int n3 = b_.L[2]; n3 <= b_.U[2]; ++n3)
      for (int n4 = b_.L[3]; n4 <= b_.U[3]; ++n4) {
        if ((n3 != b_.L[2] || n4 != b_.L[3]) && !Step(n1, n2, n3, n4)) return false;
        for (int n5 = b_.L[4]; n5 <= b_.U[4]; ++n5) {
          Teeth n{n1, n2, n3, n4, n5, 0};
          int first, last;
          const double factor = Quotient(std::int64_t{n2} * n4, std::int64_t{n1} * n3 * n5);
          if (!LinearWindow(factor, 5, first, last)) continue;
          if (!OfferWindow(n, 5, first, last)) return false;
        }
      }
    return true;
  }

  // Where the loops stand when their message step at (n1, n2, n3, n4) answers stop:
  // N5 and N6 as the previous sweep left them, or untouched before the first sweep.
  void RecordStop(int n1, int n2, int n3, int n4) {
    result_.stopped = true;
    Teeth& c = result_.counters;
    c[0] = n1;
    c[1] = n2;
    c[2] = n3;
    c[3] = n4;
    const Teeth previous = PreviousStep({n1, n2, n3, n4, 0, 0});
    const bool first = previous[0] < b_.L[0];
    result_.dCandidateReduction = 0.0;
    if (first) return;
    if (b_.Empty(4)) {
      c[4] = b_.L[4];
      return;
    }
    c[4] = b_.U[4] + 1;
    c[5] = b_.Empty(5) ? b_.L[5] : b_.U[5] + 1;
    if (!b_.Empty(5)) {
      Teeth last = previous;
      last[4] = b_.U[4];
      last[5] = b_.U[5];
      result_.dCandidateReduction = SearchReduction(last);
    }
  }

  // The step before (n1..n4) in enumeration order; N1 below its lower bound if none.
  Teeth PreviousStep(Teeth n) const {
    for (int g = 3; g >= 0; --g) {
      if (--n[g] >= b_.L[g] || g == 0) return n;
      n[g] = b_.U[g];
    }
    return n;
  }

  // Where the loops stand after examining everything.
  void RecordEnd() {
    Teeth& c = result_.counters;
    for (int g = 0; g < kGearCount; ++g) {
      if (b_.Empty(g)) {
        c[g] = b_.L[g];
        result_.dCandidateReduction = 0.0;
        return;
      }
      c[g] = b_.U[g] + 1;
    }
    result_.dCandidateReduction = SearchReduction(b_.U);
  }

  const SearchInputs& in_;
  const TrainConfiguration& config_;
  const Bounds& b_;
  SearchOperations& ops_;
  const detail::SearchTuning& tuning_;
  SearchResult& result_;
  double target_, range_, qlo_, qhi_;
  std::int64_t work_ = 0;
  bool useTables_ = false;
  bool capped_ = false;
  std::vector<RatioEntry> stage2_, stage3_;  // (N3, N4) and (N5, N6)
  CompoundTable compound_;                   // (N3, N6) with equal compounds
  std::int64_t compoundEntries_ = 0;         // its size; 0 when it is not to be built
  std::int64_t compoundBudget_ = 0;
  std::int64_t sweptN3_ = 0;                 // per-N3 sweeps done without it
  std::vector<std::uint64_t> keys_;
};

bool ShortcutsApply(const SearchInputs& in, const Bounds& b) {
  if (!std::isfinite(in.targetReduction) || !std::isfinite(in.convergenceRange)) return false;
  if (in.convergenceRange < 0) return false;
  for (int g = 0; g < kGearCount; ++g)
    if (b.L[g] < 1 || b.U[g] > kLargestPackedTeeth) return false;
  return true;
}

}  // namespace

void ApplyDummyTeeth(int configuration, Teeth& minTeeth) {
  const int firstUnused = Configuration(configuration).k;
  for (int g = firstUnused; g < kGearCount; ++g) minTeeth[g] = kDummyTeeth;
}

namespace detail {

SearchResult SearchSolutionsTuned(const SearchInputs& inputs, SearchOperations& operations,
                                  const SearchTuning& tuning) {
  const TrainConfiguration& config = Configuration(inputs.configuration);
  SearchResult result;
  result.counters = inputs.profileTeeth;
  const Bounds bounds = FamilyBounds(inputs, config.family, result.minTeeth);
  if (ShortcutsApply(inputs, bounds)) {
    FastSearch(inputs, config, bounds, operations, tuning, result).Run();
  } else {
    RunLoops(inputs, config, bounds, operations, result);
  }
  return result;
}

}  // namespace detail

SearchResult SearchSolutions(const SearchInputs& inputs, SearchOperations& operations) {
  return detail::SearchSolutionsTuned(inputs, operations, detail::SearchTuning{});
}

}  // namespace quenmar
