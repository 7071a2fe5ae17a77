#include "DesignSearch.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "DesignEngine.h"
#include "SolutionRow.h"
#include "TextFormat.h"

namespace quenmar::design {

using detail::u128;

Fraction Reduced(std::uint64_t num, std::uint64_t den) {
  const std::uint64_t g = std::gcd(num, den);
  if (g == 0) return Fraction{0, 1};
  return Fraction{num / g, den / g};
}

int Compare(const Fraction& a, const Fraction& b) {
  const u128 left = u128{a.num} * b.den, right = u128{b.num} * a.den;
  return left < right ? -1 : left > right ? 1 : 0;
}

double ToDouble(const Fraction& f) {
  if (f.num < (std::uint64_t{1} << 53) && f.den < (std::uint64_t{1} << 53))
    return static_cast<double>(f.num) / static_cast<double>(f.den);
  return static_cast<double>(static_cast<long double>(f.num) / static_cast<long double>(f.den));
}

int GearCount(const DesignQuery& query) {
  if (query.stages > 0) return 2 * query.stages;
  return Configuration(query.configuration).k;
}

int StageCount(const DesignQuery& query) { return GearCount(query) / 2; }

int CompareDifference(const DesignTrain& a, const DesignTrain& b, const Fraction& target) {
  return detail::CompareQuotients(detail::AbsoluteDifference(a.reduction, target), a.reduction.den,
                                  detail::AbsoluteDifference(b.reduction, target), b.reduction.den);
}

std::string FormatDesignRow(const DesignTrain& train) {
  std::string row;
  row.reserve(18 + 7 * train.teeth.size());
  text::AppendFixed(row, train.dDifference, 8, 3);
  text::AppendFixed(row, train.dReduction, 10, 3);
  for (int teeth : train.teeth) text::AppendInteger(row, teeth, 7);
  return row;
}

std::string DesignColumnHeader(int gearCount) {
  std::string header = " Difference Reduction";
  for (int g = 1; g <= gearCount; ++g) {
    const std::string label = "N" + std::to_string(g);
    header.append(static_cast<std::size_t>((g == 1 ? 4 : 7) - static_cast<int>(label.size())), ' ');
    header += label;
  }
  return header;
}

std::optional<std::string> CheckDesignQuery(const DesignQuery& query) {
  if (query.stages < 0 || query.stages > kMaxStages)
    return "the number of stages must be 1 to " + std::to_string(kMaxStages);
  if (query.stages == 0 && (query.configuration < 0 || query.configuration >= kConfigurationCount))
    return "the configuration must be 0 to " + std::to_string(kConfigurationCount - 1);
  const std::size_t bounds = query.stages > 0 ? 2 * static_cast<std::size_t>(query.stages)
                                              : static_cast<std::size_t>(kGearCount);
  if (query.minTeeth.size() != bounds || query.maxTeeth.size() != bounds)
    return "the minimum and maximum teeth take " + std::to_string(bounds) +
           " numbers each (N1..N" + std::to_string(bounds) + ")";
  // The gears the reduction uses: those searched, plus N5 and N6 of a double held at
  // their minima.
  const int searched = GearCount(query);
  for (int g = 0; g < static_cast<int>(bounds); ++g) {
    const bool fixedInReduction =
        query.stages == 0 && Configuration(query.configuration).family == Family::Double && g >= 4;
    const auto outside = [](int teeth) { return teeth < 1 || teeth > kMaxTeeth; };
    if ((g < searched && (outside(query.minTeeth[g]) || outside(query.maxTeeth[g]))) ||
        (fixedInReduction && outside(query.minTeeth[g])))
      return "the teeth of N" + std::to_string(g + 1) + " must lie within 1.." +
             std::to_string(kMaxTeeth);
  }
  for (int teeth : query.ownedGears)
    if (teeth < 1 || teeth > kMaxTeeth)
      return "owned gears must have 1.." + std::to_string(kMaxTeeth) + " teeth";
  if (query.target.den == 0) return "the target must have a denominator above 0";
  if (query.best < 0 || query.best > kMostTrains) return "best must be 0 to 10000000";
  if (query.maxSolutions && (*query.maxSolutions < 0 || *query.maxSolutions > kMostTrains))
    return "the maximum number of solutions must be 0 to 10000000";
  if (!query.tolerance && query.best == 0) return "a range is needed unless the best trains are asked for";
  if (query.tolerance && query.tolerance->amount.den == 0)
    return "the range must have a denominator above 0";
  return detail::CheckMemory(query);
}

DesignResult RunDesignSearch(const DesignQuery& query, DesignOperations& operations,
                             const std::atomic<bool>* stop) {
  return detail::RunEngine(query, operations, stop);
}

}  // namespace quenmar::design
