// The train model: reductions, acceptance, and the ties and exclusions of each
// configuration.

#include <gtest/gtest.h>

#include "TrainConfiguration.h"

namespace quenmar {
namespace {

struct FilterRow {
  const char* name;
  int configuration;
  Teeth teeth;
  bool passes;
};

TEST(TrainModel, TiesAndExclusions) {
  const FilterRow rows[] = {
      {"SingleEqualGearsPass", 0, {12, 12, 10, 10, 10, 10}, true},
      {"DoubleExample", 1, {10, 19, 11, 21, 10, 10}, true},
      {"DoubleDriverN3EqualsDrivenN2", 1, {10, 19, 19, 21, 10, 10}, false},
      {"DoubleDriverN1EqualsDrivenN4", 1, {21, 19, 11, 21, 10, 10}, false},
      {"DoubleDriversMayBeEqual", 1, {11, 19, 11, 21, 10, 10}, true},
      {"DoubleIgnoresDummyGears", 1, {10, 19, 11, 21, 19, 21}, true},
      {"N1EqN3Holds", 2, {10, 19, 10, 21, 10, 10}, true},
      {"N1EqN3Broken", 2, {10, 19, 11, 21, 10, 10}, false},
      {"N2EqN4Holds", 3, {10, 19, 11, 19, 10, 10}, true},
      {"N2EqN4Broken", 3, {10, 19, 11, 21, 10, 10}, false},
      {"BothTiesHold", 4, {10, 19, 10, 19, 10, 10}, true},
      {"BothTiesButExclusion", 4, {10, 10, 10, 10, 10, 10}, false},
      {"EqualCompoundsAllowEqualDrivers", 5, {10, 20, 10, 20, 10, 12}, true},
      {"EqualCompoundsAllowN1EqN2", 5, {10, 10, 11, 10, 11, 12}, true},
      {"EqualCompoundsN3NotN5", 5, {10, 20, 10, 20, 11, 12}, false},
      {"TripleEqualDrivenAllowed", 6, {10, 20, 11, 20, 12, 25}, true},
      {"TripleDriverN5EqualsDrivenN2", 6, {10, 20, 11, 21, 20, 25}, false},
      {"TripleDriverN1EqualsDrivenN6", 6, {25, 20, 11, 21, 12, 25}, false},
  };
  for (const FilterRow& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(PassesFilter(Configuration(row.configuration), row.teeth), row.passes);
  }
}

TEST(TrainModel, Reductions) {
  struct Row {
    const char* name;
    Teeth teeth;
    double search;
  };
  const Row rows[] = {
      {"Double", {10, 19, 11, 21, 10, 10}, 399.0 / 110.0},
      {"EqualCompounds", {10, 20, 10, 20, 10, 12}, 4.8},
      {"Triple", {10, 20, 11, 20, 12, 25}, 10000.0 / 1320.0},
      {"Extreme", {1, 500, 1, 500, 1, 500}, 125000000.0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(SearchReduction(row.teeth), row.search);
    EXPECT_NEAR(ProfileReduction(row.teeth), row.search, row.search * 1e-15);
  }
  EXPECT_TRUE(Accepted(Difference(2.5, 2.0), 0.5));  // the boundary is inside
  EXPECT_FALSE(Accepted(Difference(2.5, 2.0), 0.4999));
  EXPECT_EQ(Difference(1.0, 3.0), 2.0);
  EXPECT_NEAR(Difference(399.0 / 110.0, 3.624), 0.0032727, 1e-7);
}

}  // namespace
}  // namespace quenmar
