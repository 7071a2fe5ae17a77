#include "TrainLayout.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>

namespace quenmar::design {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kNanometre = 1e-6;

}  // namespace

TrainLayout LayOutTrain(const std::vector<int>& teeth, const geometry::GeometryOptions& options, bool coaxial) {
  const int stageCount = static_cast<int>(teeth.size() / 2);
  const geometry::TrainRules rules(options, stageCount, coaxial);
  TrainLayout layout;
  layout.geometry = rules.Evaluate(teeth.data());
  const geometry::TrainGeometry& g = layout.geometry;
  layout.coaxial = g.folded;
  layout.planes = std::max(1, g.planes);
  layout.shaftX = g.shaftX;
  layout.shaftDiameters = g.shaftDiameters;
  layout.clearance = options.clearance;
  for (int s = 0; s < stageCount; ++s) {
    const geometry::Mesh& mesh = g.meshes[s];
    layout.stages.push_back({teeth[2 * s], teeth[2 * s + 1], static_cast<double>(teeth[2 * s + 1]) / teeth[2 * s],
                             mesh.workingCentre, mesh.gear[0].module, {mesh.gear[0].shift, mesh.gear[1].shift}});
    // A driver's tooth points at its driven gear, which shows a space there.
    const double towards = g.shaftX[s + 1] >= g.shaftX[s] ? 0.0 : kPi;
    for (int i = 0; i < 2; ++i) {
      const geometry::PlacedGear& placed = g.gears[2 * s + i];
      const geometry::GearCut& cut = placed.cut;
      PlacedGear gear;
      gear.teeth = cut.teeth;
      gear.gear = 2 * s + i;
      gear.stage = s;
      gear.shaft = placed.shaft;
      gear.plane = placed.plane;
      gear.x = placed.x;
      gear.y = placed.y;
      gear.pitchRadius = cut.PitchRadius();
      gear.tipRadius = cut.TipRadius();
      gear.rootRadius = cut.RootRadius();
      gear.module = cut.module;
      gear.phase = i == 0 ? towards : towards + kPi + kPi / cut.teeth;
      // The true outline where the gear can be cut; a gear too small for it shows circles.
      if (gear.rootRadius > 0)
        gear.outline = geometry::GearOutline(cut, gear.phase - kPi / 2, std::max(0.002, 0.01 * cut.module));
      layout.gears.push_back(std::move(gear));
    }
  }
  // Tip circles against the shafts their gears do not sit on (concentric ones excepted),
  // bores against root circles.
  for (const PlacedGear& gear : layout.gears) {
    for (std::size_t shaft = 0; shaft < layout.shaftX.size(); ++shaft) {
      const double radius = layout.shaftDiameters[shaft] / 2;
      if (static_cast<int>(shaft) == gear.shaft) {
        if (!(gear.rootRadius > radius)) layout.faults.push_back({gear.gear, gear.shaft, gear.rootRadius - radius});
        continue;
      }
      const double distance = std::abs(layout.shaftX[shaft] - gear.x);
      if (distance < kNanometre) continue;
      const double gap = distance - gear.tipRadius - radius;
      if (gap < layout.clearance - kNanometre) layout.faults.push_back({gear.gear, static_cast<int>(shaft), gap});
    }
  }
  return layout;
}

TrainLayout LayOutTrain(const std::vector<int>& teeth, double module) {
  geometry::GeometryOptions options;
  // A module in lowest terms near enough for a drawing: micrometres.
  const long long micrometres = std::max(1LL, std::llround(module * 1e6)), common = std::gcd(micrometres, 1'000'000LL);
  options.modules = {geometry::Exact{micrometres / common, 1'000'000 / common}};
  bool sameSums = teeth.size() > 2;
  for (std::size_t s = 2; s + 1 < teeth.size(); s += 2) sameSums = sameSums && teeth[s] + teeth[s + 1] == teeth[0] + teeth[1];
  return LayOutTrain(teeth, options, sameSums);
}

}  // namespace quenmar::design
