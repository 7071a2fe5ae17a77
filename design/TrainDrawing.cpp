#include "TrainDrawing.h"

#include <QBuffer>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>

namespace quenmar::design {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kMmPerSvgPixel = 25.4 / 96;  // the SVG's pixel, so it reads as on screen
constexpr double kLeastZoom = 0.25, kMostZoom = 2000;

const QColor kStageColours[] = {QColor(31, 119, 180), QColor(230, 120, 20), QColor(44, 160, 44),
                                QColor(148, 80, 189), QColor(214, 39, 40), QColor(23, 160, 170)};

QColor StageColour(int stage) { return kStageColours[stage % 6]; }

// A gear's outline in pixels: its true outline, or its tip circle where teeth are too
// fine to see.
QPainterPath GearPath(const PlacedGear& gear, double scale, QPointF centre) {
  QPainterPath path;
  if (gear.outline.empty() || gear.module * scale < 1.2) {
    const double r = gear.tipRadius * scale;
    path.addEllipse(centre, r, r);
    return path;
  }
  QPolygonF polygon;
  polygon.reserve(static_cast<int>(gear.outline.size()));
  for (const geometry::Point& p : gear.outline) polygon << centre + QPointF(p.x * scale, -p.y * scale);
  path.addPolygon(polygon);
  path.closeSubpath();
  return path;
}

const QColor kFault(220, 0, 0);

std::optional<QString> Save(const QString& path, const QByteArray& bytes) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
    return QObject::tr("%1 cannot be written: %2").arg(path, file.errorString());
  return std::nullopt;
}

}  // namespace

TrainDrawing::TrainDrawing(QWidget* parent) : QWidget(parent) {
  setMinimumSize(240, 180);
  setFocusPolicy(Qt::StrongFocus);
  setCursor(Qt::OpenHandCursor);
  LayOut();
}

void TrainDrawing::SetTrain(std::vector<int> teeth) {
  if (teeth != m_teeth) m_view = {};
  m_teeth = std::move(teeth);
  LayOut();
}

void TrainDrawing::SetModule(double module) {
  if (!(module > 0.0)) return update();
  geometry::GeometryOptions options;
  const long long micrometres = std::max(1LL, std::llround(module * 1e6)), common = std::gcd(micrometres, 1'000'000LL);
  options.modules = {geometry::Exact{micrometres / common, 1'000'000 / common}};
  SetGeometry(options, m_coaxial);
}

void TrainDrawing::SetGeometry(const geometry::GeometryOptions& options, bool coaxial) {
  const bool rescaled = options.modules != m_options.modules;
  m_options = options;
  m_coaxial = coaxial;
  if (rescaled) m_view = {};
  LayOut();
}

double TrainDrawing::Module() const { return m_options.modules.empty() ? 1.0 : m_options.modules.front().ToDouble(); }

void TrainDrawing::LayOut() {
  // Only the stages the train has: the options may be longer while the inputs change.
  if (HasTrain()) {
    geometry::GeometryOptions options = m_options;
    const std::size_t stages = m_teeth.size() / 2;
    const auto fit = [](auto& list, std::size_t n) { if (list.size() > 1 && list.size() != n) list.resize(1); };
    fit(options.modules, stages);
    fit(options.pressureAngles, stages);
    fit(options.shafts, stages + 1);
    if (options.centreDistances.size() > stages) options.centreDistances.resize(stages);
    m_layout = std::make_shared<const TrainLayout>(LayOutTrain(m_teeth, options, m_coaxial));
  } else {
    m_layout.reset();
  }
  // What the drawing shows, for those who cannot see it: its legend.
  const QString text = HasTrain() ? PlanDrawing(m_layout, QRectF(0, 0, 800, 600)).legendLines.join(QStringLiteral("; "))
                                  : tr("No train chosen");
  if (text != accessibleDescription()) setAccessibleDescription(text);
  update();
}

DrawingPlan TrainDrawing::Plan() const {
  if (!HasTrain()) return {};
  DrawingPlan plan = PlanDrawing(m_layout, QRectF(rect()), m_view);
  plan.chosenGear = m_chosen;
  return plan;
}

void TrainDrawing::Fit() {
  m_view = {};
  update();
}

void TrainDrawing::ZoomBy(double factor, std::optional<QPointF> at) {
  if (!HasTrain()) return;
  const DrawingPlan plan = Plan();
  const QPointF point = at.value_or(plan.frameCentre);
  const double zoom = std::clamp(m_view.zoom * factor, kLeastZoom, kMostZoom);
  // The point of the train under `point` stays there.
  const QPointF underMm = (point - plan.origin) / plan.pxPerMm;
  const double pxPerMm = plan.pxPerMm * zoom / m_view.zoom;
  m_view.zoom = zoom;
  m_view.centreMm = underMm + (plan.frameCentre - point) / pxPerMm;
  update();
}

