#pragma once
// Where everything of a train's drawing goes, before anything is painted: the gears to
// scale (fitted to the area, zoomed and panned, or at a fixed scale), their labels placed
// without overlap (with a leader line where a label had to move away from its gear), the
// legend below them and a scale bar that measures what it says. The screen, the SVG and
// the PNG are painted from the same plan. Lengths are pixels of the area unless named mm.

#include <QFont>
#include <QLineF>
#include <QRectF>
#include <QStringList>
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

struct DrawingPlan {
  TrainLayout layout;
  double module = 1.0;
  double pxPerMm = 1.0;
  QPointF origin;       // where the point (0, 0) mm of the layout lies
  QPointF centreMm;     // the point of the layout shown at frameCentre
  QPointF frameCentre;  // the middle of the room the gears are fitted into
  QRectF area;          // everything
  QRectF region;        // the gears and their labels; nothing of them is painted outside
  std::vector<DrawingLabel> labels;
  QRectF legend;        // below the region
  QStringList legendLines;  // one per stage, then the module line with the scale bar
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

// teeth: N1..N2K (K = 1..6); module > 0.
DrawingPlan PlanDrawing(const std::vector<int>& teeth, double module, const QRectF& area,
                        const DrawingView& view = {});
// The drawing at a fixed scale, in an area made as large as it needs.
DrawingPlan PlanDrawingAtScale(const std::vector<int>& teeth, double module, double pxPerMm);

}  // namespace quenmar::design
