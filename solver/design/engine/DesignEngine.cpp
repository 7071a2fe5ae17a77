#include "DesignEngine.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <unordered_map>
#include <vector>

#include "DesignCollector.h"
#include "DesignProducts.h"

namespace quenmar::design::detail {

Plan MakePlan(const DesignQuery& query) {
  Plan plan;
  plan.gears = GearCount(query);
  plan.stages = plan.gears / 2;
  plan.tie.fill(-1);
  for (int g = 0; g < plan.gears; ++g) {
    plan.lo[g] = query.minTeeth[g];
    plan.hi[g] = query.maxTeeth[g];
  }
  if (query.stages == 0) {
    const TrainConfiguration& config = Configuration(query.configuration);
    if (config.tieN1N3) plan.tie[2] = 0;
    if (config.tieN2N4) plan.tie[3] = 1;
    if (config.tieN3N5) plan.tie[4] = 2;
    plan.exclusion = config.driversDifferFromDriven;
    if (config.family == Family::Double) {
      plan.fixedDriver = static_cast<std::uint64_t>(query.minTeeth[4]);
      plan.fixedDriven = static_cast<std::uint64_t>(query.minTeeth[5]);
    }
  }
  plan.owned = !query.ownedGears.empty();
  for (int teeth : query.ownedGears) ++plan.ownedCount[teeth];
  plan.hunting = query.huntingTooth;
  plan.coaxial = query.coaxial;
  return plan;
}

std::optional<std::string> CheckMemory(const DesignQuery& query) {
  constexpr double kBudget = 2.0 * 1024 * 1024 * 1024;
  double kept = query.best > 0 ? static_cast<double>(query.best) : static_cast<double>(kMostTrains);
  if (query.maxSolutions) kept = std::min<double>(kept, *query.maxSolutions + 1.0);
  if (kept * Collector::kBytesPerKeptTrain > kBudget)
    return "keeping " + std::to_string(static_cast<std::int64_t>(kept)) +
           " trains would need more than 2 GiB: ask for fewer";
  return std::nullopt;
}

Window WindowFor(const Fraction& target, double radius, std::uint64_t num, std::uint64_t den) {
  constexpr long double kMargin = 1e-12L;
  Window w;
  if (std::isinf(radius)) return w;
  const long double t = static_cast<long double>(target.num) / static_cast<long double>(target.den);
  const long double scale = static_cast<long double>(den) / static_cast<long double>(num);
  w.lo = std::max<long double>(0, (t - radius) * scale * (1 - kMargin));
  w.hi = (t + radius) * scale * (1 + kMargin);
  return w;
}

namespace {

using Teeth12 = std::array<int, kMaxGears>;

// The last stages of a train as one sorted table: every combination of their gears
// that passes the filters reading only those gears, ordered by (tooth sum when coaxial,
// stage ratio). An entry's index is its rank in loop order, from which its teeth are
// decoded, so sorting the hits by index restores loop order.
class TailTable {
 public:
  struct Entry {
    double ratio;
    std::uint32_t index;
    std::uint32_t sum;
  };

  TailTable(const Plan& plan, int stages, Pacer& pacer)
      : plan_(plan), first_(plan.gears - 2 * stages), gears_(2 * stages) {
    std::uint64_t count = 1;
    for (int g = 0; g < gears_; ++g) count *= static_cast<std::uint64_t>(Span(g));
    entries_.reserve(static_cast<std::size_t>(count));
    Teeth12 t{};
    for (int g = 0; g < gears_; ++g) t[g] = plan.lo[first_ + g];
    for (std::uint32_t index = 0; index < count; ++index) {
      if ((index & 0xFFFFF) == 0xFFFFF) {
        pacer.Work(0x100000);
        if (pacer.Stopped()) return;  // the loops do not run then
      }
      Consider(t, index);
      for (int g = gears_ - 1; g >= 0; --g) {  // the next combination in loop order
        if (++t[g] <= plan.hi[first_ + g]) break;
        t[g] = plan.lo[first_ + g];
      }
    }
    std::sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
      return a.sum != b.sum ? a.sum < b.sum : a.ratio < b.ratio;
    });
    for (std::size_t i = 0; i < entries_.size(); ++i)
      if (i == 0 || entries_[i].sum != entries_[i - 1].sum) segments_.push_back(i);
    segments_.push_back(entries_.size());
  }

