#include "WindowChecks.h"

#include <algorithm>
#include <numeric>

namespace quenmar::design {

std::optional<std::string> OwnedGearsShortfall(const std::vector<int>& lo, const std::vector<int>& hi,
                                               std::vector<int> owned) {
  const auto gears = static_cast<int>(lo.size());
  const auto count = static_cast<int>(owned.size());
  auto name = [](int gear) { return "N" + std::to_string(gear + 1); };
  if (count < gears)
    return std::to_string(count) + (count == 1 ? " owned gear" : " owned gears") +
           " cannot make a train of " + std::to_string(gears) + " gears";
  std::sort(owned.begin(), owned.end());
  auto range = [&](int gear) {
    return name(gear) + "'s range, " + std::to_string(lo[gear]) + " to " +
           std::to_string(hi[gear]);
  };
  for (int gear = 0; gear < gears; ++gear) {
    const auto first = std::lower_bound(owned.begin(), owned.end(), lo[gear]);
    if (first == owned.end() || *first > hi[gear])
      return "no owned gear lies within " + range(gear);
  }
  // Every gear needs a gear of its own: give the ranges that end first the smallest owned
  // count they can take, which finds such an assignment whenever one exists.
  std::vector<int> order(static_cast<std::size_t>(gears));
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](int a, int b) { return hi[a] < hi[b]; });
  for (int gear : order) {
    const auto take = std::lower_bound(owned.begin(), owned.end(), lo[gear]);
    if (take == owned.end() || *take > hi[gear])
      return "too few owned gears within the ranges: none is left for " + range(gear);
    owned.erase(take);
  }
  return std::nullopt;
}

void CheckForWindow(const DesignSetup& setup, SetupReading& reading) {
  SetupProblems& problems = reading.problems;
  if (!setup.target.empty() && setup.target.front() == '-') {
    problems.target = "the target must be above 0; \"" + EscapeControls(setup.target) +
                      "\" is negative";
  } else if (problems.target.empty()) {
    const Parsed<Rational> target = ParseTarget(setup.target);
    if (const auto* value = std::get_if<Rational>(&target); value && value->IsZero())
      problems.target = "the target must be above 0: no gear train has a reduction of 0";
  }
  if (setup.maxTrains < 1 && problems.query.empty())
    problems.query = "Max trains must be at least 1: with 0 the search would list nothing";
  // (A planetary set's owned gears are checked by its search, which counts each planet.)
  if (problems.ownedGears.empty() && problems.teeth.empty() && !setup.ownedGears.empty() && setup.planetary.empty()) {
    // The ranges are sound here, so every limit in use reads as a count.
    std::vector<int> lo, hi;
    for (int gear = 0; gear < GearsInUse(setup); ++gear) {
      lo.push_back(std::stoi(setup.minTeeth[gear]));
      hi.push_back(std::stoi(setup.maxTeeth[gear]));
    }
    const Parsed<std::vector<int>> owned = ParseGearField(setup.ownedGears);
    if (const auto* gears = std::get_if<std::vector<int>>(&owned))
      if (auto shortfall = OwnedGearsShortfall(lo, hi, *gears)) problems.ownedGears = *shortfall;
  }
  if (problems.Any()) reading.query.reset();
}

}  // namespace quenmar::design
