#include "TrainConfiguration.h"

#include <cmath>
#include <cstdlib>

namespace quenmar {

namespace {

constexpr TrainConfiguration kConfigurations[kConfigurationCount] = {
    {0, Family::Single, 2, "Single Reduction Only", "Single Reduction", false, false, false, false},
    {1, Family::Double, 4, "Double Reduction Only", "Double Reduction", false, false, false, true},
    {2, Family::Double, 4, "Double Reduction with N1 = N3", "Double Reduction with N1 = N3", true,
     false, false, true},
    {3, Family::Double, 4, "Double Reduction with N2 = N4", "Double Reduction with N2 = N4", false,
     true, false, true},
    {4, Family::Double, 4, "Double with N1 = N3; N2 = N4",
     "Double Reduction with N1 = N3 and N2 = N4", true, true, false, true},
    {5, Family::Triple, 6, "Triple With Equal Compounds", "Triple Reduction with Equal Compounds",
     false, true, true, false},
    {6, Family::Triple, 6, "", "Triple Reduction", false, false, false, true},
};

}  // namespace

const TrainConfiguration& Configuration(int index) {
  if (index < 0 || index >= kConfigurationCount) std::abort();
  return kConfigurations[index];
}

int GearsInUse(int index) { return Configuration(index).k; }

std::string_view ColumnHeader(Family family) {
  switch (family) {
    case Family::Single:
      return " Difference Reduction  N1     N2";
    case Family::Double:
      return " Difference Reduction  N1     N2     N3     N4";
    case Family::Triple:
      break;
  }
  return " Difference Reduction  N1     N2     N3     N4     N5     N6";
}

double SearchReduction(const Teeth& n) {
  // 64-bit products: exact for every count a train can have, and no overflow for
  // callers that pass larger counts than the form allows.
  const std::int64_t numerator = std::int64_t{n[3]} * n[1] * n[5];
  const std::int64_t denominator = std::int64_t{n[4]} * n[2] * n[0];
  return static_cast<double>(numerator) / static_cast<double>(denominator);
}

double ProfileReduction(const Teeth& n) {
  const double n1 = n[0], n2 = n[1], n3 = n[2], n4 = n[3], n5 = n[4], n6 = n[5];
  return (n6 / n1) * (n4 / n5) * (n2 / n3);
}

double Difference(double reduction, double target) { return std::fabs(reduction - target); }

bool Accepted(double difference, double range) { return difference <= range; }

bool PassesFilter(const TrainConfiguration& config, const Teeth& n) {
  if (config.tieN1N3 && n[0] != n[2]) return false;
  if (config.tieN2N4 && n[1] != n[3]) return false;
  if (config.tieN3N5 && n[2] != n[4]) return false;
  if (!config.driversDifferFromDriven) return true;
  const int gears = config.k;  // 4 or 6: the drivers and driven gears the family uses
  for (int driver = 0; driver < gears; driver += 2)
    for (int driven = 1; driven < gears; driven += 2)
      if (n[driver] == n[driven]) return false;
  return true;
}

}  // namespace quenmar
