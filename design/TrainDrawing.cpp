#include "TrainDrawing.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QSaveFile>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "TrainLayout.h"

namespace quenmar::design {

namespace {

constexpr double kPi = std::numbers::pi;

const QColor kStageColours[] = {QColor(31, 119, 180), QColor(230, 120, 20), QColor(44, 160, 44),
                                QColor(148, 80, 189), QColor(214, 39, 40), QColor(23, 160, 170)};

QColor StageColour(int stage) { return kStageColours[stage % 6]; }

QString Number(double value, int decimals) {
  QString text = QString::number(value, 'f', decimals);
  if (text.contains(QLatin1Char('.'))) {
    while (text.endsWith(QLatin1Char('0'))) text.chop(1);
    if (text.endsWith(QLatin1Char('.'))) text.chop(1);
  }
  return text;
}

// The outline of a spur gear with simple trapezoid teeth, in drawing units.
QPainterPath GearOutline(const PlacedGear& gear, double module, double scale, QPointF centre) {
  const double r = gear.pitchRadius * scale;
  const double tip = (gear.pitchRadius + module) * scale;
  const double root = std::max(gear.pitchRadius - 1.25 * module, gear.pitchRadius * 0.3) * scale;
  QPainterPath path;
  if (module * scale < 1.2 || gear.teeth < 3) {  // teeth too fine to see: the pitch circle
    path.addEllipse(centre, r, r);
    return path;
  }
  const double pitch = 2 * kPi / gear.teeth;
  auto at = [&](double radius, double angle) {
    return centre + QPointF(radius * std::cos(angle), -radius * std::sin(angle));
  };
  for (int j = 0; j < gear.teeth; ++j) {
    const double c = gear.phase + j * pitch;
    const QPointF points[] = {at(root, c - 0.5 * pitch), at(root, c - 0.28 * pitch),
                              at(tip, c - 0.14 * pitch), at(tip, c + 0.14 * pitch),
                              at(root, c + 0.28 * pitch)};
    for (const QPointF& p : points) {
      if (path.elementCount() == 0) path.moveTo(p);
      else path.lineTo(p);
    }
  }
  path.closeSubpath();
  return path;
}

// Draws a boxed label centred at `at`, moved along `away` (up or down) past the labels
// already placed, so that gears sharing a shaft keep readable labels.
void Label(QPainter& painter, QPointF at, const QString& text, const QColor& colour,
           std::vector<QRectF>& placed, double away) {
  const QFontMetricsF metrics(painter.font());
  QRectF box = metrics.boundingRect(text).adjusted(-3, -1, 3, 1);
  box.moveCenter(at);
  for (bool clash = true; clash;) {
    clash = false;
    for (const QRectF& other : placed) {
      if (!box.intersects(other)) continue;
      box.translate(0, away * (box.height() + 2));
      clash = true;
      break;
    }
  }
  placed.push_back(box);
  painter.setPen(QPen(colour, 1));
  painter.setBrush(QColor(255, 255, 255, 225));
  painter.drawRoundedRect(box, 3, 3);
  painter.setPen(Qt::black);
  painter.drawText(box, Qt::AlignCenter, text);
}

}  // namespace

TrainDrawing::TrainDrawing(QWidget* parent) : QWidget(parent) {
  setMinimumSize(240, 180);
  setFocusPolicy(Qt::NoFocus);
}

void TrainDrawing::SetTrain(std::vector<int> teeth) {
  m_teeth = std::move(teeth);
  update();
}

void TrainDrawing::SetModule(double module) {
  if (module > 0.0) m_module = module;
  update();
}

void TrainDrawing::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  Paint(painter, rect());
}

