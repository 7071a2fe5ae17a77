#include "DesignEngine.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <unordered_map>
#include <vector>

#include "DesignCollector.h"

namespace quenmar::design::detail {

int CompareQuotients(u128 x1, u128 y1, u128 x2, u128 y2) {
  // x1/y1 against x2/y2: compare the integer parts; when they agree, the fractional
  // parts r1/y1 and r2/y2 compare the other way round from y1/r1 and y2/r2.
  int sign = 1;
  for (;;) {
    const u128 q1 = x1 / y1, q2 = x2 / y2;
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
  double kept = 0;
  if (query.best > 0) kept = static_cast<double>(query.best);
  if (query.maxSolutions) kept = query.best > 0 ? std::min<double>(kept, *query.maxSolutions + 1.0)
                                                : static_cast<double>(*query.maxSolutions);
  if (kept * Collector::kBytesPerKeptTrain > kBudget)
    return "keeping " + std::to_string(static_cast<std::int64_t>(kept)) +
           " trains would need more than 2 GiB: ask for fewer";
  return std::nullopt;
}

namespace {

// The nested loops over N1..Nk in loop order (N1 outermost, each ascending), with the
// ties set directly and every filter applied as soon as the gears it reads are placed.
class Loops {
 public:
  Loops(const Plan& plan, Collector& sink, Pacer& pacer)
      : plan_(plan), sink_(sink), pacer_(pacer) {}

  void Run() { Gear(0, plan_.fixedDriven, plan_.fixedDriver); }

 private:
  // Returns false when the search ends.
  bool Gear(int g, std::uint64_t num, std::uint64_t den) {
    if (g == plan_.gears) {
      pacer_.Work(1);
      const Fraction target = sink_.Target();
      const u128 diff = AbsoluteDifference(Fraction{num, den}, target);
      return sink_.Add(teeth_.data(), num, den, diff) && !pacer_.Stopped();
    }
    if (plan_.tie[g] >= 0) {
      const int v = teeth_[plan_.tie[g]];
      if (v < plan_.lo[g] || v > plan_.hi[g]) return true;
      return Place(g, v, num, den);
    }
    for (int v = plan_.lo[g]; v <= plan_.hi[g]; ++v) {
      if (!Place(g, v, num, den)) return false;
      if (g < 2) pacer_.Position(Done(g, v));
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
  std::array<int, kMaxGears> teeth_{};
  std::array<int, kMaxTeeth + 1> used_{};
};

}  // namespace

DesignResult RunEngine(const DesignQuery& query, DesignOperations& operations,
                       const std::atomic<bool>* stop, const EngineTuning& /*tuning*/) {
  const Plan plan = MakePlan(query);
  Collector sink(query, plan, operations);
  Pacer pacer(operations, stop, sink);
  Loops(plan, sink, pacer).Run();
  return sink.Finish(pacer.Stopped());
}

}  // namespace quenmar::design::detail
