#include "ContactRatio.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace quenmar {
namespace {

// Internally an undefined quantity is a quiet NaN, so that everything computed from it is
// undefined too; only the reported values are turned into 0.
constexpr double kUndefined = std::numeric_limits<double>::quiet_NaN();

double Quotient(double numerator, double divisor) {
  return divisor == 0 ? kUndefined : numerator / divisor;
}

// The largest value whose 15-digit text ("%.15g") still reads back as a double; above it the
// text rounds up past the largest double and a field showing it could never be read again.
constexpr double kLargestShown = 1.79769313486231e308;

double Reported(double value) {
  // Also folds -0 into 0, so a field never shows "-0".
  return std::fabs(value) <= kLargestShown && value != 0 ? value : 0.0;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

double ParsePressureAngle(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;

  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

  // The mantissa. Where its first significant digit sits relative to the point decides
  // between overflow and underflow when the number does not fit a double.
  std::string token = negative ? "-" : "";
  int mantissaDigits = 0;
  long significantIntegerDigits = 0;
  long zerosAfterPoint = 0;  // zeros between the point and the first significant digit
  bool significantSeen = false;
  bool afterPoint = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (IsDigit(c)) {
      ++mantissaDigits;
      if (c != '0') significantSeen = true;
      if (!afterPoint && significantSeen) ++significantIntegerDigits;
      if (afterPoint && !significantSeen) ++zerosAfterPoint;
    } else if (c == '.' && !afterPoint) {
      afterPoint = true;
    } else {
      break;
    }
    token += c;
  }
  if (mantissaDigits == 0) return 0;

  long exponent = 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    bool negativeExponent = false;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) negativeExponent = text[j++] == '-';
    if (j < text.size() && IsDigit(text[j])) {
      std::string exponentToken = negativeExponent ? "e-" : "e";
      for (; j < text.size() && IsDigit(text[j]); ++j) {
        exponentToken += text[j];
        if (exponent < 100000) exponent = exponent * 10 + (text[j] - '0');
      }
      if (negativeExponent) exponent = -exponent;
      token += exponentToken;
    }
  }

  double value = 0;
  const auto result = std::from_chars(token.data(), token.data() + token.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    const long digitsBeforePoint =
        significantIntegerDigits > 0 ? significantIntegerDigits : -zerosAfterPoint;
    const bool tooLarge = significantSeen && digitsBeforePoint + exponent > 0;
    const double magnitude = tooLarge ? std::numeric_limits<double>::infinity() : 0.0;
    return negative ? -magnitude : magnitude;
  }
  return value;
}

double PressureAngleRadians(double degrees) { return degrees * kCalculatorPi * kOneOver180; }

double ConvertPitchOrModule(double value) {
  return Reported(Quotient(kMillimetresPerInch, value));
}

double MeshContactRatio(double tipRadius1, double baseRadius1, double tipRadius2,
                        double baseRadius2, double centreDistance, double sinWorkingAngle,
                        double basePitch) {
  const double pathOfContact = std::sqrt(tipRadius1 * tipRadius1 - baseRadius1 * baseRadius1) +
                               std::sqrt(tipRadius2 * tipRadius2 - baseRadius2 * baseRadius2) -
                               centreDistance * sinWorkingAngle;
  return Quotient(pathOfContact, basePitch);
}

GearPairGeometry ComputeGearPair(const GearPairInput& in) {
  const double theta = PressureAngleRadians(in.pressureAngleDegrees);
  const double cosTheta = std::isfinite(theta) ? std::cos(theta) : kUndefined;
  const double sinTheta = std::isfinite(theta) ? std::sin(theta) : kUndefined;
  const double n1 = in.teeth1;
  const double n2 = in.teeth2;
  const double sumOfTeeth = n1 + n2;  // in double: two large counts must not overflow an int
  const double value = in.pitchOrModule;
  const bool pitchMode = in.mode == ToothSize::Pitch;

  double d1, d2, p, cd;
  if (pitchMode) {
    d1 = Quotient(n1, value);
    d2 = Quotient(n2, value);
    p = Quotient(kCalculatorPi, value);
    cd = Quotient(sumOfTeeth, 2 * value);
  } else {
    d1 = value * n1;
    d2 = value * n2;
    p = value * kCalculatorPi;
    // A module of 0 is a pair of points: the centre distance is 0, not undefined.
    cd = value == 0 ? 0.0 : Quotient(sumOfTeeth, 2 * Quotient(1, value));
  }
  const double r1 = d1 * 0.5;
  const double r2 = d2 * 0.5;
  const double rb1 = cosTheta * r1;
  const double rb2 = cosTheta * r2;
  const double ro1 = (Quotient(2, n1) + 1) * d1 * 0.5;
  const double ro2 = (Quotient(2, n2) + 1) * d2 * 0.5;

  // The ratio does not depend on the unit, but module lengths are taken to inches first so
  // both modes round the same way.
  const double toInches = pitchMode ? 1.0 : kInchesPerMillimetre;
  const double ro1In = ro1 * toInches, ro2In = ro2 * toInches;
  const double rb1In = rb1 * toInches, rb2In = rb2 * toInches;
  const double pIn = p * toInches, cdIn = cd * toInches;
  const double contactRatio = MeshContactRatio(ro1In, rb1In, ro2In, rb2In, cdIn, sinTheta, pIn * cosTheta);

  GearPairGeometry g;
  g.pitchDiameter1 = Reported(d1);
  g.pitchDiameter2 = Reported(d2);
  g.pitchRadius1 = Reported(r1);
  g.pitchRadius2 = Reported(r2);
  g.outerRadius1 = Reported(ro1);
  g.outerRadius2 = Reported(ro2);
  g.baseRadius1 = Reported(rb1);
  g.baseRadius2 = Reported(rb2);
  g.circularPitch = Reported(p);
  g.centerDistance = Reported(cd);
  g.contactRatio = Reported(contactRatio);
  return g;
}

}  // namespace quenmar
