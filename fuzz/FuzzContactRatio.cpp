// The contact ratio formulas over any input: every reported quantity is a finite number
// (never -0) whose 15-digit text reads back as a finite number, so the calculator's fields
// always hold something the next read of the dialog accepts. The pressure-angle text and
// the pitch/module conversion are driven with it.

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ContactRatio.h"

using namespace quenmar;

namespace {

void ExpectShowable(double value, const char* name) {
  char text[64];
  std::snprintf(text, sizeof text, "%.15g", value);
  const double back = std::strtod(text, nullptr);
  if (std::isfinite(value) && !(value == 0 && std::signbit(value)) && std::isfinite(back)) return;
  std::fprintf(stderr, "%s is %s, not a number a field can show and read back\n", name, text);
  std::abort();
}

// Doubles from every corner: plain ones, huge and tiny ones, zeros, infinities, NaN.
double AnyDouble(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0: return in.ConsumeFloatingPointInRange(-1000.0, 1000.0);
    case 1: return static_cast<double>(in.ConsumeIntegralInRange(-1000, 1000));
    case 2: return std::ldexp(in.ConsumeFloatingPointInRange(-1.0, 1.0), in.ConsumeIntegralInRange(-1100, 1100));
    default: return in.ConsumeFloatingPoint<double>();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  GearPairInput pair;
  pair.mode = in.ConsumeBool() ? ToothSize::Pitch : ToothSize::Module;
  pair.pitchOrModule = AnyDouble(in);
  pair.teeth1 = in.ConsumeBool() ? in.ConsumeIntegralInRange(0, 500) : in.ConsumeIntegral<int>();
  pair.teeth2 = in.ConsumeBool() ? in.ConsumeIntegralInRange(0, 500) : in.ConsumeIntegral<int>();
  const std::string angleText = in.ConsumeRandomLengthString(40);
  pair.pressureAngleDegrees = in.ConsumeBool() ? ParsePressureAngle(angleText) : AnyDouble(in);

  const GearPairGeometry g = ComputeGearPair(pair);
  ExpectShowable(g.pitchDiameter1, "D1");
  ExpectShowable(g.pitchDiameter2, "D2");
  ExpectShowable(g.pitchRadius1, "R1");
  ExpectShowable(g.pitchRadius2, "R2");
  ExpectShowable(g.outerRadius1, "Ro1");
  ExpectShowable(g.outerRadius2, "Ro2");
  ExpectShowable(g.baseRadius1, "Rb1");
  ExpectShowable(g.baseRadius2, "Rb2");
  ExpectShowable(g.circularPitch, "p");
  ExpectShowable(g.centerDistance, "CD");
  ExpectShowable(g.contactRatio, "the contact ratio");
  if (std::isfinite(pair.pitchOrModule))
    ExpectShowable(ConvertPitchOrModule(pair.pitchOrModule), "the converted pitch or module");
  return 0;
}
