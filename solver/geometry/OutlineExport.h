#pragma once
// Gear outlines as files to cut and to print, at true scale: SVG whose user unit is one
// millimetre (width and height given in mm, equal to the view box's), and DXF in
// millimetres (written through dxflib). A gear's file holds its outline, one closed
// polyline centred on the origin, and its bore; the train's file holds every gear at its
// place in the layout, turned so that meshing teeth interleave, and the shafts (the SVG
// also a scale bar that measures what it says).

#include <string>
#include <vector>

#include "TrainGeometry.h"

namespace quenmar::geometry {

enum class OutlineFormat { Svg, Dxf };

struct OutlineFile {
  std::string name;  // "N1-16.svg", ..., "train.svg"
  std::string text;
};

// One file per gear of the train (named after the gear and its teeth), then the train's.
// kerf: the width a laser or cutter takes away, mm; every outline is then offset by half
// of it so the parts come out true (outlines outward, bores inward); below twice the
// rack's tip rounding, the tightest curve of an outline.
std::vector<OutlineFile> TrainOutlineFiles(const TrainGeometry& train, OutlineFormat format,
                                           double kerf = 0);

}  // namespace quenmar::geometry
