// The geometry of trains checked by other means than its own: profile shifts against the
// meshing condition of tooth thicknesses, clearance against a brute force over sampled
// circles, and exported outlines parsed back (SVG by text, DXF through dxflib) and held
// against the involute unwound from its base circle.

#include <dl_creationadapter.h>
#include <dl_dxf.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "ContactRatio.h"
#include "GearOutline.h"
#include "OutlineExport.h"
#include "TrainGeometry.h"

namespace quenmar::geometry {
namespace {

constexpr double kPi = std::numbers::pi;

// The polar angle of an involute unwound from a base circle, where it reaches radius r.
double Unwound(double rb, double r) {
  const double t = std::sqrt(std::max(0.0, r * r / (rb * rb) - 1));
  return t - std::atan(t);
}

// Half a tooth's thickness, as an angle, at radius r: the rack leaves m (pi/2 + 2 x tan a)
// of arc at the pitch circle, and the flank is the involute through that point.
double HalfTooth(int z, double m, double a, double x, double r) {
  const double rp = m * z / 2, rb = rp * std::cos(a);
  return (kPi / 2 + 2 * x * std::tan(a)) / z + Unwound(rb, rp) - Unwound(rb, r);
}

// x1 + x2 that meshes z1 and z2 without backlash at distance aw: their teeth fill the
// working pitch circles' circular pitch, found by bisection.
double ShiftSumByThickness(int z1, int z2, double m, double a, double aw) {
  const double r1 = aw * z1 / (z1 + z2), r2 = aw * z2 / (z1 + z2);
  const auto gap = [&](double sum) {
    const double x1 = sum * z1 / (z1 + z2), x2 = sum - x1;
    return 2 * r1 * HalfTooth(z1, m, a, x1, r1) + 2 * r2 * HalfTooth(z2, m, a, x2, r2) - 2 * kPi * r1 / z1;
  };
  double lo = -3, hi = 3;
  for (int i = 0; i < 100; ++i) ((gap((lo + hi) / 2) < 0) ? lo : hi) = (lo + hi) / 2;
  return (lo + hi) / 2;
}

TEST(GearMesh, ShiftsMeetTheMeshingCondition) {
  // 19 and 37 teeth of module 4 at 20 degrees: standard distance 112 mm.
  const double a = 20 * kPi / 180;
  // The pinion's share: in proportion to teeth, but never below its undercut limit.
  const struct {
    double centre, sum, pinion;  // to three decimals
  } cases[] = {{112, 0, 0}, {115, 0.820, 0.278}, {110, -0.464, -0.111}, {113.5, 0.393, 0.133}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.centre);
    const Mesh m = ShiftedMesh(19, 37, 4, a, c.centre, 1);
    EXPECT_EQ(m.standardCentre, 112);
    EXPECT_EQ(m.problem, MeshProblem::None);
    const double sum = m.gear[0].shift + m.gear[1].shift;
    EXPECT_NEAR(sum, ShiftSumByThickness(19, 37, 4, a, c.centre), 5e-4);
    EXPECT_NEAR(sum, c.sum, 1e-3);
    EXPECT_NEAR(m.gear[0].shift, c.pinion, 1e-3);
  }
  // Refusals: beyond the shift allowed, below a cos a (no shift reaches it), pinions
  // both undercut unshifted that a negative sum would undercut further.
  EXPECT_EQ(ShiftedMesh(19, 37, 4, a, 118, 0.5).problem, MeshProblem::ShiftBeyondMaximum);
  EXPECT_EQ(ShiftedMesh(19, 37, 4, a, 105, 2).problem, MeshProblem::Unreachable);
  EXPECT_EQ(ShiftedMesh(12, 12, 1, a, 11.8, 1).problem, MeshProblem::Undercut);
  // Unshifted, the contact ratio is the calculator's.
  for (const auto& [z1, z2, module, degrees] : {std::tuple{19, 37, 4.0, 20.0}, {12, 90, 0.8, 14.5}, {30, 30, 2.5, 25.0}}) {
    const GearPairGeometry calculator = ComputeGearPair({ToothSize::Module, module, z1, z2, degrees});
    EXPECT_NEAR(StandardMesh(z1, z2, module, degrees * kPi / 180).contactRatio, calculator.contactRatio, 1e-9);
  }
}

// Random small trains, their clearance found again by sampling every tip circle against
// every shaft it must miss and every gear of its plane.
TEST(TrainGeometry, ClearanceMatchesBruteForce) {
  std::mt19937 rng(21);
  const auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  int fitting = 0, failing = 0;
  for (int trial = 0; trial < 400; ++trial) {
    const int stages = pick(1, 4);
    const bool folded = stages > 1 && pick(0, 2) == 0;
    GeometryOptions o;
    o.enabled = o.fits = true;
    o.clearance = pick(0, 10) / 10.0;
    if (pick(0, 3) == 0) o.maxDiameter = pick(20, 80);
    std::vector<int> teeth;
    std::vector<double> m;
    for (int s = 0; s < stages; ++s) {
      const int module = folded && s > 0 ? o.modules[0].num : pick(2, 5);  // quarters of a mm
      o.modules.push_back({module, 4});
      m.push_back(module / 4.0);
      const int z1 = folded && s > 0 ? pick(7, teeth[0] + teeth[1] - 7) : pick(7, 50);
      teeth.insert(teeth.end(), {z1, folded && s > 0 ? teeth[0] + teeth[1] - z1 : pick(7, 50)});
    }
    for (int j = 0; j <= stages; ++j) o.shafts.push_back(pick(2, 12) / 2.0);
    const TrainRules rules(o, stages, folded);
    const TrainGeometry g = rules.Evaluate(teeth.data());
    ASSERT_EQ(g.folded, folded);

    std::vector<double> x{0};
    for (int s = 0; s < stages; ++s) x.push_back(x[s] + (folded && s % 2 ? -1 : 1) * m[s] * (teeth[2 * s] + teeth[2 * s + 1]) / 2);
    const auto tip = [&](int gear) { return m[gear / 2] * (teeth[gear] / 2.0 + 1); };
    const auto shaftOf = [](int gear) { return gear / 2 + gear % 2; };
    // The gap between a sampled tip circle and a circle of radius `radius` at cx:
    // negative, as deep as they overlap, where cx lies inside the tip circle.
    const auto gap = [&](int gear, double cx, double radius) {
      double nearest = 1e9;
      for (int k = 0; k < 3600; ++k) {
        const double t = 2 * kPi * k / 3600;
        nearest = std::min(nearest, std::hypot(x[shaftOf(gear)] + tip(gear) * std::cos(t) - cx, tip(gear) * std::sin(t)));
      }
      return std::abs(cx - x[shaftOf(gear)]) < tip(gear) ? -nearest - radius : nearest - radius;
    };
    double worst = 1e9;
    bool fits = true;
    for (int gear = 0; gear < 2 * stages; ++gear) {
      for (int j = 0; j <= stages; ++j)
        if (std::abs(x[j] - x[shaftOf(gear)]) > 1e-9) worst = std::min(worst, gap(gear, x[j], o.shafts[j] / 2));
      for (int other = 0; other < gear; ++other)
        if (g.gears[other].plane == g.gears[gear].plane && other / 2 != gear / 2)
          worst = std::min(worst, gap(gear, x[shaftOf(other)], tip(other)));
      fits = fits && m[gear / 2] * (teeth[gear] / 2.0 - 1.25) > o.shafts[shaftOf(gear)] / 2 &&
             (!o.maxDiameter || 2 * tip(gear) <= *o.maxDiameter + 1e-9) &&
             g.meshes[gear / 2].contactRatio >= 1;
      EXPECT_NEAR(g.gears[gear].x, x[shaftOf(gear)], 1e-9);
      if (gear % 2 && gear > 1) {
        EXPECT_NE(g.gears[gear].plane, g.gears[gear - 2].plane);
      }
    }
    fits = fits && worst >= o.clearance - 1e-6;
    EXPECT_NEAR(g.worstClearance, worst, 2e-4) << trial;
    EXPECT_EQ(g.fits, fits) << trial;
    EXPECT_EQ(rules.Fits(teeth.data()), fits) << trial;
    for (int gear = 0; gear < 2 * stages; ++gear)  // what one gear or one stage rules out
      if (!rules.GearFits(gear, teeth[gear]) || !rules.MeshFits(gear / 2, teeth[gear & ~1], teeth[gear | 1])) {
        EXPECT_FALSE(fits) << trial;
      }
    for (int s = 1; s < stages; ++s)
      if (!rules.StageFits(s - 1, teeth.data())) {
        EXPECT_FALSE(rules.StageFits(s, teeth.data()));
      }
    (fits ? fitting : failing) += 1;
  }
  EXPECT_GT(fitting, 40);
  EXPECT_GT(failing, 40);
}

// An SVG file's declared size, view box, polygons and scale bar.
struct SvgFile {
  std::string width, height;
  std::vector<double> viewBox;
  std::vector<std::vector<Point>> polygons;
  double barLength = 0, barLabel = 0;
};

std::vector<double> Numbers(std::string text) {
  std::replace(text.begin(), text.end(), ',', ' ');
  std::vector<double> v;
  std::istringstream in(text);
  for (double d; in >> d;) v.push_back(d);
  return v;
}

// The value of attribute `name` in the first element `tag` at or after `from`.
std::string Attribute(const std::string& text, const std::string& tag, const std::string& name, std::size_t from = 0) {
  const std::size_t element = text.find("<" + tag + " ", from);
  const std::size_t at = text.find(" " + name + "=\"", element);
  if (element == std::string::npos || at == std::string::npos) return "";
  const std::size_t begin = at + name.size() + 3;
  return text.substr(begin, text.find('"', begin) - begin);
}

SvgFile ReadSvg(const std::string& text) {
  SvgFile svg;
  svg.width = Attribute(text, "svg", "width");
  svg.height = Attribute(text, "svg", "height");
  svg.viewBox = Numbers(Attribute(text, "svg", "viewBox"));
  for (std::size_t at = text.find("<polygon "); at != std::string::npos; at = text.find("<polygon ", at + 1)) {
    const std::vector<double> v = Numbers(Attribute(text, "polygon", "points", at));
    std::vector<Point> points;
    for (std::size_t i = 0; i + 1 < v.size(); i += 2) points.push_back({v[i], -v[i + 1]});
    svg.polygons.push_back(points);
  }
  if (const std::size_t bar = text.find("id=\"scale-bar\""); bar != std::string::npos) {
    svg.barLength = std::stod(Attribute(text, "line", "x2", bar)) - std::stod(Attribute(text, "line", "x1", bar));
    const std::size_t label = text.find('>', text.find("<text", bar)) + 1;
    svg.barLabel = std::stod(text.substr(label));
    EXPECT_EQ(text.substr(text.find('<', label) - 3, 3), " mm");
  }
  return svg;
}

struct DxfFile : DL_CreationAdapter {
  std::vector<std::vector<Point>> polylines;
  std::vector<int> flags;
  std::vector<double> circles;
  int units = 0;
  void addPolyline(const DL_PolylineData& d) override {
    polylines.emplace_back();
    flags.push_back(d.flags);
  }
  void addVertex(const DL_VertexData& d) override { polylines.back().push_back({d.x, d.y}); }
  void addCircle(const DL_CircleData& d) override { circles.push_back(d.radius); }
  using DL_CreationAdapter::setVariableInt;
  void setVariableInt(const std::string& name, int value, int) override { if (name == "$INSUNITS") units = value; }
};

// How far a point strays from the involute flanks of a gear centred on the origin whose
// tooth 0 points along +y: the angle to the nearest flank at its radius, along the normal.
double FromInvolute(const GearCut& g, const Point& p) {
  const double r = std::hypot(p.x, p.y), pitch = 2 * kPi / g.teeth;
  double from = std::fmod(std::atan2(p.x, p.y) + 100 * pitch, pitch);
  from = std::min(from, pitch - from);  // from the nearest tooth's centre line
  const double rb = g.BaseRadius();
  return r * std::abs(from - HalfTooth(g.teeth, g.module, g.pressureAngle, g.shift, r)) * rb / r;
}

TEST(GearOutline, FilesParsedBackAreTrueToScaleAndToTheInvolute) {
  const struct {
    const char* name;
    int z1, z2;
    double module;
    std::optional<CentreDistance> centre;
  } cases[] = {
      {"40 teeth of module 2", 40, 40, 2, {}},
      {"19 and 37 of module 4 shifted to 115 mm", 19, 37, 4, CentreDistance{{115, 1}, {0, 1}}},
      {"an undercut pinion of 12", 12, 36, 1, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    GeometryOptions o;
    o.enabled = true;
    o.modules = {{static_cast<std::int64_t>(c.module), 1}};
    o.centreDistances = {c.centre};
    o.maxShift = 1;
    const int teeth[] = {c.z1, c.z2};
    const TrainGeometry train = TrainRules(o, 1).Evaluate(teeth);
    const auto svgFiles = TrainOutlineFiles(train, OutlineFormat::Svg);
    const auto dxfFiles = TrainOutlineFiles(train, OutlineFormat::Dxf);
    ASSERT_EQ(svgFiles.size(), 3u);
    EXPECT_EQ(svgFiles[0].name, "N1-" + std::to_string(c.z1) + ".svg");
    EXPECT_EQ(dxfFiles[2].name, "train.dxf");
    for (int gear = 0; gear < 2; ++gear) {
      const GearCut& cut = train.gears[gear].cut;
      const SvgFile svg = ReadSvg(svgFiles[gear].text);
      ASSERT_EQ(svg.polygons.size(), 1u);
      const std::vector<Point>& outline = svg.polygons[0];
      ASSERT_EQ(svg.viewBox.size(), 4u);
      EXPECT_EQ(svg.width.substr(svg.width.size() - 2) + svg.height.substr(svg.height.size() - 2), "mmmm");
      EXPECT_EQ(std::stod(svg.width), svg.viewBox[2]);  // one user unit, one millimetre
      EXPECT_EQ(std::stod(svg.height), svg.viewBox[3]);
      double tip = 0, root = 1e9, worst = 0;
      int crowns = 0, checked = 0;  // tips passed going round: one per tooth
      for (std::size_t i = 0; i < outline.size(); ++i) {
        const Point& p = outline[i];
        const Point& q = outline[(i + 1) % outline.size()];
        const double r = std::hypot(p.x, p.y);
        tip = std::max(tip, r);
        root = std::min(root, r);
        crowns += r < cut.PitchRadius() && std::hypot(q.x, q.y) >= cut.PitchRadius();
        EXPECT_LT(std::hypot(q.x - p.x, q.y - p.y), cut.module);  // closed: no jump anywhere
        // The vertex and the middle of the next chord, where the flank is involute.
        // Where the rack's straight flank ends (1 m deep at 20 degrees), the involute begins.
        const double sine = std::sin(cut.pressureAngle), rb = cut.BaseRadius();
        const double flank = cut.PitchRadius() * sine - (1 - cut.shift) * cut.module / sine;
        const double form = cut.teeth < 17 ? cut.PitchRadius() : std::hypot(rb, flank) + 0.01 * cut.module;
        for (const Point& s : {p, Point{(p.x + q.x) / 2, (p.y + q.y) / 2}})
          if (const double rs = std::hypot(s.x, s.y); rs > form && rs < cut.TipRadius() - 0.02 * cut.module)
            worst = std::max(worst, FromInvolute(cut, s)), ++checked;
      }
      EXPECT_NEAR(tip, cut.TipRadius(), 1e-4);
      EXPECT_NEAR(root, cut.RootRadius(), 1e-4);
      EXPECT_EQ(crowns, cut.teeth);
      EXPECT_LT(worst, 0.01);
      EXPECT_GT(checked, 6 * cut.teeth);
      if (c.z1 == 40) {
        EXPECT_NEAR(2 * tip, 84, 2e-4);  // coordinates written to 0.1 micrometre
      }

      DxfFile dxf;
      std::istringstream in(dxfFiles[gear].text);
      ASSERT_TRUE(DL_Dxf().in(in, &dxf));
      EXPECT_EQ(dxf.units, 4);  // millimetres
      ASSERT_EQ(dxf.polylines.size(), 1u);
      EXPECT_EQ(dxf.flags[0] & 1, 1);  // closed
      ASSERT_EQ(dxf.polylines[0].size(), outline.size());
      for (std::size_t i = 0; i < outline.size(); ++i)
        EXPECT_NEAR(std::hypot(dxf.polylines[0][i].x - outline[i].x, dxf.polylines[0][i].y - outline[i].y), 0, 1e-4);
      EXPECT_EQ(dxf.circles, std::vector{1.5});  // the bore
    }
    const SvgFile whole = ReadSvg(svgFiles[2].text);
    EXPECT_EQ(whole.polygons.size(), 2u);
    EXPECT_GT(whole.barLength, 0);
    EXPECT_EQ(whole.barLength, whole.barLabel);
  }
}

TEST(GearOutline, KerfMovesEveryEdgeByHalfItsWidth) {
  const GearCut gear{24, 1.5, 20 * kPi / 180, 0.3};
  const std::vector<Point> outline = GearOutline(gear), moved = OffsetOutline(outline, 0.1);
  ASSERT_EQ(moved.size(), outline.size());
  for (const Point& p : moved) {
    double nearest = 1e9;
    for (std::size_t i = 0; i < outline.size(); ++i) {
      const Point& a = outline[i];
      const Point& b = outline[(i + 1) % outline.size()];
      const double dx = b.x - a.x, dy = b.y - a.y;
      const double t = std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
      nearest = std::min(nearest, std::hypot(a.x + t * dx - p.x, a.y + t * dy - p.y));
    }
    EXPECT_GT(nearest, 0.1 - 1e-6);
    EXPECT_LT(nearest, 0.15);  // a miter at a tip's corner reaches a little further
    EXPECT_GT(std::hypot(p.x, p.y), gear.RootRadius());  // outward
  }
}

}  // namespace
}  // namespace quenmar::geometry
