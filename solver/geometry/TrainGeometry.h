#pragma once
// The geometry of a compound train of external spur gears, and the geometric
// conditions a design query may set, decidable stage by stage while a train is placed.
//
// Layout (what the drawing shows): the shafts lie on one line. Shaft 0, the input,
// carries N1; shaft s carries the driven gear of stage s and the driver of stage s + 1;
// shaft K the output gear. A straight train runs out along the line. A train whose
// stages all have the same centre distance by what the query asks (equal centre
// distances, or coaxial stages of one module) folds back: its stages go out and back,
// so its shafts alternate between two places and the output lines up with the input.
// Shafts in one place are concentric (a pipe on an arbor) and are no obstacle to each
// other's gears. Every shaft runs through every plane. Each stage lies in the first
// plane, counted from the input's, where both its gears keep the clearance from every
// gear already there, other than the plane of the stage before (whose driven gear
// shares a shaft with this stage's driver).
//
// Conditions, each applied as soon as the gears it reads are placed:
// - Centre distance: a stage with a distance asked runs at its standard distance where
//   that lies within the tolerance; otherwise, where profile shift is allowed, at the
//   distance asked, shifted (GearMesh.h), and the train is refused where the shift is
//   refused. Equal distances: every stage at the first stage's standard distance (or at
//   the one value given), compared exactly, shifted as above where allowed.
// - Largest diameter: no tip circle larger than asked.
// - Fits (asked for on its own): no tip circle within the clearance of a shaft its gear
//   does not sit on, no two gears of a plane closer than the clearance (true by the
//   choice of planes), every gear's root circle larger than its shaft, and every mesh
//   with a contact ratio of at least 1.
// Lengths compared in floating point count as equal within a nanometre.

#include <optional>
#include <string>
#include <vector>

#include "GearMesh.h"
#include "GeometryOptions.h"

namespace quenmar::geometry {

constexpr int kMostStages = 6;

struct PlacedGear {
  GearCut cut;
  int shaft = 0;
  int plane = 0;
  double x = 0, y = 0;  // the centre, mm; the shafts lie on y = 0
};

struct TrainGeometry {
  std::vector<Mesh> meshes;         // one per stage
  std::vector<PlacedGear> gears;    // N1..N2K
  std::vector<double> shaftX;       // K + 1 shafts
  std::vector<double> shaftDiameters;
  bool folded = false;
  int planes = 0;
  // The least gap between a tip circle and a shaft it does not sit on, or between two
  // gears of a plane that do not mesh (mm; negative where they overlap).
  double worstClearance = 0;
  bool fits = false;  // every condition the query asks holds
};

class TrainRules {
 public:
  // options as CheckGeometry accepted them; stages 1..6; coaxial: the query's every
  // stage has the same tooth sum.
  TrainRules(const GeometryOptions& options, int stages, bool coaxial = false);

  // Whether any condition can refuse a train (a centre distance, a largest diameter, or
  // fits); without one, every train passes and the engine need not ask.
  bool Filters() const { return filters_; }

  // Whether a gear (0 for N1) of this many teeth may be in a train that passes, judged
  // on the gear alone: its tip within the largest diameter, its root around its shaft.
  // Exact where no shift is allowed; true otherwise (a shifted gear's size depends on
  // its mate), so a search may leave out of its ranges the teeth it refuses.
  bool GearFits(int gear, int teeth) const;

  // Whether one stage's pair may be in a train that passes, judged on the stage alone
  // (its centre distance and shift, largest diameter, bores, contact ratio): for tables
  // of stages built before the stages ahead of them are placed. True where the stage's
  // distance is the first stage's.
  bool MeshFits(int stage, int driver, int driven) const;

  // teeth: N1..N2K. Whether the gears of stages 0..stage meet every condition that they
  // alone decide. A train passes when StageFits holds for its last stage.
  bool StageFits(int stage, const int* teeth) const;
  bool Fits(const int* teeth) const { return StageFits(stages_ - 1, teeth); }

  // The whole train, for the output and the drawing. A stage that cannot reach its
  // centre distance is shown at its standard one, and fits is false.
  TrainGeometry Evaluate(const int* teeth) const;

  int Stages() const { return stages_; }
  bool Folded() const { return folded_; }
  double ShaftDiameter(int shaft) const { return shaftDiameter_[shaft]; }

 private:
  // How a stage's centre distance is decided: its own standard one (Free); a value,
  // whose tolerance admits the tooth sums sumLo..sumHi unshifted (Fixed); or the first
  // stage's standard one, reached unshifted where sum * first == firstSum * own
  // (SameAsFirst; never where the modules' ratio allows no tooth sums at all).
  struct StageRule {
    enum class Kind { Free, Fixed, SameAsFirst } kind = Kind::Free;
    double module = 1, angle = 0;
    int sumLo = 0, sumHi = -1;
    double value = 0;
    long long first = 0, own = 0;
    bool never = false;
  };
  struct Work;
  bool MeshStage(int s, const int* teeth, Work& w, bool evaluating) const;
  bool PlaceStage(int s, Work& w, bool stopEarly) const;

  GeometryOptions options_;
  int stages_ = 1;
  bool folded_ = false, filters_ = false;
  std::vector<StageRule> rules_;
  std::vector<double> shaftDiameter_;
};

// Everything the geometric options must satisfy before a search, given the train's
// stages and its gears' teeth ranges (N1..N2K at least): counts of modules, angles and
// shafts; stages named by centre distances; distances that some teeth in range can
// reach (with the shift allowed); shafts smaller than the largest gear that may sit on
// them. One line, or nothing.
std::optional<std::string> CheckGeometry(const GeometryOptions& options, int stages,
                                         const std::vector<int>& minTeeth,
                                         const std::vector<int>& maxTeeth);

}  // namespace quenmar::geometry