void TrainDrawing::PanBy(QPointF pixels) {
  if (!HasTrain()) return;
  const DrawingPlan plan = Plan();
  m_view.centreMm = plan.centreMm - pixels / plan.pxPerMm;
  update();
}

void TrainDrawing::wheelEvent(QWheelEvent* event) {
  const double steps = event->angleDelta().y() / 120.0;
  if (steps == 0 || !HasTrain()) return event->ignore();
  ZoomBy(std::pow(1.25, steps), event->position());
  event->accept();
}

void TrainDrawing::SetChosenGear(int gear) {
  m_chosen = gear;
  update();
}

void TrainDrawing::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  m_dragFrom = m_pressedAt = event->position();
  setCursor(Qt::ClosedHandCursor);
}

void TrainDrawing::mouseMoveEvent(QMouseEvent* event) {
  if (!m_dragFrom) return QWidget::mouseMoveEvent(event);
  PanBy(event->position() - *m_dragFrom);
  m_dragFrom = event->position();
}

void TrainDrawing::mouseReleaseEvent(QMouseEvent* event) {
  // A click names the smallest gear under it (a pinion lies over the wheel on its shaft).
  if (m_pressedAt && HasTrain() && QLineF(*m_pressedAt, event->position()).length() < 4) {
    const DrawingPlan plan = Plan();
    const QPointF mm = (event->position() - plan.origin) / plan.pxPerMm;
    int hit = -1;
    for (const PlacedGear& gear : m_layout->gears)
      if (std::hypot(mm.x() - gear.x, mm.y() - gear.y) <= gear.tipRadius &&
          (hit < 0 || gear.tipRadius < m_layout->gears[hit].tipRadius))
        hit = gear.gear;
    emit gearClicked(hit);
  }
  m_pressedAt.reset();
  m_dragFrom.reset();
  setCursor(Qt::OpenHandCursor);
  QWidget::mouseReleaseEvent(event);
}

void TrainDrawing::keyPressEvent(QKeyEvent* event) {
  const double step = 40;
  switch (event->key()) {
    case Qt::Key_Plus: case Qt::Key_Equal: ZoomBy(1.25); break;
    case Qt::Key_Minus: ZoomBy(0.8); break;
    case Qt::Key_0: case Qt::Key_Home: Fit(); break;
    case Qt::Key_Left: PanBy({step, 0}); break;
    case Qt::Key_Right: PanBy({-step, 0}); break;
    case Qt::Key_Up: PanBy({0, step}); break;
    case Qt::Key_Down: PanBy({0, -step}); break;
    default: return QWidget::keyPressEvent(event);
  }
}

