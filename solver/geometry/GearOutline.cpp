#include "GearOutline.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quenmar::geometry {

namespace {

constexpr double kPi = std::numbers::pi;

// A point of the tooth's right half: at `radius`, `angle` from the tooth's centre line
// (+y) towards +x.
Point Polar(double radius, double angle) { return {radius * std::sin(angle), radius * std::cos(angle)}; }
double AngleOf(const Point& p) { return std::atan2(p.x, p.y); }
double RadiusOf(const Point& p) { return std::hypot(p.x, p.y); }

double DistanceToChord(const Point& p, const Point& a, const Point& b) {
  const double dx = b.x - a.x, dy = b.y - a.y, length = std::hypot(dx, dy);
  if (length == 0) return std::hypot(p.x - a.x, p.y - a.y);
  return std::abs((p.x - a.x) * dy - (p.y - a.y) * dx) / length;
}

// Appends the curve from f(a) up to, not including, f(b), halving every chord whose
// middle strays from the curve by more than half the tolerance.
template <typename Curve>
void Refine(const Curve& f, double t0, double t1, Point p0, Point p1, double tolerance, int depth,
            std::vector<Point>& out) {
  const double tm = (t0 + t1) / 2;
  const Point pm = f(tm);
  if (depth < 20 && DistanceToChord(pm, p0, p1) > tolerance / 2) {
    Refine(f, t0, tm, p0, pm, tolerance, depth + 1, out);
    Refine(f, tm, t1, pm, p1, tolerance, depth + 1, out);
  } else {
    out.push_back(p0);
  }
}

template <typename Curve>
void Sample(const Curve& f, double a, double b, double tolerance, std::vector<Point>& out) {
  constexpr int kPieces = 4;  // so that no bend hides between two samples
  for (int i = 0; i < kPieces; ++i) {
    const double t0 = a + (b - a) * i / kPieces, t1 = a + (b - a) * (i + 1) / kPieces;
    Refine(f, t0, t1, f(t0), f(t1), tolerance, 0, out);
  }
}

// Where g(t) changes sign within [a, b] (g(a) and g(b) of opposite signs).
template <typename Function>
double Root(const Function& g, double a, double b) {
  const bool rising = g(a) < 0;
  for (int i = 0; i < 80; ++i) {
    const double mid = (a + b) / 2;
    ((g(mid) < 0) == rising ? a : b) = mid;
  }
  return (a + b) / 2;
}

// The right half of tooth 0, from the middle of its tip to the middle of the space
// beside it: the tip arc, the involute, the fillet, the root arc.
std::vector<Point> HalfTooth(const GearCut& g, double tolerance) {
  const double m = g.module, alpha = g.pressureAngle;
  const double r = g.PitchRadius(), rb = g.BaseRadius(), rf = g.RootRadius();
  const double rho = g.RackRounding();
  // The rack in the gear's frame at the start of the roll: its reference line r + x m
  // from the centre, the space between two rack teeth centred on the tooth. The centre
  // of its tip rounding lies rho above the tip line and rho from the flank.
  const double yc = rf + rho;
  const double uc = rho / std::cos(alpha) + kPi * m / 4 + (r + g.shift * m - yc) * std::tan(alpha);
  const double below = r - yc;  // of the rounding's centre under the rolling line
  // The rounding touches the gear where its normal passes through the pitch point: at
  // the rounding's angle theta (pi + alpha at the flank, 3 pi / 2 at the tip line), with
  // the rack rolled by phi.
  const auto fillet = [&](double theta) {
    const double along = -below * std::cos(theta) / std::sin(theta);
    const double phi = (along - uc) / r;
    const double wx = along + rho * std::cos(theta), wy = yc + rho * std::sin(theta);
    return Point{wx * std::cos(phi) - wy * std::sin(phi), wx * std::sin(phi) + wy * std::cos(phi)};
  };
  const auto involute = [&](double radius) { return Polar(radius, g.HalfToothAngle(radius)); };

  // Where the fillet gives way to the involute: at the flank's end, or, where the rack
  // undercuts, where the fillet crosses the involute.
  double filletEnd = kPi + alpha;
  if (g.shift < g.UndercutLimit()) {
    const auto inside = [&](double theta) {
      const Point p = fillet(theta);
      const double radius = RadiusOf(p);
      return radius < rb ? -1.0 : AngleOf(p) - g.HalfToothAngle(radius);
    };
    constexpr int kSteps = 200;
    for (int i = 1; i <= kSteps; ++i) {
      const double theta = 1.5 * kPi - (0.5 * kPi - alpha) * i / kSteps;
      if (inside(theta) >= 0) {
        filletEnd = Root(inside, theta, theta + (0.5 * kPi - alpha) / kSteps);
        break;
      }
    }
  }
  const double involuteEnd = std::max(rb, RadiusOf(fillet(filletEnd)));
  // A tip whose flanks meet below the tip circle ends where they meet.
  double tip = g.TipRadius();
  if (g.HalfToothAngle(tip) <= 0)
    tip = Root([&](double radius) { return g.HalfToothAngle(radius); }, std::max(rb, involuteEnd), tip);

  std::vector<Point> half;
  const double tipHalf = std::max(0.0, g.HalfToothAngle(tip));
  if (tipHalf > 0) Sample([&](double a) { return Polar(tip, a); }, 0, tipHalf, tolerance, half);
  if (tip > involuteEnd) Sample(involute, tip, involuteEnd, tolerance, half);
  Sample(fillet, filletEnd, 1.5 * kPi, tolerance, half);
  const double space = kPi / g.teeth;
  const double rootStart = std::min(uc / r, space);
  if (rootStart < space) Sample([&](double a) { return Polar(rf, a); }, rootStart, space, tolerance, half);
  half.push_back(Polar(rf, space));
  return half;
}

Point Turned(const Point& p, double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  return {p.x * c - p.y * s, p.x * s + p.y * c};
}

}  // namespace