  int First() const { return first_; }

  // The indices, ascending, of the entries whose ratio lies in the window, among those
  // with the given tooth sum (any sum when sum is 0).
  void Find(const Window& w, std::uint32_t sum, std::vector<std::uint32_t>& hits) const {
    hits.clear();
    for (std::size_t s = 0; s + 1 < segments_.size(); ++s) {
      const auto begin = entries_.begin() + static_cast<long>(segments_[s]);
      const auto end = entries_.begin() + static_cast<long>(segments_[s + 1]);
      if (sum != 0 && begin->sum != sum) continue;
      auto at = std::lower_bound(begin, end, w.lo, [](const Entry& e, long double x) { return e.ratio < x; });
      for (; at != end && at->ratio <= w.hi; ++at) hits.push_back(at->index);
    }
    std::sort(hits.begin(), hits.end());
  }

  void Decode(std::uint32_t index, int* teeth) const {
    for (int g = gears_ - 1; g >= 0; --g) {
      const auto span = static_cast<std::uint32_t>(Span(g));
      teeth[first_ + g] = plan_.lo[first_ + g] + static_cast<int>(index % span);
      index /= span;
    }
  }

 private:
  int Span(int g) const { return std::max(0, plan_.hi[first_ + g] - plan_.lo[first_ + g] + 1); }

  void Consider(const Teeth12& t, std::uint32_t index) {
    std::uint64_t num = 1, den = 1;
    const int sum = t[0] + t[1];
    for (int g = 0; g < gears_; ++g) {
      if (plan_.owned) {  // this count, taken once more for each earlier gear of the same
        int taken = 1;
        for (int k = 0; k < g; ++k) taken += t[k] == t[g] ? 1 : 0;
        if (taken > plan_.ownedCount[t[g]]) return;
      }
      if (g % 2 == 0) {
        den *= static_cast<std::uint64_t>(t[g]);
        continue;
      }
      num *= static_cast<std::uint64_t>(t[g]);
      if (plan_.hunting && std::gcd(t[g - 1], t[g]) != 1) return;
      if (plan_.coaxial && t[g - 1] + t[g] != sum) return;
      if (plan_.exclusion)
        for (int j = 0; j < gears_; j += 2)
          for (int k = 1; k < gears_; k += 2)
            if (t[j] == t[k]) return;
    }
    entries_.push_back(Entry{static_cast<double>(num) / static_cast<double>(den), index,
                             plan_.coaxial ? static_cast<std::uint32_t>(sum) : 0u});
  }

  const Plan& plan_;
  int first_, gears_;
  std::vector<Entry> entries_;
  std::vector<std::size_t> segments_;  // where each tooth sum starts, then the end
};

// The nested loops over N1..Nk in loop order (N1 outermost, each ascending), with the
// ties set directly and every filter applied as soon as the gears it reads are placed.
// The last gears are found rather than looped over: the last gear's teeth solved from
// the target, or the last stages looked up in a sorted table.
class Loops {
 public:
  Loops(const Plan& plan, Collector& sink, Pacer& pacer, const TailTable* table, bool solveLast)
      : plan_(plan), sink_(sink), pacer_(pacer), table_(table), solveLast_(solveLast),
        prefix_(table ? table->First() : solveLast ? plan.gears - 1 : plan.gears) {
    for (int v = 1; v <= kMaxTeeth; ++v)
      if (!plan.owned || plan.ownedCount[v] > 0) values_.push_back(v);
  }

  void Run() { Gear(0, plan_.fixedDriven, plan_.fixedDriver); }

 private:
  // Returns false when the search ends.
  bool Gear(int g, std::uint64_t num, std::uint64_t den) {
    if (g == prefix_) return Tail(num, den);
    if (plan_.tie[g] >= 0) {
      const int v = teeth_[plan_.tie[g]];
      if (v < plan_.lo[g] || v > plan_.hi[g]) return true;
      return Place(g, v, num, den);
    }
    for (auto at = std::lower_bound(values_.begin(), values_.end(), plan_.lo[g]);
         at != values_.end() && *at <= plan_.hi[g]; ++at) {
      if (!Place(g, *at, num, den)) return false;
      if (g < 2) pacer_.Position(Done(g, *at));
      if (pacer_.Stopped()) return false;
    }
    return true;
  }

