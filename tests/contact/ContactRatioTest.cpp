#include "ContactRatio.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

namespace quenmar {
namespace {

struct PairCase {
  const char* name;
  GearPairInput input;
  double d1, d2, ro1, ro2, rb1, rb2, cd, ratio;  // ratio to 5e-5, the rest to 1e-6
};

TEST(ContactRatio, WorkedPairs) {
  const PairCase cases[] = {
      {"defaults, P = 48, 20 degrees", {}, 20.0 / 48, 20.0 / 48, 0.229166666666667,
       0.229166666666667, 0.1957693, 0.1957693, 20.0 / 48, 1.5568},
      {"the same pair by its module, in millimetres", {ToothSize::Module, 25.4 / 48, 20, 20, 20},
       10.583333, 10.583333, 5.820833, 5.820833, 4.972540, 4.972540, 10.583333, 1.5568},
      {"20 and 40 teeth at P = 10", {ToothSize::Pitch, 10, 20, 40, 20}, 2, 4, 1.1, 2.1,
       0.9396926, 1.8793852, 3, 1.6352},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const GearPairGeometry g = ComputeGearPair(c.input);
    EXPECT_NEAR(g.pitchDiameter1, c.d1, 1e-6);
    EXPECT_NEAR(g.pitchDiameter2, c.d2, 1e-6);
    EXPECT_NEAR(g.outerRadius1, c.ro1, 1e-6);
    EXPECT_NEAR(g.outerRadius2, c.ro2, 1e-6);
    EXPECT_NEAR(g.baseRadius1, c.rb1, 1e-6);
    EXPECT_NEAR(g.baseRadius2, c.rb2, 1e-6);
    EXPECT_NEAR(g.centerDistance, c.cd, 1e-6);
    EXPECT_NEAR(g.contactRatio, c.ratio, 5e-5);
  }
}

TEST(ContactRatio, PitchModuleConversionRoundTrips) {
  EXPECT_EQ(ConvertPitchOrModule(48), 25.4 / 48);
  EXPECT_NEAR(ConvertPitchOrModule(ConvertPitchOrModule(48)), 48, 1e-13);
  EXPECT_EQ(ConvertPitchOrModule(0), 0);
  // Finite, but its 15-digit text would round past the largest double.
  EXPECT_EQ(ConvertPitchOrModule(1.4129219001520732e-307), 0);
}

TEST(ContactRatio, PressureAngleTexts) {
  const struct {
    const char* text;
    double degrees;
  } rows[] = {
      {"     25", 25},  {"17.5", 17.5}, {"20 deg", 20}, {"deg 20", 0},   {"", 0},
      {"-14.5", -14.5}, {"2.5e1", 25},  {"25e", 25},    {"0x10", 0},     {"1e-400", 0},
      {"-1e400", -HUGE_VAL},
  };
  for (const auto& r : rows) EXPECT_EQ(ParsePressureAngle(r.text), r.degrees) << '"' << r.text << '"';
}

// A zero divisor, or a result beyond what a field can show, never gives anything but a
// finite number; what can be computed still is.
TEST(ContactRatio, DegenerateInputsGiveFiniteFields) {
  const struct {
    const char* name;
    GearPairInput input;
    bool gear2Defined;
  } rows[] = {
      {"pitch 0", {ToothSize::Pitch, 0, 20, 20, 20}, false},
      {"module 0", {ToothSize::Module, 0, 20, 20, 20}, false},
      {"first gear without teeth", {ToothSize::Pitch, 48, 0, 20, 20}, true},
      {"pressure angle beyond a double", {ToothSize::Pitch, 48, 20, 20, HUGE_VAL}, true},
      {"diameters overflow", {ToothSize::Pitch, 1e-310, 20, 20, 20}, false},
      {"diameter too large for 15 digits", {ToothSize::Module, 1.7976931348623157e308, 1, 1, 20}, false},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    const GearPairGeometry g = ComputeGearPair(r.input);
    for (double v : {g.pitchDiameter1, g.pitchDiameter2, g.outerRadius1, g.outerRadius2,
                     g.baseRadius1, g.baseRadius2, g.centerDistance, g.contactRatio})
      EXPECT_TRUE(std::isfinite(v) && !std::signbit(v)) << v;
    EXPECT_EQ(g.pitchDiameter2 != 0, r.gear2Defined);
    EXPECT_EQ(g.contactRatio, 0);
  }
  // The largest tooth counts do not overflow the sum behind the centre distance.
  EXPECT_EQ(ComputeGearPair({ToothSize::Pitch, 1, INT_MAX, INT_MAX, 20}).centerDistance, INT_MAX);
}

}  // namespace
}  // namespace quenmar
