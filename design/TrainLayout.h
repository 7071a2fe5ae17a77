#pragma once
// Where the gears of a train stand, to true scale, from the solver's geometry of the
// train (TrainGeometry.h): each stage in its own module at its working centre distance,
// a driven gear and the next stage's driver on one shaft, a train folded back where its
// stages share one centre distance, each stage in the plane the solver gave it. Also
// what fails to fit: a tip circle within the clearance of a shaft its gear does not sit
// on, and a bore as large as its gear's root circle. Lengths are millimetres.

#include <vector>

#include "GearOutline.h"
#include "TrainGeometry.h"

namespace quenmar::design {

struct PlacedGear {
  int teeth = 0;
  int gear = 0;    // 0 for N1
  int stage = 0;   // 0 for the first mesh
  int shaft = 0;   // 0 for the input shaft
  int plane = 0;   // 0 for the input's
  double x = 0.0, y = 0.0;
  double pitchRadius = 0.0, tipRadius = 0.0, rootRadius = 0.0;
  double module = 1.0;
  double phase = 0.0;  // radians: where one tooth points, so meshing teeth interleave
  std::vector<geometry::Point> outline;  // about the centre, turned by phase (y upwards)
};

struct StageInfo {
  int driver = 0, driven = 0;   // teeth
  double ratio = 0.0;           // driven / driver
  double centreDistance = 0.0;  // mm, as it runs
  double module = 1.0;
  double shift[2] = {0, 0};     // of the driver and the driven gear
};

// A gear that does not keep clear of a shaft: another shaft within the clearance of its
// tip circle, or its own shaft (its bore) not inside its root circle.
struct ClearanceFault {
  int gear = 0;
  int shaft = 0;
  double gap = 0.0;  // mm: tip circle to shaft, or root circle to bore; below the clearance
};

struct TrainLayout {
  std::vector<PlacedGear> gears;
  std::vector<StageInfo> stages;
  std::vector<double> shaftX, shaftDiameters;
  bool coaxial = false;  // folded back: the output shaft lines up with the input
  int planes = 1;
  double clearance = 0.5;
  std::vector<ClearanceFault> faults;
  geometry::TrainGeometry geometry;  // as the solver evaluated it, for the outlines
};

// teeth: N1..N2K (K = 1..6, as the options allow), every count at least 1. coaxial: the
// query's every stage has the same tooth sum (a train of one module then folds back).
TrainLayout LayOutTrain(const std::vector<int>& teeth, const geometry::GeometryOptions& options, bool coaxial);
// Every stage of one module at its standard distance, folded back where the tooth sums
// are all the same.
TrainLayout LayOutTrain(const std::vector<int>& teeth, double module);

}  // namespace quenmar::design
