#include "TrainLayout.h"

#include <cmath>
#include <numbers>

namespace quenmar::design {

TrainLayout LayOutTrain(const std::vector<int>& teeth, double module) {
  TrainLayout layout;
  const int stageCount = static_cast<int>(teeth.size() / 2);
  bool sameSums = stageCount > 1;
  for (int s = 1; s < stageCount; ++s)
    sameSums = sameSums && teeth[2 * s] + teeth[2 * s + 1] == teeth[0] + teeth[1];
  layout.coaxial = sameSums;

  constexpr double pi = std::numbers::pi;
  double x = 0.0;
  for (int s = 0; s < stageCount; ++s) {
    const int driver = teeth[2 * s], driven = teeth[2 * s + 1];
    StageInfo info{driver, driven, static_cast<double>(driven) / driver,
                   module * (driver + driven) / 2.0};
    layout.stages.push_back(info);
    // A straight train runs to the right; a coaxial one goes out and back.
    const bool outward = !layout.coaxial || s % 2 == 0;
    const double direction = outward ? 0.0 : pi;
    const double next = x + (outward ? info.centreDistance : -info.centreDistance);
    // A driver tooth points at the mesh; the driven gear shows a gap there.
    const double driverPhase = direction;
    const double drivenPhase = direction + pi + pi / driven;
    layout.gears.push_back({driver, 2 * s, s, s, x, 0.0, module * driver / 2.0, driverPhase});
    layout.gears.push_back(
        {driven, 2 * s + 1, s, s + 1, next, 0.0, module * driven / 2.0, drivenPhase});
    x = next;
  }
  return layout;
}

}  // namespace quenmar::design
