#pragma once
// Inside the design search: exact comparison helpers, the query turned into a plan of
// gears, and the engine that enumerates it. Not part of the public surface; tests and
// benchmarks may use the tuning knobs to drive every path on small inputs.

#include <array>
#include <atomic>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "DesignSearch.h"
#include "Exact.h"

namespace quenmar::design::detail {

// |R - T| * R.den * T.den: the numerator of the exact difference over R.den * T.den.
inline u128 AbsoluteDifference(const Fraction& r, const Fraction& t) {
  const u128 a = u128{r.num} * t.den, b = u128{t.num} * r.den;
  return a > b ? a - b : b - a;
}

// The gears of a query laid out for the loops: N1 first, each with its range, the
// earlier gear it is tied to, and what the filters need.
struct Plan {
  int gears = 0;   // reported and searched: N1..Ngears
  int stages = 0;  // meshes in use
  std::array<int, kMaxGears> lo{}, hi{};
  std::array<int, kMaxGears> tie{};  // -1, or the earlier gear whose teeth this one takes
  bool exclusion = false;            // no driver may have the teeth of a driven gear
  // N5 and N6 of a double, held at their minima: factors of the reduction only.
  std::uint64_t fixedDriven = 1, fixedDriver = 1;
  bool owned = false;
  std::array<int, kMaxTeeth + 1> ownedCount{};
  bool hunting = false, coaxial = false;
};
Plan MakePlan(const DesignQuery& query);

// Where a factor x must lie for the train num * x / den to come within radius of the
// target: widened by a relative margin far above the rounding of long doubles, so no
// train is missed; every candidate is then confirmed exactly. Infinite radius: any x.
struct Window {
  long double lo = 0, hi = std::numeric_limits<long double>::infinity();
};
Window WindowFor(const Fraction& target, double radius, std::uint64_t num, std::uint64_t den);

// Knobs of the shortcuts, so tests can drive every path on small inputs.
struct EngineTuning {
  std::int64_t maxTableEntries = std::int64_t{1} << 24;  // stage-product tables larger are not built
  bool shortcuts = true;  // false: the plain loops (with the filters pruning) only
  int tableStages = -1;   // -1: chosen by cost; h >= 1: a table of the last h stages where it fits
  int products = -1;      // for the K closest: -1 chosen by cost, 0 never, 1 wherever it applies
};

std::optional<std::string> CheckMemory(const DesignQuery& query);

DesignResult RunEngine(const DesignQuery& query, DesignOperations& operations,
                       const std::atomic<bool>* stop, const EngineTuning& tuning = {});

}  // namespace quenmar::design::detail
