#pragma once
// The design search's trains written as plain nested loops, with no shortcut: every
// gear over its own range (N1 outermost, each ascending), ties, exclusion, owned
// gears, hunting teeth and coaxial stages tested on each combination. The reference of
// the design search's tests and the baseline of its benchmarks.

#include <array>
#include <cstdint>
#include <numeric>

#include "DesignSearch.h"

namespace quenmar::reference {

struct LiteralDesignGears {
  int gears = 0, stages = 0;
  std::array<int, design::kMaxGears> lo{}, hi{};
  std::uint64_t fixedDriven = 1, fixedDriver = 1;  // N6 and N5 of a double
  int configuration = -1;                          // -1: a free train

  explicit LiteralDesignGears(const design::DesignQuery& query)
      : gears(design::GearCount(query)), stages(design::StageCount(query)) {
    for (int g = 0; g < gears; ++g) {
      lo[g] = query.minTeeth[g];
      hi[g] = query.maxTeeth[g];
    }
    if (query.stages == 0) {
      configuration = query.configuration;
      if (Configuration(configuration).family == Family::Double) {
        fixedDriver = static_cast<std::uint64_t>(query.minTeeth[4]);
        fixedDriven = static_cast<std::uint64_t>(query.minTeeth[5]);
      }
    }
  }
};

// Every filter of the query other than the tolerance, on one train N1..Nk.
inline bool PassesDesignFilters(const design::DesignQuery& query, const LiteralDesignGears& gears,
                                const int* teeth) {
  if (gears.configuration >= 0) {
    Teeth six{};
    for (int g = 0; g < gears.gears; ++g) six[g] = teeth[g];
    if (!PassesFilter(Configuration(gears.configuration), six)) return false;
  }
  if (!query.ownedGears.empty()) {
    std::array<int, design::kMaxTeeth + 1> left{};
    for (int t : query.ownedGears) ++left[t];
    for (int g = 0; g < gears.gears; ++g)
      if (--left[teeth[g]] < 0) return false;
  }
  for (int s = 0; s < gears.stages; ++s) {
    if (query.huntingTooth && std::gcd(teeth[2 * s], teeth[2 * s + 1]) != 1) return false;
    if (query.coaxial && teeth[2 * s] + teeth[2 * s + 1] != teeth[0] + teeth[1]) return false;
  }
  return true;
}

namespace literal_detail {

template <typename Visit>
bool Loop(const LiteralDesignGears& gears, int g, std::array<int, design::kMaxGears>& teeth,
          std::uint64_t num, std::uint64_t den, Visit& visit) {
  if (g == gears.gears - 1) {
    for (int v = gears.lo[g]; v <= gears.hi[g]; ++v) {
      teeth[g] = v;
      if (!visit(teeth.data(), num * static_cast<std::uint64_t>(v), den)) return false;
    }
    return true;
  }
  for (int v = gears.lo[g]; v <= gears.hi[g]; ++v) {
    teeth[g] = v;
    const auto n = static_cast<std::uint64_t>(v);
    if (!Loop(gears, g + 1, teeth, g % 2 == 1 ? num * n : num, g % 2 == 0 ? den * n : den, visit))
      return false;
  }
  return true;
}

}  // namespace literal_detail

// Calls visit(teeth, num, den) for every combination in loop order, where num/den is
// the train's reduction, unreduced; visit returns false to end the loops.
template <typename Visit>
void LiteralDesignLoops(const LiteralDesignGears& gears, Visit&& visit) {
  std::array<int, design::kMaxGears> teeth{};
  literal_detail::Loop(gears, 0, teeth, gears.fixedDriven, gears.fixedDriver, visit);
}

}  // namespace quenmar::reference