std::vector<Point> GearOutline(const GearCut& gear, double phase, double tolerance) {
  const std::vector<Point> half = HalfTooth(gear, tolerance);
  // One tooth, from the middle of the space on its left (-x) to that on its right.
  std::vector<Point> tooth;
  for (auto p = half.rbegin(); p != half.rend(); ++p) tooth.push_back({-p->x, p->y});
  tooth.insert(tooth.end(), half.begin() + 1, half.end());
  // Teeth follow clockwise; the outline is then reversed to run counter-clockwise.
  std::vector<Point> outline;
  const double pitch = 2 * kPi / gear.teeth;
  for (int k = 0; k < gear.teeth; ++k)
    for (std::size_t i = 1; i < tooth.size(); ++i) outline.push_back(Turned(tooth[i], -pitch * k + phase));
  std::reverse(outline.begin(), outline.end());
  return outline;
}

std::vector<Point> OffsetOutline(const std::vector<Point>& outline, double distance) {
  std::vector<Point> points;
  for (const Point& p : outline)
    if (points.empty() || std::hypot(p.x - points.back().x, p.y - points.back().y) > 1e-12) points.push_back(p);
  const std::size_t n = points.size();
  if (distance == 0 || n < 3) return points;
  const auto normal = [](const Point& a, const Point& b) {  // outward, for a counter-clockwise polygon
    const double dx = b.x - a.x, dy = b.y - a.y, length = std::hypot(dx, dy);
    return Point{dy / length, -dx / length};
  };
  std::vector<Point> moved(n);
  for (std::size_t i = 0; i < n; ++i) {
    const Point& prev = points[(i + n - 1) % n];
    const Point& next = points[(i + 1) % n];
    const Point n1 = normal(prev, points[i]), n2 = normal(points[i], next);
    Point bisector{n1.x + n2.x, n1.y + n2.y};
    const double length = std::hypot(bisector.x, bisector.y);
    bisector = length < 1e-9 ? n1 : Point{bisector.x / length, bisector.y / length};
    // Where the two moved edges meet, limited at a spike.
    const double reach = distance / std::max(0.25, bisector.x * n1.x + bisector.y * n1.y);
    moved[i] = {points[i].x + bisector.x * reach, points[i].y + bisector.y * reach};
  }
  return moved;
}

}  // namespace quenmar::geometry
