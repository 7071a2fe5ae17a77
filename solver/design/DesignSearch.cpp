#include "DesignSearch.h"

#include <algorithm>
#include <cmath>
#include <charconv>
#include <numeric>

#include "DesignEngine.h"
#include "Exact.h"
#include "SolutionRow.h"
#include "TextFormat.h"
#include "TrainGeometry.h"

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

double ToDouble(const Fraction& f) { return detail::QuotientToDouble(f.num, f.den); }

Rational::Rational(std::uint64_t num, std::uint64_t den) {
  const Fraction f = Reduced(num, den);
  num_ = std::to_string(f.num);
  den_ = std::to_string(f.den);
}

std::optional<Rational> Rational::FromDigits(std::string_view num, std::string_view den) {
  const auto digits = [](std::string_view s) {
    return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
  };
  if (!digits(num) || !digits(den)) return std::nullopt;
  mpq_class q{mpz_class(std::string(num)), mpz_class(std::string(den))};
  if (q.get_den() == 0) return std::nullopt;
  q.canonicalize();
  Rational r;
  r.num_ = q.get_num().get_str();
  r.den_ = q.get_den().get_str();
  return r;
}

std::optional<Fraction> Rational::AsFraction() const {
  const auto part = [](const std::string& s) -> std::optional<std::uint64_t> {
    std::uint64_t v = 0;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (error != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return v;
  };
  const auto n = part(num_), d = part(den_);
  if (!n || !d) return std::nullopt;
  return Fraction{*n, *d};
}

double Rational::ToDouble() const { return detail::ExactToDouble(detail::ToGmp(*this)); }

int Compare(const Rational& a, const Rational& b) {
  const int c = cmp(detail::ToGmp(a), detail::ToGmp(b));
  return (c > 0) - (c < 0);
}

int GearCount(const DesignQuery& query) {
  if (query.planetary) return PlanetarySlots(query.planetary->kind);
  if (query.stages > 0) return 2 * query.stages;
  return Configuration(query.configuration).k;
}

int StageCount(const DesignQuery& query) { return GearCount(query) / 2; }

int CompareDifference(const DesignTrain& a, const DesignTrain& b, const Rational& target) {
  return detail::TargetArithmetic(target).CompareDifferences(a.reduction, b.reduction);
}

std::string FormatDesignRow(const DesignTrain& train, const Rational& target) {
  const detail::TargetArithmetic arithmetic(target);
  std::string row;
  row.reserve(18 + 7 * train.teeth.size());
  arithmetic.AppendDifference(row, train.reduction, 8);
  detail::AppendRounded(row, train.reduction, 10);
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

namespace {
std::optional<std::string> CheckCompoundQuery(const DesignQuery& query);
}  // namespace

std::optional<std::string> CheckDesignQuery(const DesignQuery& query) {
  if (query.planetary) {
    if (auto problem = CheckPlanetaryQuery(*query.planetary)) return problem;
  } else if (auto problem = CheckCompoundQuery(query)) {
    return problem;
  }
  for (int teeth : query.ownedGears)
    if (teeth < 1 || teeth > kMaxTeeth)
      return "owned gears must have 1.." + std::to_string(kMaxTeeth) + " teeth";
  if (query.target.Denominator() == "0") return "the target must have a denominator above 0";
  if (query.best < 0 || query.best > kMostTrains) return "best must be 0 to 10000000";
  if (query.maxSolutions && (*query.maxSolutions < 0 || *query.maxSolutions > kMostTrains))
    return "the maximum number of solutions must be 0 to 10000000";
  if (!query.tolerance && query.best == 0) return "a range is needed unless the best trains are asked for";
  if (query.tolerance && query.tolerance->amount.Denominator() == "0")
    return "the range must have a denominator above 0";
  if (!query.planetary)
    if (auto geometric = geometry::CheckGeometry(query.geometry, StageCount(query), query.minTeeth, query.maxTeeth))
      return geometric;
  return detail::CheckMemory(query);
}

namespace {

// A compound train's own problems: its configuration or stages and its teeth bounds.
std::optional<std::string> CheckCompoundQuery(const DesignQuery& query) {
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
  return std::nullopt;
}

}  // namespace

DesignQuery QueryFor(const DesignQuery& query, const DesignTarget& target) {
  DesignQuery q = query;
  q.target = target.target;
  q.targetText = target.text;
  q.tolerance = target.tolerance;
  q.best = target.best;
  q.maxSolutions = target.maxSolutions;
  if (q.best > 0) q.sort = SortOrder::Difference;
  return q;
}

std::optional<std::string> CheckDesignTargets(const DesignQuery& query, std::span<const DesignTarget> targets) {
  double kept = 0;
  for (std::size_t i = 0; i < targets.size(); ++i) {
    const DesignQuery q = QueryFor(query, targets[i]);
    if (auto problem = CheckDesignQuery(q))
      return targets.size() == 1 ? *problem : "target " + std::to_string(i + 1) + ": " + *problem;
    kept += static_cast<double>(q.best > 0 ? q.best : q.maxSolutions.value_or(MostKeptTrains()) + 1);
  }
  if (kept > static_cast<double>(MostKeptTrains()))
    return "keeping " + text::General(kept, 12) + " trains for all targets would need more than 2 GiB of memory: "
           "ask for at most " + std::to_string(MostKeptTrains()) + " in all";
  return std::nullopt;
}

std::vector<DesignResult> RunDesignSearches(const DesignQuery& query, std::span<const DesignTarget> targets,
                                            DesignOperations& operations, const std::atomic<bool>* stop,
                                            int threads) {
  return detail::RunEngineForTargets(query, targets, operations, stop, threads);
}

std::int64_t MostKeptTrains() { return std::min(kMostTrains, detail::MostAffordable()); }

DesignEstimate EstimateDesignSearch(const DesignQuery& query, int threads) {
  return detail::Estimate(query, threads);
}

DesignResult RunDesignSearch(const DesignQuery& query, DesignOperations& operations,
                             const std::atomic<bool>* stop, int threads) {
  return detail::RunEngine(query, operations, stop, threads);
}

}  // namespace quenmar::design
