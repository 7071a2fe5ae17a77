#pragma once
// What a design query asks of its gears' geometry: a module and a pressure angle per
// stage, centre distances (fixed, within a tolerance, or the same for every stage),
// how much profile shift may bridge a centre distance, the shafts and the clearance
// around them, and the largest gear. Plain data; TrainGeometry.h says what it means.

#include <cstdint>
#include <optional>
#include <vector>

namespace quenmar::geometry {

// An exact length in millimetres (or a module): num / den in lowest terms, den > 0.
struct Exact {
  std::int64_t num = 0, den = 1;
  double ToDouble() const { return static_cast<double>(num) / static_cast<double>(den); }
  friend bool operator==(const Exact&, const Exact&) = default;
};

// A stage's centre distance: value ± tolerance, both exact.
struct CentreDistance {
  Exact value;
  Exact tolerance;
};

struct GeometryOptions {
  bool enabled = false;                // a geometric option was given: report the geometry
  std::vector<Exact> modules;          // mm: one for every stage, or one per stage; empty: 1
  std::vector<double> pressureAngles;  // degrees, 10..35: one, or one per stage; empty: 20
  // Per stage (index 0 is stage 1), shorter than the train or empty where none is asked.
  std::vector<std::optional<CentreDistance>> centreDistances;
  bool equalCentreDistances = false;   // every stage at the same distance (no tolerance then)
  std::optional<double> maxShift;      // profile shift allowed per gear; none: no shift
  double clearance = 0.5;              // mm, between a tip circle and what it must miss
  std::vector<double> shafts;          // diameters, mm: one, or one per shaft (stages + 1); empty: 3
  bool fits = false;                   // list only trains that clear their shafts (see TrainGeometry.h)
  std::optional<double> maxDiameter;   // mm: the largest tip diameter allowed
};

}  // namespace quenmar::geometry