  bool Place(int g, int v, std::uint64_t num, std::uint64_t den) {
    if (!Allowed(g, v)) return true;
    teeth_[g] = v;
    if (plan_.owned) ++used_[v];
    const bool driven = g % 2 == 1;
    const bool more = Gear(g + 1, driven ? num * v : num, driven ? den : den * v);
    if (plan_.owned) --used_[v];
    return more;
  }

  bool Offer(std::uint64_t num, std::uint64_t den) {
    const u128 diff = AbsoluteDifference(Fraction{num, den}, sink_.Target());
    return sink_.Add(teeth_.data(), num, den, diff);
  }

  bool Tail(std::uint64_t num, std::uint64_t den) {
    pacer_.Work(1);
    if (table_ != nullptr) return TableTail(num, den);
    if (!solveLast_) return Offer(num, den) && !pacer_.Stopped();
    // The last gear, driven, from the target: R = num * v / den.
    const int g = plan_.gears - 1;
    const Window w = WindowFor(sink_.Target(), sink_.Radius(), num, den);
    const long double first = std::max<long double>(plan_.lo[g], std::ceil(w.lo));
    const long double last = std::min<long double>(plan_.hi[g], std::floor(w.hi));
    if (first > last) return !pacer_.Stopped();
    for (int v = static_cast<int>(first); v <= last; ++v) {
      if (plan_.owned && plan_.ownedCount[v] == 0) continue;
      if (!Allowed(g, v)) continue;
      teeth_[g] = v;
      pacer_.Work(1);
      if (!Offer(num * static_cast<std::uint64_t>(v), den)) return false;
    }
    return !pacer_.Stopped();
  }

  bool TableTail(std::uint64_t num, std::uint64_t den) {
    const int first = table_->First();
    const auto sum = static_cast<std::uint32_t>(plan_.coaxial && first > 0 ? teeth_[0] + teeth_[1] : 0);
    table_->Find(WindowFor(sink_.Target(), sink_.Radius(), num, den), sum, hits_);
    pacer_.Work(static_cast<std::int64_t>(hits_.size()));
    for (std::uint32_t index : hits_) {
      table_->Decode(index, teeth_.data());
      std::uint64_t n = num, d = den;
      bool fits = true;
      for (int g = first; g < plan_.gears && fits; ++g) {
        fits = CrossesAllowed(g, teeth_[g]);
        (g % 2 == 1 ? n : d) *= static_cast<std::uint64_t>(teeth_[g]);
      }
      if (plan_.owned) {
        for (int g = first; g < plan_.gears; ++g) ++used_[teeth_[g]];
        for (int g = first; g < plan_.gears; ++g) fits = fits && used_[teeth_[g]] <= plan_.ownedCount[teeth_[g]];
        for (int g = first; g < plan_.gears; ++g) --used_[teeth_[g]];
      }
      if (fits && !Offer(n, d)) return false;
    }
    return !pacer_.Stopped();
  }

  // The exclusion between a gear of the table and the gears placed before it.
  bool CrossesAllowed(int g, int v) const {
    if (plan_.exclusion)
      for (int j = 1 - g % 2; j < table_->First(); j += 2)
        if (teeth_[j] == v) return false;
    return true;
  }

  // How far the loops are once gear g (N1 or N2) has finished value v.
  double Done(int g, int v) const {
    const auto share = [&](int gear, int value) {
      return static_cast<double>(value - plan_.lo[gear] + 1) / (plan_.hi[gear] - plan_.lo[gear] + 1);
    };
    if (g == 0) return share(0, v);
    return (share(0, teeth_[0]) * (plan_.hi[0] - plan_.lo[0] + 1) - 1 + share(1, v)) /
           (plan_.hi[0] - plan_.lo[0] + 1);
  }