void TrainDrawing::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  if (!HasTrain()) {
    painter.setFont(DrawingFont());
    painter.setPen(Qt::darkGray);
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, tr("Choose a train in the results to draw it."));
    return;
  }
  Paint(painter, Plan());
  if (hasFocus()) {  // where the keys go
    painter.setPen(QPen(palette().highlight().color(), 1, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
  }
}

void TrainDrawing::Paint(QPainter& painter, const DrawingPlan& plan) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  const QFont font = DrawingFont();
  QFont bold = font;
  bold.setBold(true);
  const double scale = plan.pxPerMm;

  painter.save();
  painter.setClipRect(plan.region);
  const TrainLayout& layout = *plan.layout;
  std::vector<bool> faultyGear(layout.gears.size()), faultyShaft(layout.shaftX.size());
  for (const ClearanceFault& fault : layout.faults) faultyGear[fault.gear] = faultyShaft[fault.shaft] = true;
  // Larger gears first, so a smaller gear on the same shaft stays visible above them.
  std::vector<const PlacedGear*> order;
  for (const PlacedGear& gear : layout.gears) order.push_back(&gear);
  std::stable_sort(order.begin(), order.end(), [](const PlacedGear* a, const PlacedGear* b) {
    return a->tipRadius > b->tipRadius;
  });
  double left = 1e300, right = -1e300;
  for (const PlacedGear* gear : order) {
    const bool driving = gear->gear % 2 == 0;
    const QColor colour = StageColour(gear->stage);
    QColor fill = colour;
    fill.setAlpha(driving ? 80 : 40);
    const QPointF centre = plan.Place(gear->x, gear->y);
    const double reach = gear->tipRadius * scale;
    left = std::min(left, gear->x - gear->tipRadius);
    right = std::max(right, gear->x + gear->tipRadius);
    if (!plan.region.intersects(QRectF(centre - QPointF(reach, reach), QSizeF(2 * reach, 2 * reach)))) continue;  // out of view
    painter.setPen(QPen(colour.darker(driving ? 170 : 130), driving ? 2.2 : 1.2));
    painter.setBrush(fill);
    painter.drawPath(GearPath(*gear, scale, centre));
    painter.setBrush(Qt::NoBrush);
    const double r = gear->pitchRadius * scale, tip = gear->tipRadius * scale;
    painter.setPen(QPen(colour.darker(150), 0.8, Qt::DashLine));
    painter.drawEllipse(centre, r, r);
    // The tip circle: what must keep clear of the other shafts; red where it does not.
    painter.setPen(faultyGear[gear->gear] ? QPen(kFault, 2.0) : QPen(colour.darker(150), 0.6, Qt::DotLine));
    painter.drawEllipse(centre, tip, tip);
    if (gear->gear == plan.chosenGear) {  // the gear whose outline is chosen
      painter.setPen(QPen(QColor(0, 0, 0, 160), 2.5, Qt::DashLine));
      painter.drawEllipse(centre, tip + 3, tip + 3);
    }
  }
  // The line of centres and the shafts at their diameters.
  painter.setPen(QPen(Qt::black, 0.8, Qt::DashDotLine));
  painter.drawLine(plan.Place(left, 0), plan.Place(right, 0));
  for (std::size_t j = 0; j < layout.shaftX.size(); ++j) {
    const QPointF c = plan.Place(layout.shaftX[j], 0);
    const double r = std::max(2.0, layout.shaftDiameters[j] / 2 * scale);
    painter.setPen(QPen(faultyShaft[j] ? kFault : Qt::black, faultyShaft[j] ? 1.8 : 1.0));
    painter.setBrush(faultyShaft[j] ? QColor(255, 200, 200) : QColor(210, 210, 210));
    painter.drawEllipse(c, r, r);
  }
  // Each fault's gap, along the line of centres: from the tip circle to the shaft.
  painter.setPen(QPen(kFault, 2.0));
  for (const ClearanceFault& fault : layout.faults) {
    const PlacedGear& gear = layout.gears[fault.gear];
    if (fault.shaft == gear.shaft) continue;
    const double towards = layout.shaftX[fault.shaft] > gear.x ? 1.0 : -1.0;
    painter.drawLine(plan.Place(gear.x + towards * gear.tipRadius, 0),
                     plan.Place(layout.shaftX[fault.shaft] - towards * layout.shaftDiameters[fault.shaft] / 2, 0));
  }

  // The side view: each plane a band across its gears, the shafts through every plane,
  // each stage's centre distance measured in its plane.
  const SideView& side = plan.side;
  for (const PlacedGear& gear : layout.gears) {
    QColor fill = StageColour(gear.stage);
    fill.setAlpha(gear.gear % 2 == 0 ? 110 : 60);
    painter.setPen(faultyGear[gear.gear] ? QPen(kFault, 1.8) : QPen(StageColour(gear.stage).darker(150), 1.0));
    painter.setBrush(fill);
    painter.drawRect(QRectF(plan.Place(gear.x - gear.tipRadius, side.Top(gear.plane)),
                            plan.Place(gear.x + gear.tipRadius, side.Top(gear.plane) + side.face)));
  }
  for (std::size_t j = 0; j < layout.shaftX.size(); ++j) {
    const double r = layout.shaftDiameters[j] / 2;
    painter.setPen(QPen(faultyShaft[j] ? kFault : Qt::black, 1.0));
    painter.setBrush(faultyShaft[j] ? QColor(255, 200, 200) : QColor(210, 210, 210));
    painter.drawRect(QRectF(plan.Place(layout.shaftX[j] - r, side.top - side.face / 2),
                            plan.Place(layout.shaftX[j] + r, side.Bottom(layout.planes) + side.face / 2)));
  }
  const QFontMetricsF sideMetrics(font);
  painter.setFont(font);
  painter.setPen(Qt::darkGray);
  painter.drawText(plan.Place(left, side.top - side.face / 2) - QPointF(0, sideMetrics.descent() + 3),
                   tr("Side view: the planes along the shafts"));
  for (std::size_t s = 0; s < layout.stages.size(); ++s) {
    const double y = side.Top(layout.gears[2 * s].plane) + side.face / 2;
    const QPointF a = plan.Place(layout.shaftX[s], y), b = plan.Place(layout.shaftX[s + 1], y);
    painter.setPen(QPen(Qt::black, 1.0));
    painter.drawLine(a, b);
    for (const QPointF& end : {a, b}) painter.drawLine(end - QPointF(0, 4), end + QPointF(0, 4));
    const QString text = tr("%1 mm").arg(QString::number(layout.stages[s].centreDistance, 'g', 6));
    if (sideMetrics.horizontalAdvance(text) + 8 < std::abs(b.x() - a.x()))
      painter.drawText(QRectF(std::min(a.x(), b.x()), a.y() - sideMetrics.height() - 1, std::abs(b.x() - a.x()),
                              sideMetrics.height()), Qt::AlignCenter, text);
  }
  painter.restore();

  for (const DrawingLabel& label : plan.labels) {
    const QColor colour = StageColour(label.stage);
    if (label.leader) {
      painter.setPen(QPen(colour.darker(130), 1));
      painter.drawLine(*label.leader);
    }
    painter.setPen(QPen(colour, label.driving ? 1.8 : 1));
    painter.setBrush(QColor(255, 255, 255, 230));
    painter.drawRoundedRect(label.box, 3, 3);
    painter.setFont(label.driving ? bold : font);
    painter.setPen(Qt::black);
    painter.drawText(label.box, Qt::AlignCenter, label.text);
  }

  // The legend: one line per stage, then the module and the scale bar.
  painter.setFont(font);
  painter.fillRect(plan.legend, Qt::white);
  painter.setPen(QPen(QColor(200, 200, 200), 1));
  painter.drawLine(plan.legend.topLeft(), plan.legend.topRight());
  const QFontMetricsF metrics(font);
  const int lines = static_cast<int>(plan.legendLines.size());
  const int rows = (lines + plan.legendColumns - 1) / plan.legendColumns;
  for (int i = 0; i < lines; ++i) {
    const double x = plan.legend.left() + (i / rows) * (plan.legendColumnWidth + 24);
    const double top = plan.legend.top() + 4 + (i % rows) * plan.lineHeight;
    const int stages = static_cast<int>(layout.stages.size());
    if (i < stages + plan.faultLines) {
      painter.setPen(Qt::NoPen);
      painter.setBrush(i < stages ? StageColour(i) : kFault);
      painter.drawRect(QRectF(x, top + (plan.lineHeight - 10) / 2, 10, 10));
    }
    painter.setPen(i >= stages && i < stages + plan.faultLines ? kFault : Qt::black);
    painter.drawText(QPointF(x + 16, top + metrics.ascent()), plan.legendLines[i]);
  }
  const QLineF& bar = plan.scaleBar;
  painter.setPen(QPen(Qt::black, 1.5));
  painter.drawLine(bar);
  painter.drawLine(bar.p1() - QPointF(0, 4), bar.p1() + QPointF(0, 4));
  painter.drawLine(bar.p2() - QPointF(0, 4), bar.p2() + QPointF(0, 4));
  painter.drawText(bar.p2() + QPointF(6, metrics.ascent() / 2 - 1), plan.scaleText);
  painter.restore();
}

