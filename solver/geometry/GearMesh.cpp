#include "GearMesh.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "ContactRatio.h"

namespace quenmar::geometry {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kSlack = 1e-12;  // rounding allowed in the limits of a shift

// The angle whose involute is `value` (>= 0), by bisection: the involute rises steeply
// near pi/2, where Newton's steps would overshoot.
double InverseInvolute(double value) {
  double lo = 0, hi = kPi / 2 - 1e-9;
  for (int i = 0; i < 100; ++i) {
    const double mid = (lo + hi) / 2;
    (Involute(mid) < value ? lo : hi) = mid;
  }
  return (lo + hi) / 2;
}

double ContactRatioOf(const Mesh& m) {
  const GearCut& a = m.gear[0];
  const GearCut& b = m.gear[1];
  return MeshContactRatio(a.TipRadius(), a.BaseRadius(), b.TipRadius(), b.BaseRadius(), m.workingCentre,
                          std::sin(m.workingAngle), kPi * a.module * std::cos(a.pressureAngle));
}

}  // namespace

double Involute(double angle) { return std::tan(angle) - angle; }

double GearCut::BaseRadius() const { return PitchRadius() * std::cos(pressureAngle); }

double GearCut::RackRounding() const {
  // The rounding meets the tip line and the flank, which close at 90 degrees + a, a
  // distance rho tan(45 degrees - a/2) from their corner: both roundings of a rack tooth
  // must fit within its tip.
  const double halfTip = kPi / 4 - kDedendum * std::tan(pressureAngle);
  return module * std::min(kRackTipRounding, std::max(0.0, halfTip / std::tan(kPi / 4 - pressureAngle / 2)));
}

double GearCut::HalfToothAngle(double radius) const {
  const double atRadius = std::acos(std::min(1.0, BaseRadius() / radius));
  return (kPi / 2 + 2 * shift * std::tan(pressureAngle)) / teeth + Involute(pressureAngle) - Involute(atRadius);
}

double GearCut::UndercutLimit() const {
  // The rack's straight flank ends where its tip rounding begins, this deep below the
  // rack's reference line; below the interference point it would cut the involute away.
  const double flankDepth = kDedendum - RackRounding() / module * (1 - std::sin(pressureAngle));
  const double s = std::sin(pressureAngle);
  return flankDepth - teeth * s * s / 2;
}

double GearCut::TipThickness() const { return 2 * TipRadius() * HalfToothAngle(TipRadius()); }

Mesh StandardMesh(int driver, int driven, double module, double pressureAngle) {
  Mesh m;
  m.gear[0] = GearCut{driver, module, pressureAngle};
  m.gear[1] = GearCut{driven, module, pressureAngle};
  m.standardCentre = module * (driver + driven) / 2;
  m.workingCentre = m.standardCentre;
  m.workingAngle = pressureAngle;
  m.contactRatio = ContactRatioOf(m);
  return m;
}

Mesh ShiftedMesh(int driver, int driven, double module, double pressureAngle, double centre,
                 double maxShift) {
  Mesh m = StandardMesh(driver, driven, module, pressureAngle);
  const double cosWorking = m.standardCentre * std::cos(pressureAngle) / centre;
  if (!(cosWorking <= 1)) {
    m.problem = MeshProblem::Unreachable;
    return m;
  }
  const int sum = driver + driven;
  m.workingCentre = centre;
  m.workingAngle = std::acos(cosWorking);
  const double shiftSum = sum * (Involute(m.workingAngle) - Involute(pressureAngle)) / (2 * std::tan(pressureAngle));
  const double shortening = std::max(0.0, shiftSum - (centre - m.standardCentre) / module);
  for (GearCut& g : m.gear) {
    g.shift = shiftSum * g.teeth / sum;
    g.tipShortening = shortening;
  }
  // A negative share that would undercut a gear stops at its limit (or at 0 where the
  // rack undercuts it unshifted); the other gear takes the rest.
  for (int i = 0; i < 2; ++i) {
    GearCut& g = m.gear[i];
    if (g.shift < 0 && g.shift < g.UndercutLimit()) {
      g.shift = std::min(0.0, g.UndercutLimit());
      m.gear[1 - i].shift = shiftSum - g.shift;
      break;
    }
  }
  m.contactRatio = ContactRatioOf(m);
  for (const GearCut& g : m.gear) {
    if (std::abs(g.shift) > maxShift + kSlack) m.problem = MeshProblem::ShiftBeyondMaximum;
    else if (g.shift > 0 && g.TipThickness() < kThinnestTip * module) m.problem = MeshProblem::PointedTip;
    else if (g.shift < 0 && g.shift < g.UndercutLimit()) m.problem = MeshProblem::Undercut;
    if (m.problem != MeshProblem::None) break;
  }
  return m;
}

double CentreForShiftSum(int teethSum, double module, double pressureAngle, double shiftSum) {
  const double standard = module * teethSum / 2;
  const double inv = Involute(pressureAngle) + 2 * shiftSum * std::tan(pressureAngle) / teethSum;
  if (inv <= 0) return standard * std::cos(pressureAngle);
  return standard * std::cos(pressureAngle) / std::cos(InverseInvolute(inv));
}

}  // namespace quenmar::geometry
