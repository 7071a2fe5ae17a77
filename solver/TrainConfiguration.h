#pragma once
// The gear-train model shared by the search, the row text, the results file and the form.
// No Qt here: this library must build and run without any windowing.

#include <array>
#include <cstdint>
#include <string_view>

namespace quenmar {

// Gears N1..N6 are indexed 0..5 everywhere (N1 first). Drivers: N1, N3, N5; driven: N2, N4, N6.
constexpr int kGearCount = 6;
using Teeth = std::array<std::int32_t, kGearCount>;

enum class Family { Single, Double, Triple };

// Index of a configuration in the form's selector; 6 has no selector entry but is
// handled everywhere else.
constexpr int kConfigurationCount = 7;
constexpr int kSelectableConfigurations = 6;
constexpr int kTripleReductionIndex = 6;
constexpr int kStartupConfiguration = 5;  // "Triple With Equal Compounds"

struct TrainConfiguration {
  int index;
  Family family;
  int k;                              // gears a solution reports: 2, 4 or 6
  std::string_view selectorEntry;     // empty for index 6
  std::string_view methodName;        // results file "Method = ..."
  bool tieN1N3;
  bool tieN2N4;
  bool tieN3N5;
  bool driversDifferFromDriven;       // the exclusion rule
};

// index must be 0..6.
const TrainConfiguration& Configuration(int index);

// Which gears a configuration uses: N1 up to N(GearsInUse), that is 2, 4 or 6 (its k). The
// others hold kUnusedGearTeeth, equal in pairs, so that the one six-gear reduction formula
// serves every configuration.
int GearsInUse(int index);
constexpr int kUnusedGearTeeth = 10;

// The results file line above the rows: 32, 46 or 60 characters.
std::string_view ColumnHeader(Family family);

// R as the search computes it: exact integer products, one division in double.
// Teeth must be at least 1.
double SearchReduction(const Teeth& n);

// R as the profile computes it: (N6/N1) * (N4/N5) * (N2/N3) in double. A zero
// divisor does not trap; the caller decides how to show it.
double ProfileReduction(const Teeth& n);

// D = |R - target|; never negative.
double Difference(double reduction, double target);

// Inside the convergence range when D <= range (the boundary counts as inside).
bool Accepted(double difference, double range);

// Ties and exclusion of the configuration over the gears its family uses.
bool PassesFilter(const TrainConfiguration& config, const Teeth& n);

// One accepted train.
struct TrainSolution {
  double dDifference = 0.0;
  double dReduction = 0.0;
  Teeth nTeeth{};
};

}  // namespace quenmar