void TrainDrawing::Paint(QPainter& painter, const QRectF& area) const {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  QFont font = painter.font();
  font.setPointSizeF(9);
  painter.setFont(font);
  const QFontMetricsF metrics(font);
  if (m_teeth.size() < 2) {
    painter.setPen(Qt::darkGray);
    painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap,
                     QObject::tr("Choose a train in the results to draw it."));
    painter.restore();
    return;
  }

  const TrainLayout layout = LayOutTrain(m_teeth, m_module);
  // The legend below the gears: one line per stage.
  QStringList legend;
  for (std::size_t s = 0; s < layout.stages.size(); ++s) {
    const StageInfo& stage = layout.stages[s];
    legend << QObject::tr("Stage %1: N%2 %3 drives N%4 %5, ratio %5:%3 = %6, centre distance %7 mm")
                  .arg(s + 1)
                  .arg(2 * s + 1)
                  .arg(stage.driver)
                  .arg(2 * s + 2)
                  .arg(stage.driven)
                  .arg(Number(stage.ratio, 6))
                  .arg(Number(stage.centreDistance, 3));
  }
  legend << QObject::tr("Module %1 mm%2")
                .arg(Number(m_module, 4))
                .arg(layout.coaxial ? QObject::tr("; coaxial: the output shaft is in line with the input")
                                    : QString());
  const double line = metrics.lineSpacing();
  const double legendHeight = line * legend.size() + 8;
  // Room above for the driven gears' labels (stacked where a coaxial train's gears share a
  // shaft), below for the scale bar.
  const int stacked = layout.coaxial ? static_cast<int>(layout.stages.size() + 1) / 2 : 1;
  const QRectF frame =
      area.adjusted(12, 12 + line * (0.5 + 1.25 * stacked), -12, -12 - legendHeight - line * 1.5);

  // Fit every gear's tip circle into the frame, keeping its proportions.
  double left = 1e300, right = -1e300, top = 1e300, bottom = -1e300;
  for (const PlacedGear& gear : layout.gears) {
    const double r = gear.pitchRadius + m_module;
    left = std::min(left, gear.x - r);
    right = std::max(right, gear.x + r);
    top = std::min(top, gear.y - r);
    bottom = std::max(bottom, gear.y + r);
  }
  const double scale = std::min(frame.width() / (right - left), frame.height() / (bottom - top));
  const QPointF origin = frame.center() - QPointF((left + right) / 2 * scale, (top + bottom) / 2 * scale);
  auto place = [&](double x, double y) { return origin + QPointF(x * scale, y * scale); };

  // Larger gears first, so a smaller gear on the same shaft stays visible above them.
  std::vector<const PlacedGear*> order;
  for (const PlacedGear& gear : layout.gears) order.push_back(&gear);
  std::stable_sort(order.begin(), order.end(), [](const PlacedGear* a, const PlacedGear* b) {
    return a->pitchRadius > b->pitchRadius;
  });
  for (const PlacedGear* gear : order) {
    const QColor colour = StageColour(gear->stage);
    QColor fill = colour;
    fill.setAlpha(55);
    const QPointF centre = place(gear->x, gear->y);
    painter.setPen(QPen(colour.darker(130), 1.2));
    painter.setBrush(fill);
    painter.drawPath(GearOutline(*gear, m_module, scale, centre));
    painter.setPen(QPen(colour.darker(150), 0.8, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    const double r = gear->pitchRadius * scale;
    painter.drawEllipse(centre, r, r);
  }
  // Shafts, and the line of centres.
  painter.setPen(QPen(Qt::black, 0.8, Qt::DashDotLine));
  painter.drawLine(place(left, 0), place(right, 0));
  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::black);
  for (const PlacedGear& gear : layout.gears) painter.drawEllipse(place(gear.x, gear.y), 3.0, 3.0);

  // Each mesh marked with its stage number where the pitch circles touch.
  std::vector<QRectF> placed;
  for (std::size_t s = 0; s < layout.stages.size(); ++s) {
    const PlacedGear& driver = layout.gears[2 * s];
    const PlacedGear& driven = layout.gears[2 * s + 1];
    const double towards = driven.x > driver.x ? 1.0 : -1.0;
    Label(painter, place(driver.x + towards * driver.pitchRadius, driver.y),
          QString::number(s + 1), StageColour(static_cast<int>(s)), placed, 1.0);
  }
  // Teeth counts: a driven gear's above its rim, a driver's inside, below its shaft.
  for (const PlacedGear& gear : layout.gears) {
    const QString text = QStringLiteral("N%1  %2").arg(gear.gear + 1).arg(gear.teeth);
    if (gear.gear % 2 == 1) {
      const QPointF above = place(gear.x, gear.y - gear.pitchRadius - m_module) - QPointF(0, line * 0.7);
      Label(painter, above, text, StageColour(gear.stage), placed, -1.0);
    } else {
      const double below = std::max(gear.pitchRadius * 0.55 * scale, line * 1.2);
      Label(painter, place(gear.x, gear.y) + QPointF(0, below), text, StageColour(gear.stage), placed, 1.0);
    }
  }

  // A scale bar of a round length near a fifth of the drawing.
  const double wanted = (right - left) / 5;
  const double decade = std::pow(10.0, std::floor(std::log10(wanted)));
  double length = decade;
  for (double step : {2.0, 5.0})
    if (decade * step <= wanted) length = decade * step;
  const QPointF barStart(frame.left(), frame.bottom() + line);
  const QPointF barEnd = barStart + QPointF(length * scale, 0);
  painter.setPen(QPen(Qt::black, 1.5));
  painter.drawLine(barStart, barEnd);
  painter.drawLine(barStart - QPointF(0, 4), barStart + QPointF(0, 4));
  painter.drawLine(barEnd - QPointF(0, 4), barEnd + QPointF(0, 4));
  painter.drawText(barEnd + QPointF(6, metrics.ascent() / 2 - 1),
                   QObject::tr("%1 mm").arg(Number(length, 4)));

  painter.setPen(Qt::black);
  double y = area.bottom() - legendHeight + 4 + metrics.ascent();
  for (int i = 0; i < legend.size(); ++i, y += line) {
    if (i < static_cast<int>(layout.stages.size())) {
      painter.setPen(Qt::NoPen);
      painter.setBrush(StageColour(i));
      painter.drawRect(QRectF(area.left() + 12, y - metrics.ascent() + 2, 10, 10));
    }
    painter.setPen(Qt::black);
    painter.drawText(QPointF(area.left() + 28, y), legend[i]);
  }
  painter.restore();
}

