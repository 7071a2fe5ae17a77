#pragma once
// One pair of external spur gears as a rack cutter generates them: the basic rack of
// addendum 1, dedendum 1.25 and tip rounding 0.38 (in modules, ISO 53 profile A), moved
// out by x modules for a profile-shifted gear. Where a stage must run at a centre
// distance other than the standard m(z1 + z2)/2, the sum of the two shifts comes from
// the working pressure angle (involute function):
//
//   cos aw = a cos a0 / aw,   x1 + x2 = (z1 + z2) (inv aw - inv a0) / (2 tan a0),
//
// split between the gears in proportion to their teeth (the larger gear, whose teeth
// are thick at the root and wide at the tip, takes the larger share either way; a
// negative share that would undercut a gear stops at its undercut limit, or at 0 where
// the gear is undercut unshifted, and the other gear takes the rest), with
// the tips shortened by k = (x1 + x2) - (aw - a)/m so that the tip clearance stays
// 0.25 m. Lengths in millimetres, angles in radians.

namespace quenmar::geometry {

constexpr double kAddendum = 1.0, kDedendum = 1.25, kRackTipRounding = 0.38;  // of the module
// A shifted tooth whose tip is thinner than this many modules counts as pointed.
constexpr double kThinnestTip = 0.2;

double Involute(double angle);  // tan a - a

// One gear as the rack cuts it.
struct GearCut {
  int teeth = 0;
  double module = 1;
  double pressureAngle = 0;
  double shift = 0;          // x: the rack moved out by x modules
  double tipShortening = 0;  // k, in modules

  double PitchRadius() const { return module * teeth / 2; }
  double BaseRadius() const;
  double TipRadius() const { return module * (teeth / 2.0 + kAddendum + shift - tipShortening); }
  double RootRadius() const { return module * (teeth / 2.0 - kDedendum + shift); }
  // The rack's tip rounding: 0.38 m, or less where a large pressure angle leaves the
  // rack's tooth tip too narrow for it.
  double RackRounding() const;
  // Half the tooth's thickness at a radius (base radius or beyond), as the angle from
  // the tooth's centre line to its flank.
  double HalfToothAngle(double radius) const;
  // The least shift at which the rack's straight flank does not undercut the tooth.
  double UndercutLimit() const;
  double TipThickness() const;  // the arc across the tip, mm
};

enum class MeshProblem { None, Unreachable, ShiftBeyondMaximum, PointedTip, Undercut };

struct Mesh {
  GearCut gear[2];
  double standardCentre = 0;  // m (z1 + z2) / 2
  double workingCentre = 0;
  double workingAngle = 0;
  double contactRatio = 0;
  MeshProblem problem = MeshProblem::None;
};

// The pair at its standard centre distance, unshifted.
Mesh StandardMesh(int driver, int driven, double module, double pressureAngle);

// The pair at the working centre distance `centre`, shifted as above. The problem says
// why it cannot be made: the distance lies below a cos a0 (no shift reaches it), a
// gear's shift exceeds maxShift, a positive shift leaves a tip thinner than
// kThinnestTip modules, or a negative one makes the rack undercut a gear it would not
// have undercut unshifted (or deepens its undercut).
Mesh ShiftedMesh(int driver, int driven, double module, double pressureAngle, double centre,
                 double maxShift);

// The working centre distance that a sum of shifts x1 + x2 gives the pair (for telling
// which distances a range of teeth can reach); the smallest reachable, a cos a0, where
// the sum is too negative for any.
double CentreForShiftSum(int teethSum, double module, double pressureAngle, double shiftSum);

}  // namespace quenmar::geometry
