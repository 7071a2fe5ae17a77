#pragma once
// Where the gears of a train stand, to scale: each stage's driver and driven gear mesh
// at the centre distance module * (driver + driven) / 2, a driven gear and the next
// stage's driver share a shaft, and a coaxial train (every stage with the same tooth
// sum) folds back so that its shafts alternate between two lines and the output shaft
// lines up with the input. Lengths are millimetres.

#include <vector>

namespace quenmar::design {

struct PlacedGear {
  int teeth = 0;
  int gear = 0;    // 0 for N1
  int stage = 0;   // 0 for the first mesh
  int shaft = 0;   // 0 for the input shaft
  double x = 0.0, y = 0.0;
  double pitchRadius = 0.0;
  double phase = 0.0;  // radians: where one tooth points, so meshing teeth interleave
};

struct StageInfo {
  int driver = 0, driven = 0;   // teeth
  double ratio = 0.0;           // driven / driver
  double centreDistance = 0.0;  // mm
};

struct TrainLayout {
  std::vector<PlacedGear> gears;
  std::vector<StageInfo> stages;
  bool coaxial = false;  // more than one stage, every stage with the same tooth sum
};

// teeth: N1..N2K (K = 1..6), every count at least 1; module > 0.
TrainLayout LayOutTrain(const std::vector<int>& teeth, double module);

}  // namespace quenmar::design