  bool Allowed(int g, int v) const {
    if (plan_.owned && used_[v] >= plan_.ownedCount[v]) return false;
    if (plan_.exclusion)
      for (int j = 1 - g % 2; j < g; j += 2)
        if (teeth_[j] == v) return false;
    if (g % 2 == 1) {
      const int driver = teeth_[g - 1];
      if (plan_.hunting && std::gcd(driver, v) != 1) return false;
      if (plan_.coaxial && g > 1 && driver + v != teeth_[0] + teeth_[1]) return false;
    }
    return true;
  }

  const Plan& plan_;
  Collector& sink_;
  Pacer& pacer_;
  const TailTable* table_;
  bool solveLast_;
  int prefix_;  // gears looped over; the rest are found
  std::vector<int> values_;  // the teeth counts a gear may take at all, ascending
  std::vector<std::uint32_t> hits_;
  Teeth12 teeth_{};
  std::array<int, kMaxTeeth + 1> used_{};
};

double Span(const Plan& plan, int g) { return std::max(0, plan.hi[g] - plan.lo[g] + 1); }

// Chooses how the loops end: the cheapest of the plain last gear, the last gear solved
// from the target, and a table of the last 1..stages stages that fits the budget,
// by the work each would take (prefix combinations times a lookup, plus the table's
// sort).
struct Strategy {
  int tableStages = 0;  // 0: no table
  bool solveLast = false;
  double cost = 0;
};

Strategy Choose(const Plan& plan, const EngineTuning& tuning) {
  Strategy best;
  if (!tuning.shortcuts) return best;
  bool tied = false;
  for (int g = 0; g < plan.gears; ++g) tied = tied || plan.tie[g] >= 0;
  const int last = plan.gears - 1;
  bool lastIsSource = false;  // another gear takes the last gear's teeth
  for (int g = 0; g < plan.gears; ++g) lastIsSource = lastIsSource || plan.tie[g] == last;
  double prefix = 1;
  for (int g = 0; g < last; ++g) prefix *= plan.tie[g] >= 0 ? 1 : Span(plan, g);
  double bestCost = prefix * Span(plan, last);
  if (plan.tie[last] < 0 && !lastIsSource) {
    best.solveLast = true;
    bestCost = prefix * 4;
  }
  best.cost = bestCost;
  if (tied) return best;
  for (int h = 1; h <= plan.stages; ++h) {
    if (tuning.tableStages >= 0 && h != tuning.tableStages) continue;
    double head = 1, tail = 1;
    for (int g = 0; g < plan.gears; ++g) (g < plan.gears - 2 * h ? head : tail) *= Span(plan, g);
    if (tail > static_cast<double>(tuning.maxTableEntries)) break;
    const double lookup = std::log2(tail + 2);
    const double cost = head * (lookup + 2) + tail * (lookup + 1);
    if (cost < bestCost || tuning.tableStages == h) {
      bestCost = cost;
      best = Strategy{h, false, cost};
    }
  }
  return best;
}

}  // namespace

DesignResult RunEngine(const DesignQuery& query, DesignOperations& operations,
                       const std::atomic<bool>* stop, const EngineTuning& tuning) {
  const Plan plan = MakePlan(query);
  Collector sink(query, plan, operations);
  Pacer pacer(operations, stop, sink);
  const Strategy strategy = Choose(plan, tuning);
  if (tuning.products != 0 && tuning.shortcuts) {
    // The sweep finds a listing's trains out of order, so it must find them all before
    // the first M are known, where the loops end at the cap: it lists only where the
    // loops would be long and the sweep much shorter.
    const std::optional<double> cost = ProductSweepCost(plan);
    const bool worth = cost && (query.best > 0 ? *cost < strategy.cost
                                               : strategy.cost > 1e9 && *cost * 10 < strategy.cost);
    if (cost && (tuning.products == 1 || worth)) {
      sink.ListOutOfOrder();
      RunProductSweep(plan, sink, pacer);
      if (!pacer.Stopped()) pacer.Position(1.0);
      return sink.Finish(pacer.Stopped());
    }
  }
  std::optional<TailTable> table;
  if (strategy.tableStages > 0) table.emplace(plan, strategy.tableStages, pacer);
  if (!pacer.Stopped()) Loops(plan, sink, pacer, table ? &*table : nullptr, strategy.solveLast).Run();
  if (!pacer.Stopped()) pacer.Position(1.0);
  return sink.Finish(pacer.Stopped());
}

}  // namespace quenmar::design::detail
