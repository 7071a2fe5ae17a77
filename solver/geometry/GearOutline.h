#pragma once
// The outline of a gear as its rack cutter generates it, for cutting and drawing:
// involute flanks from the tip to where the rack's rounded tip takes over, trochoidal
// fillets down to the root circle (cutting into the involute where the rack undercuts a
// small pinion), the profile shift and tip shortening applied. A closed polygon whose
// chords stay within a tolerance of the true curves. Millimetres, centred on the origin,
// counter-clockwise, tooth 0 pointing along +y, then turned by `phase` radians.

#include <vector>

#include "GearMesh.h"

namespace quenmar::geometry {

struct Point {
  double x = 0, y = 0;
};

// Every vertex lies on the true profile; no chord strays further than `tolerance` mm.
// The gear's root circle must be larger than 0 (at 20 degrees, 3 teeth or more).
std::vector<Point> GearOutline(const GearCut& gear, double phase = 0, double tolerance = 0.001);

// A closed polygon moved outward by `distance` mm (inward where negative), each edge
// parallel to its original, for a cutter that takes away a kerf: cut along the outline
// offset by half the kerf. The offset must stay below the smallest radius of the
// outline's curves (the rack rounding, 0.38 m at 20 degrees).
std::vector<Point> OffsetOutline(const std::vector<Point>& outline, double distance);

}  // namespace quenmar::geometry
