#pragma once
// The drawing of one train: its gears to scale for the module set, with their teeth,
// teeth counts, stage ratios and centre distances, and a scale bar. The same painting
// goes to the screen, to an SVG file and to a PNG image.

#include <QWidget>
#include <optional>
#include <vector>

namespace quenmar::design {

class TrainDrawing : public QWidget {
  Q_OBJECT
 public:
  explicit TrainDrawing(QWidget* parent = nullptr);

  // teeth: N1..N2K; empty clears the drawing.
  void SetTrain(std::vector<int> teeth);
  void SetModule(double module);
  const std::vector<int>& Teeth() const { return m_teeth; }
  double Module() const { return m_module; }
  bool HasTrain() const { return !m_teeth.empty(); }

  // Paints the drawing into `area` of any paint device.
  void Paint(QPainter& painter, const QRectF& area) const;
  // Writes the drawing to a file; an error message, or nothing on success.
  std::optional<QString> ExportSvg(const QString& path, QSize size = {900, 600}) const;
  std::optional<QString> ExportPng(const QString& path, QSize size = {1800, 1200}) const;

  QSize sizeHint() const override { return {560, 360}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<int> m_teeth;
  double m_module = 1.0;
};

}  // namespace quenmar::design
