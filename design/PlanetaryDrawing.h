#pragma once
// The drawing of one planetary set to true scale: the front view of the first mesh (sun,
// planets at their true angles on the carrier, ring with its internal teeth) and, for a
// stepped or split-ring set, the front view of the second mesh (the planets' second step
// and its ring) beside it, each gear in its mesh's module, with a legend. The same
// painting goes to the screen, to an SVG file (one unit is one millimetre) and to a PNG.

#include <QWidget>
#include <optional>
#include <vector>

#include "Planetary.h"

namespace quenmar::design {

class PlanetaryDrawing : public QWidget {
  Q_OBJECT
 public:
  explicit PlanetaryDrawing(QWidget* parent = nullptr);

  // The set of a search row (DecodePlanetary) under its query; an empty row clears it.
  void SetSet(const PlanetaryQuery& query, const std::vector<int>& row);
  bool HasSet() const { return m_set.has_value(); }

  // One gear as drawn, in millimetres from the first view's centre (y up).
  struct Gear {
    int view = 0;              // 0: the first mesh; 1: the second
    PlanetaryMember member = kSun;
    double x = 0, y = 0;
    double pitchRadius = 0, module = 0;
    int teeth = 0;
    bool internal = false;
    double phase = 0;          // the direction of a tooth's centre from the gear's, radians
    double shift = 0, tipShortening = 0;  // profile shift and tip shortening, in modules
  };
  const std::vector<Gear>& Gears() const { return m_gears; }
  QStringList Legend() const;

  std::optional<QString> ExportSvg(const QString& path) const;
  std::optional<QString> ExportPng(const QString& path, QSize size = {1800, 1200}) const;

  QSize sizeHint() const override { return {560, 360}; }

 public slots:
  void Fit() { update(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void PhaseTeeth();
  QRectF Bounds() const;  // mm, y up
  // Draws into `area` (pixels) at `pxPerMm` about the bounds' centre.
  void Paint(QPainter& painter, const QRectF& area, double pxPerMm) const;

  std::optional<PlanetarySet> m_set;
  PlanetaryLayout m_layout;
  PlanetaryQuery m_query;
  std::vector<Gear> m_gears;
  double m_carrierRadius = 0;
};

}  // namespace quenmar::design