namespace {

std::optional<QString> Save(const QString& path, const QByteArray& bytes) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly))
    return QObject::tr("%1 cannot be written: %2").arg(path, file.errorString());
  if (file.write(bytes) != bytes.size() || !file.commit())
    return QObject::tr("%1 cannot be written: %2").arg(path, file.errorString());
  return std::nullopt;
}

}  // namespace

std::optional<QString> TrainDrawing::ExportSvg(const QString& path, QSize size) const {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator generator;
  generator.setOutputDevice(&buffer);
  generator.setSize(size);
  generator.setViewBox(QRect(QPoint(0, 0), size));
  generator.setTitle(QObject::tr("Gear train"));
  generator.setDescription(QObject::tr("Drawn by Quenmar Design"));
  QPainter painter;
  if (!painter.begin(&generator)) return QObject::tr("the drawing cannot be rendered as SVG");
  painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
  Paint(painter, QRectF(QPointF(0, 0), size));
  painter.end();
  return Save(path, buffer.data());
}

std::optional<QString> TrainDrawing::ExportPng(const QString& path, QSize size) const {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    painter.scale(2.0, 2.0);  // twice the resolution of the screen drawing
    Paint(painter, QRectF(0, 0, size.width() / 2.0, size.height() / 2.0));
  }
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) return QObject::tr("the drawing cannot be encoded as PNG");
  return Save(path, buffer.data());
}

}  // namespace quenmar::design
