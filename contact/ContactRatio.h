#pragma once
// Geometry and contact ratio of one pair of external spur gears in mesh.
// No Qt here: the calculator dialog is a thin shell over these functions.
//
// The tooth size is a diametral pitch P (teeth per inch of pitch diameter; lengths come out
// in inches) or a module m (millimetres of pitch diameter per tooth; lengths in millimetres).
// The constants are the ones the calculator has always used, so its results stay the same to
// the last digit: pi with ten decimals, 1/180 as the nearest double, 25.4 mm to the inch.

#include <string_view>

namespace quenmar {

constexpr double kCalculatorPi = 3.1415926535;
constexpr double kOneOver180 = 0.005555555555555556;
constexpr double kMillimetresPerInch = 25.4;
constexpr double kInchesPerMillimetre = 0.03937007874015748;

enum class ToothSize { Pitch, Module };

struct GearPairInput {
  ToothSize mode = ToothSize::Pitch;
  double pitchOrModule = 48;          // P (pitch mode) or m (module mode)
  int teeth1 = 20;                    // N1
  int teeth2 = 20;                    // N2
  double pressureAngleDegrees = 20;   // phi
};

// Every length is in the unit of the mode. A quantity that cannot be computed because one of
// its divisors is zero (P or m of 0, a tooth count of 0, a pressure angle whose cosine is 0),
// or that would not be a finite number whose 15-digit text reads back, is reported as 0: the
// calculator's fields must always hold something a person (and the next read of the dialog)
// can take as a number.
struct GearPairGeometry {
  double pitchDiameter1 = 0, pitchDiameter2 = 0;  // D1, D2
  double pitchRadius1 = 0, pitchRadius2 = 0;      // R1, R2
  double outerRadius1 = 0, outerRadius2 = 0;      // Ro1, Ro2 (pitch radius plus one addendum)
  double baseRadius1 = 0, baseRadius2 = 0;        // Rb1, Rb2
  double circularPitch = 0;                       // p
  double centerDistance = 0;                      // nominal centre distance CD
  double contactRatio = 0;                        // path of contact over base pitch
};

// The leading decimal number of a pressure-angle text: leading blanks are skipped, then an
// optional sign, digits with an optional fraction and an optional exponent are taken; the rest
// of the text is ignored. A text that does not begin with a number gives 0; a number too large
// for a double gives an infinity of its sign (which ComputeGearPair then treats as undefined).
double ParsePressureAngle(std::string_view text);

// The pressure angle in radians, phi * pi * (1/180) in that order.
double PressureAngleRadians(double degrees);

// Converts a module to a diametral pitch and back: 25.4 / value both ways, so switching
// there and back returns the value up to the fifteenth digit. A value of 0 (or one whose
// reciprocal is too large to show) has no counterpart and gives 0.
double ConvertPitchOrModule(double value);

// Computes every output of the calculator for one input. Never divides by zero and never
// fails; see GearPairGeometry for what undefined quantities become.
GearPairGeometry ComputeGearPair(const GearPairInput& input);

// The contact ratio of two external spur gears in mesh: the path of contact (each tip
// circle's reach along the line of action, less the part beyond the pitch point) over the
// base pitch. Every length in one unit; at the standard centre distance the working
// pressure angle is the pressure angle. The calculator and the geometry of whole trains
// (profile-shifted gears at a working centre distance) both use it. NaN when the base pitch
// is 0.
double MeshContactRatio(double tipRadius1, double baseRadius1, double tipRadius2,
                        double baseRadius2, double centreDistance, double sinWorkingAngle,
                        double basePitch);

}  // namespace quenmar
