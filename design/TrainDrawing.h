#pragma once
// The drawing of one train: its gears to true scale as the geometry options make them
// (each stage's module, centre distance and shifts), with their teeth, tip circles,
// shafts, teeth counts, stage ratios, centre distances, the driving gears marked, what
// fails to keep clear of a shaft in red, the side view of the planes below, and a scale
// bar. The wheel zooms about the pointer, dragging pans, Fit (or 0) shows the whole
// train again; +, - and the arrow keys do the same from the keyboard. The same painting
// goes to the screen, to an SVG file drawn to true scale (one unit is one millimetre)
// and to a PNG image.

#include <QWidget>
#include <optional>
#include <vector>

#include "DrawingPlan.h"

namespace quenmar::design {

class TrainDrawing : public QWidget {
  Q_OBJECT
 public:
  explicit TrainDrawing(QWidget* parent = nullptr);

  // teeth: N1..N2K; empty clears the drawing. A new train is shown whole.
  void SetTrain(std::vector<int> teeth);
  // One module for every stage, nothing else asked.
  void SetModule(double module);
  // coaxial: the search asked every stage to have the same tooth sum.
  void SetGeometry(const geometry::GeometryOptions& options, bool coaxial);
  const std::vector<int>& Teeth() const { return m_teeth; }
  double Module() const;  // the first stage's
  // The gear marked as chosen (0 for N1), or -1 for none.
  void SetChosenGear(int gear);
  int ChosenGear() const { return m_chosen; }
  // Where the gears of the train drawn stand; null without a train.
  std::shared_ptr<const TrainLayout> Layout() const { return m_layout; }
  bool HasTrain() const { return !m_teeth.empty(); }
  double Zoom() const { return m_view.zoom; }
  // The plan of what the widget shows now.
  DrawingPlan Plan() const;

  // Paints a plan (or, without a train, a hint into `area`) on any paint device.
  static void Paint(QPainter& painter, const DrawingPlan& plan);
  // Writes the drawing to a file; an error message, or nothing on success.
  std::optional<QString> ExportSvg(const QString& path) const;
  std::optional<QString> ExportPng(const QString& path, QSize size = {1800, 1200}) const;

  QSize sizeHint() const override { return {560, 360}; }

 signals:
  // A click (not a drag) on a gear of the front view, or -1 beside every gear.
  void gearClicked(int gear);

 public slots:
  void Fit();
  void ZoomBy(double factor, std::optional<QPointF> at = std::nullopt);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void PanBy(QPointF pixels);
  void LayOut();

  std::vector<int> m_teeth;
  geometry::GeometryOptions m_options;
  bool m_coaxial = false;
  std::shared_ptr<const TrainLayout> m_layout;
  DrawingView m_view;
  std::optional<QPointF> m_dragFrom, m_pressedAt;
  int m_chosen = -1;
};

}  // namespace quenmar::design