std::optional<QString> TrainDrawing::ExportSvg(const QString& path) const {
  // Drawn in the screen's pixels, then scaled so that one unit of the file is one millimetre.
  const DrawingPlan plan = PlanDrawingAtScale(m_layout, 1 / kMmPerSvgPixel);
  const QSize tenths(static_cast<int>(std::ceil(plan.area.width() * kMmPerSvgPixel * 10)),
                     static_cast<int>(std::ceil(plan.area.height() * kMmPerSvgPixel * 10)));
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator generator;
  generator.setOutputDevice(&buffer);
  generator.setResolution(254);  // a pixel of the generator is a tenth of a millimetre
  generator.setSize(tenths);
  generator.setViewBox(QRectF(0, 0, tenths.width() / 10.0, tenths.height() / 10.0));
  generator.setTitle(tr("Gear train"));
  generator.setDescription(tr("Drawn by Quenmar Design to true scale: one unit is one millimetre"));
  QPainter painter;
  if (!painter.begin(&generator)) return tr("the drawing cannot be rendered as SVG");
  painter.scale(kMmPerSvgPixel, kMmPerSvgPixel);
  painter.fillRect(plan.area, Qt::white);
  Paint(painter, plan);
  painter.end();
  return Save(path, buffer.data());
}

std::optional<QString> TrainDrawing::ExportPng(const QString& path, QSize size) const {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    painter.scale(2.0, 2.0);  // twice the resolution of the screen drawing
    Paint(painter, PlanDrawing(m_layout, QRectF(0, 0, size.width() / 2.0, size.height() / 2.0)));
  }
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) return tr("the drawing cannot be encoded as PNG");
  return Save(path, buffer.data());
}

}  // namespace quenmar::design
