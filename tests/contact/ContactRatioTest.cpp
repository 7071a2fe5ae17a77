#include "ContactRatio.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace quenmar {
namespace {

// What a field of the calculator shows for a real value.
std::string Shown(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.15g", value);
  return text;
}

// A reference value: either the exact text a field shows, or a value and its tolerance.
struct Expect {
  std::string text;
  double value = 0, tolerance = -1;
  Expect(const char* t) : text(t) {}
  Expect(double v, double tol) : value(v), tolerance(tol) {}
};

void Check(const char* what, double actual, const Expect& expected) {
  if (expected.tolerance < 0)
    EXPECT_EQ(Shown(actual), expected.text) << what;
  else
    EXPECT_NEAR(actual, expected.value, expected.tolerance) << what;
}

struct PairCase {
  const char* name;
  GearPairInput input;
  Expect d1, d2, ro1, ro2, rb1, rb2, cd, ratio;
};

TEST(ContactRatio, WorkedPairs) {
  const double module48 = 25.4 / 48;
  const std::vector<PairCase> cases = {
      {"defaults, P = 48, 20 degrees",
       {},
       "0.416666666666667", "0.416666666666667", "0.229166666666667", "0.229166666666667",
       {0.1957693, 1e-7}, {0.1957693, 1e-7}, "0.416666666666667", {1.5568, 5e-5}},
      {"module of the same size, lengths in millimetres",
       {ToothSize::Module, module48, 20, 20, 20},
       {10.58333, 1e-5}, {10.58333, 1e-5}, {5.820833, 1e-6}, {5.820833, 1e-6},
       {0.1957693 * 25.4, 1e-6}, {0.1957693 * 25.4, 1e-6}, {10.58333, 1e-5}, {1.5568, 5e-5}},
      {"20 and 40 teeth at P = 10",
       {ToothSize::Pitch, 10, 20, 40, 20},
       "2", "4", "1.1", "2.1", {0.9396926, 1e-7}, {1.8793852, 1e-7}, "3", {1.6352, 5e-5}},
      {"pressure angle 0: base circles are the pitch circles",
       {ToothSize::Pitch, 48, 20, 20, 0},
       "0.416666666666667", "0.416666666666667", "0.229166666666667", "0.229166666666667",
       "0.208333333333333", "0.208333333333333", "0.416666666666667", {2.9174, 5e-5}},
      {"module 2, 12 and 30 teeth, 25 degrees",
       {ToothSize::Module, 2, 12, 30, 25},
       "24", "60", "14", "32", {10.87569, 5e-5}, {27.18923, 5e-5}, "42", {1.39438, 5e-5}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const GearPairGeometry g = ComputeGearPair(c.input);
    Check("D1", g.pitchDiameter1, c.d1);
    Check("D2", g.pitchDiameter2, c.d2);
    Check("Ro1", g.outerRadius1, c.ro1);
    Check("Ro2", g.outerRadius2, c.ro2);
    Check("Rb1", g.baseRadius1, c.rb1);
    Check("Rb2", g.baseRadius2, c.rb2);
    Check("CD", g.centerDistance, c.cd);
    Check("contact ratio", g.contactRatio, c.ratio);
    EXPECT_DOUBLE_EQ(g.pitchRadius1, g.pitchDiameter1 / 2);
    EXPECT_DOUBLE_EQ(g.pitchRadius2, g.pitchDiameter2 / 2);
  }
}

// The same pair described by a pitch and by the matching module: every length scales by
// 25.4 and the contact ratio stays.
TEST(ContactRatio, ModeChangesUnitNotGeometry) {
  for (const GearPairInput pitch : {GearPairInput{ToothSize::Pitch, 48, 20, 20, 20},
                                    GearPairInput{ToothSize::Pitch, 6, 17, 83, 14.5},
                                    GearPairInput{ToothSize::Pitch, 2.5, 40, 13, 25}}) {
    GearPairInput module = pitch;
    module.mode = ToothSize::Module;
    module.pitchOrModule = ConvertPitchOrModule(pitch.pitchOrModule);
    const GearPairGeometry inch = ComputeGearPair(pitch);
    const GearPairGeometry mm = ComputeGearPair(module);
    const double tol = 1e-12;
    EXPECT_NEAR(mm.pitchDiameter1, inch.pitchDiameter1 * 25.4, tol * 1e3);
    EXPECT_NEAR(mm.pitchDiameter2, inch.pitchDiameter2 * 25.4, tol * 1e3);
    EXPECT_NEAR(mm.outerRadius1, inch.outerRadius1 * 25.4, tol * 1e3);
    EXPECT_NEAR(mm.baseRadius2, inch.baseRadius2 * 25.4, tol * 1e3);
    EXPECT_NEAR(mm.circularPitch, inch.circularPitch * 25.4, tol * 1e3);
    EXPECT_NEAR(mm.centerDistance, inch.centerDistance * 25.4, tol * 1e3);
    EXPECT_NEAR(mm.contactRatio, inch.contactRatio, tol);
  }
}

TEST(ContactRatio, PitchModuleConversionRoundTrips) {
  EXPECT_EQ(Shown(ConvertPitchOrModule(48)), "0.529166666666667");
  EXPECT_EQ(Shown(ConvertPitchOrModule(ConvertPitchOrModule(48))), "48");
  EXPECT_EQ(Shown(ConvertPitchOrModule(ConvertPitchOrModule(ConvertPitchOrModule(3)))),
            "8.46666666666667");
  EXPECT_EQ(Shown(ConvertPitchOrModule(25.4)), "1");
  EXPECT_EQ(ConvertPitchOrModule(0), 0);
  EXPECT_EQ(ConvertPitchOrModule(1e-320), 0);  // 25.4 / 1e-320 overflows
  EXPECT_EQ(ConvertPitchOrModule(1.4129219001520732e-307), 0);  // finite, but its text would not read back
}

TEST(ContactRatio, PressureAngleTexts) {
  struct Row {
    const char* name;
    const char* text;
    double degrees;
  };
  const Row rows[] = {
      {"list entry with five leading blanks", "     25", 25},
      {"list entry 14.5", "     14.5", 14.5},
      {"initial text", "20", 20},
      {"typed fraction", "17.5", 17.5},
      {"trailing text ignored", "20 deg", 20},
      {"text before the number gives 0", "deg 20", 0},
      {"no text", "", 0},
      {"blanks only", "   ", 0},
      {"a lone point is no number", ".", 0},
      {"leading point", ".5", 0.5},
      {"trailing point", "5.", 5},
      {"sign", "-14.5", -14.5},
      {"plus sign", "+20", 20},
      {"exponent", "2.5e1", 25},
      {"exponent without digits ends the number", "25e", 25},
      {"no hexadecimal", "0x10", 0},
      {"no infinity words", "inf", 0},
      {"underflow is 0", "1e-400", 0},
  };
  for (const auto& r : rows) EXPECT_EQ(ParsePressureAngle(r.text), r.degrees) << r.name;
  EXPECT_EQ(ParsePressureAngle("1e400"), HUGE_VAL);
  EXPECT_EQ(ParsePressureAngle("-1e400"), -HUGE_VAL);
  EXPECT_EQ(ParsePressureAngle("0.0001e310"), 1e306);
}

// Inputs with a zero divisor, or with results beyond a double, still give finite numbers in
// every field; what can be computed is computed, the rest is 0.
TEST(ContactRatio, DegenerateInputsGiveFiniteFields) {
  struct Row {
    const char* name;
    GearPairInput input;
    bool gear2Defined;   // D2, Ro2, Rb2 keep their values
    bool ratioDefined;
  };
  const Row rows[] = {
      {"pitch 0", {ToothSize::Pitch, 0, 20, 20, 20}, false, false},
      {"module 0", {ToothSize::Module, 0, 20, 20, 20}, false, false},
      {"first gear without teeth", {ToothSize::Pitch, 48, 0, 20, 20}, true, false},
      {"both gears without teeth", {ToothSize::Module, 1, 0, 0, 20}, false, false},
      {"pressure angle beyond a double", {ToothSize::Pitch, 48, 20, 20, HUGE_VAL}, true, false},
      {"module beyond a double", {ToothSize::Module, 1e308, 20, 20, 20}, false, false},
      {"pitch so small the diameters overflow", {ToothSize::Pitch, 1e-310, 20, 20, 20}, false,
       false},
      {"diameter too large to show in 15 digits", {ToothSize::Module, 1.7976931348623157e308, 1, 1, 20},
       false, false},
  };
  const GearPairGeometry reference = ComputeGearPair({});
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    const GearPairGeometry g = ComputeGearPair(r.input);
    for (double v : {g.pitchDiameter1, g.pitchDiameter2, g.pitchRadius1, g.pitchRadius2,
                     g.outerRadius1, g.outerRadius2, g.baseRadius1, g.baseRadius2,
                     g.circularPitch, g.centerDistance, g.contactRatio}) {
      EXPECT_TRUE(std::isfinite(v));
      EXPECT_FALSE(std::signbit(v));
    }
    EXPECT_EQ(g.pitchDiameter2 != 0, r.gear2Defined);
    EXPECT_EQ(g.contactRatio != 0, r.ratioDefined);
    if (r.gear2Defined && r.input.pressureAngleDegrees == 20) {
      EXPECT_EQ(g.outerRadius2, reference.outerRadius2);
      EXPECT_EQ(g.baseRadius2, reference.baseRadius2);
    }
  }
  // A gear without teeth still sits at half the other's pitch diameter from the centre.
  EXPECT_EQ(Shown(ComputeGearPair({ToothSize::Pitch, 48, 0, 20, 20}).centerDistance),
            "0.208333333333333");
  // The largest tooth counts do not overflow the sum behind the centre distance.
  EXPECT_EQ(ComputeGearPair({ToothSize::Pitch, 1, INT_MAX, INT_MAX, 20}).centerDistance,
            static_cast<double>(INT_MAX));
}

}  // namespace
}  // namespace quenmar
