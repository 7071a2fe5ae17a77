#pragma once
// Where everything of a train's drawing goes, before anything is painted: the gears to
// true scale with the side view of their planes below them (fitted to the area, zoomed and panned, or at a fixed scale), their labels placed
// without overlap (with a leader line where a label had to move away from its gear), the
// legend below them and a scale bar that measures what it says. The screen, the SVG and
// the PNG are painted from the same plan. Lengths are pixels of the area unless named mm.

#include <QFont>
#include <QLineF>
#include <QRectF>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

#include "TrainLayout.h"

namespace quenmar::design {

struct DrawingLabel {
  QRectF box;
  QString text;
  int stage = 0;       // its colour
  bool driving = false;
  std::optional<QLineF> leader;  // from the gear or mesh to the box, when moved away
};

// The side view below the gears: each plane a band across the gears in it, the shafts
// running through every plane, x as in the front view (mm); the bands' depth is schematic.
struct SideView {
  double top = 0, face = 0, step = 0;  // mm, y downwards like the drawing's
  double Top(int plane) const { return top + plane * step; }
  double Bottom(int planes) const { return top + (planes - 1) * step + face; }
};

struct DrawingPlan {
  std::shared_ptr<const TrainLayout> layout;
  SideView side;
  int chosenGear = -1;  // marked on the screen: the gear whose outline is chosen
  double pxPerMm = 1.0;
  QPointF origin;       // where the point (0, 0) mm of the layout lies
  QPointF centreMm;     // the point of the layout shown at frameCentre
  QPointF frameCentre;  // the middle of the room the gears are fitted into
  QRectF area;          // everything
  QRectF region;        // the gears and their labels; nothing of them is painted outside
  std::vector<DrawingLabel> labels;
  QRectF legend;        // below the region
  QStringList legendLines;  // one per stage, one per clearance fault, then the module line with the scale bar
  int faultLines = 0;
  int legendColumns = 1;
  double legendColumnWidth = 0;
  double lineHeight = 0;
  QLineF scaleBar;      // measures scaleMm at this plan's scale
  double scaleMm = 0;
  QString scaleText;

  QPointF Place(double xMm, double yMm) const { return origin + QPointF(xMm * pxPerMm, yMm * pxPerMm); }
};

// Where the view stands: zoom 1 fits the whole train; the centre is the point of the
// layout (mm) shown in the middle of the region, none: the middle of the train.
struct DrawingView {
  double zoom = 1.0;
  std::optional<QPointF> centreMm;
};

// The font of every text of the drawing (pixel sized, so the SVG keeps its proportions).
QFont DrawingFont();

DrawingPlan PlanDrawing(std::shared_ptr<const TrainLayout> layout, const QRectF& area,
                        const DrawingView& view = {});
// The drawing at a fixed scale, in an area made as large as it needs.
DrawingPlan PlanDrawingAtScale(std::shared_ptr<const TrainLayout> layout, double pxPerMm);

}  // namespace quenmar::design
