#include "DrawingPlan.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace quenmar::design {

namespace {

constexpr double kMargin = 8;     // around the area
constexpr double kGap = 2;        // between labels
constexpr double kSwatch = 16;    // a legend line's colour mark and its gap
constexpr double kLongestBar = 100;
constexpr double kPi = std::numbers::pi;

QString Tr(const char* text) { return QCoreApplication::translate("TrainDrawing", text); }

QString Number(double value, int decimals) {
  QString text = QString::number(value, 'f', decimals);
  if (text.contains(QLatin1Char('.'))) {
    while (text.endsWith(QLatin1Char('0'))) text.chop(1);
    if (text.endsWith(QLatin1Char('.'))) text.chop(1);
  }
  return text;
}

QFont Bold(QFont font) {
  font.setBold(true);
  return font;
}

// The round length (1, 2 or 5 times a power of ten) drawn at most `longest` pixels long.
double RoundLength(double longest, double pxPerMm) {
  const double wanted = longest / pxPerMm;
  const double decade = std::pow(10.0, std::floor(std::log10(wanted)));
  double length = decade;
  for (double step : {2.0, 5.0})
    if (decade * step <= wanted) length = decade * step;
  return length;
}

QPointF Nearest(const QRectF& box, QPointF p) {
  return {std::clamp(p.x(), box.left(), box.right()), std::clamp(p.y(), box.top(), box.bottom())};
}

// Finds free places for boxes inside a region, away from what is already there.
class Placer {
 public:
  explicit Placer(const QRectF& region) : m_region(region) {}
  void Take(const QRectF& box) { m_taken.push_back(box); }
  bool Free(const QRectF& box) const {
    if (!m_region.contains(box)) return false;
    const QRectF spaced = box.adjusted(-kGap, -kGap, kGap, kGap);
    return std::none_of(m_taken.begin(), m_taken.end(), [&](const QRectF& t) { return t.intersects(spaced); });
  }
  // The first free box of `size` centred on one of `preferred`, else on rings around
  // `around` from `radius` outwards; nothing when the region has no room left.
  std::optional<QRectF> Find(QSizeF size, const std::vector<QPointF>& preferred, QPointF around,
                             double radius) const {
    QRectF box(QPointF(), size);
    for (const QPointF& p : preferred) {
      box.moveCenter(p);
      if (Free(box)) return box;
    }
    const double step = size.height() * 0.75;
    const double farthest = std::hypot(m_region.width(), m_region.height());
    for (double r = std::max(radius, step); r < farthest; r += step) {
      const int directions = std::max(8, static_cast<int>(2 * kPi * r / step));
      for (int i = 0; i < directions; ++i) {
        // Up first, then down, then the sides, so labels stay above and below the gears.
        const int k = (i + 1) / 2 * (i % 2 ? 1 : -1);
        const double angle = -kPi / 2 + 2 * kPi * k / directions;
        box.moveCenter(around + QPointF(r * std::cos(angle), r * std::sin(angle)));
        if (Free(box)) return box;
      }
    }
    return std::nullopt;
  }

 private:
  QRectF m_region;
  std::vector<QRectF> m_taken;
};

struct Extent {
  double left = 1e300, right = -1e300, top = 1e300, bottom = -1e300;
  double Width() const { return right - left; }
  double Height() const { return bottom - top; }
  QPointF Centre() const { return {(left + right) / 2, (top + bottom) / 2}; }
};

// The gears' tip circles and shafts, and the side view below them.
Extent TipExtent(const TrainLayout& layout, const SideView& side) {
  Extent e;
  for (const PlacedGear& gear : layout.gears) {
    const double r = gear.tipRadius;
    e.left = std::min(e.left, gear.x - r);
    e.right = std::max(e.right, gear.x + r);
    e.top = std::min(e.top, gear.y - r);
    e.bottom = std::max(e.bottom, gear.y + r);
  }
  e.bottom = std::max(e.bottom, side.Bottom(layout.planes));
  return e;
}

SideView PlanSideView(const TrainLayout& layout) {
  double largest = 0;
  for (const PlacedGear& gear : layout.gears) largest = std::max(largest, gear.tipRadius);
  return {1.5 * largest, 0.2 * largest, 0.3 * largest};
}

// Room kept around the gears for their labels, above, below and at each side.
struct Reserve {
  double top, bottom, side;
};
Reserve LabelReserve(const QFontMetricsF& metrics) {
  const double row = metrics.height() + 2 + kGap;
  return {2 * row + 4, row + 4, metrics.horizontalAdvance(QStringLiteral("N12  500")) / 2 + 4};
}

void FillLegend(DrawingPlan& plan, const QFontMetricsF& metrics) {
  const TrainLayout& layout = *plan.layout;
  bool oneModule = true;
  for (const StageInfo& stage : layout.stages) oneModule = oneModule && stage.module == layout.stages[0].module;
  for (std::size_t s = 0; s < layout.stages.size(); ++s) {
    const StageInfo& stage = layout.stages[s];
    QString line = Tr("Stage %1: N%2 %3 drives N%4 %5, ratio %6, centres %7 mm")
                       .arg(s + 1)
                       .arg(2 * s + 1)
                       .arg(stage.driver)
                       .arg(2 * s + 2)
                       .arg(stage.driven)
                       .arg(Number(stage.ratio, 4))
                       .arg(Number(stage.centreDistance, 3));
    if (!oneModule) line += Tr(", module %1").arg(Number(stage.module, 4));
    if (stage.shift[0] != 0 || stage.shift[1] != 0)
      line += Tr(", shifts %1, %2").arg(Number(stage.shift[0], 3), Number(stage.shift[1], 3));
    plan.legendLines << line;
  }
  // What fails, in one line: the worst fault, and how many more are drawn in red.
  if (!layout.faults.empty()) {
    const ClearanceFault& worst = *std::min_element(layout.faults.begin(), layout.faults.end(),
        [](const ClearanceFault& a, const ClearanceFault& b) { return a.gap < b.gap; });
    const PlacedGear& gear = layout.gears[worst.gear];
    QString line = worst.shaft == gear.shaft
                       ? Tr("Red: N%1's bore (%2 mm) is not inside its root circle")
                             .arg(worst.gear + 1).arg(Number(layout.shaftDiameters[worst.shaft], 3))
                   : worst.gap < 0
                       ? Tr("Red: N%1's tip overlaps shaft %2 by %3 mm").arg(worst.gear + 1).arg(worst.shaft + 1).arg(Number(-worst.gap, 3))
                       : Tr("Red: N%1's tip only %2 mm from shaft %3 (clearance %4 mm)")
                             .arg(worst.gear + 1).arg(Number(worst.gap, 3)).arg(worst.shaft + 1).arg(Number(layout.clearance, 3));
    if (layout.faults.size() > 1) line += Tr(", and %1 more").arg(layout.faults.size() - 1);
    plan.legendLines << line;
  }
  plan.faultLines = layout.faults.empty() ? 0 : 1;
  plan.legendLines << Tr("%1bold: driving gears%2")
                          .arg(oneModule ? Tr("Module %1 mm; ").arg(Number(layout.stages[0].module, 4)) : QString())
                          .arg(layout.coaxial ? Tr("; coaxial") : QString());
  double widest = 0;
  for (const QString& line : plan.legendLines) widest = std::max(widest, metrics.horizontalAdvance(line));
  const double barRoom = 12 + kLongestBar + 6 + metrics.horizontalAdvance(QStringLiteral("5000 mm"));
  plan.legendColumnWidth = kSwatch + std::max(widest, metrics.horizontalAdvance(plan.legendLines.back()) + barRoom);
  plan.lineHeight = metrics.lineSpacing();
}

// Places the legend at the bottom of the area, in two columns where they fit.
void PlaceLegend(DrawingPlan& plan) {
  const double width = plan.area.width() - 2 * kMargin;
  const int lines = static_cast<int>(plan.legendLines.size());
  plan.legendColumns = lines >= 4 && 2 * plan.legendColumnWidth + 24 <= width ? 2 : 1;
  const int rows = (lines + plan.legendColumns - 1) / plan.legendColumns;
  const double height = rows * plan.lineHeight + 8;
  plan.legend = QRectF(plan.area.left() + kMargin, plan.area.bottom() - kMargin - height, width, height);
  plan.region = QRectF(plan.area.left() + kMargin, plan.area.top() + kMargin, width,
                       std::max(0.0, plan.legend.top() - 4 - plan.area.top() - kMargin));
}

void PlaceScaleBar(DrawingPlan& plan, const QFontMetricsF& metrics) {
  const double longest = std::min(kLongestBar, std::max(20.0, plan.region.width() / 4));
  plan.scaleMm = RoundLength(longest, plan.pxPerMm);
  plan.scaleText = Tr("%1 mm").arg(Number(plan.scaleMm, 6));
  // At the end of the legend's last line.
  const int last = static_cast<int>(plan.legendLines.size()) - 1;
  const int rows = (last + plan.legendColumns) / plan.legendColumns;
  const int column = last / rows, row = last % rows;
  const double x = plan.legend.left() + column * (plan.legendColumnWidth + 24) + kSwatch +
                   metrics.horizontalAdvance(plan.legendLines.back()) + 12;
  const double y = plan.legend.top() + 4 + row * plan.lineHeight + plan.lineHeight / 2;
  plan.scaleBar = QLineF(x, y, x + plan.scaleMm * plan.pxPerMm, y);
}

void PlaceLabels(DrawingPlan& plan, const QFontMetricsF& metrics, const QFontMetricsF& bold) {
  Placer placer(plan.region);
  const double height = metrics.height() + 2;
  const TrainLayout& layout = *plan.layout;
  // Shafts and the side view stay visible.
  for (const PlacedGear& gear : layout.gears) {
    const QPointF c = plan.Place(gear.x, gear.y);
    placer.Take(QRectF(c - QPointF(4, 4), QSizeF(8, 8)));
  }
  double left = 1e300, right = -1e300;
  for (const PlacedGear& gear : layout.gears) {
    left = std::min(left, gear.x - gear.tipRadius);
    right = std::max(right, gear.x + gear.tipRadius);
  }
  placer.Take(QRectF(plan.Place(left, plan.side.top), plan.Place(right, plan.side.Bottom(layout.planes))).adjusted(0, -height, 0, 0));
  auto place = [&](DrawingLabel label, const std::vector<QPointF>& preferred, QPointF anchor, double radius,
                   double reach) {
    if (!plan.region.contains(anchor)) return;  // zoomed out of sight
    const std::optional<QRectF> box = placer.Find(label.box.size(), preferred, anchor, radius);
    if (!box) return;
    label.box = *box;
    placer.Take(label.box);
    // A label moved away from what it names points at it.
    const QPointF centre = label.box.center();
    const double away = std::hypot(centre.x() - anchor.x(), centre.y() - anchor.y());
    if (away > reach + height)
      label.leader = QLineF(anchor + (centre - anchor) * (reach / away), Nearest(label.box, anchor));
    plan.labels.push_back(label);
  };

  // Each mesh marked with its stage number where the pitch circles touch.
  for (std::size_t s = 0; s < layout.stages.size(); ++s) {
    const PlacedGear& driver = layout.gears[2 * s];
    const PlacedGear& driven = layout.gears[2 * s + 1];
    const double towards = driven.x > driver.x ? 1.0 : -1.0;
    const QPointF mesh = plan.Place(driver.x + towards * driver.pitchRadius, driver.y);
    DrawingLabel label{QRectF(0, 0, metrics.horizontalAdvance(QString::number(s + 1)) + 8, height),
                       QString::number(s + 1), static_cast<int>(s), false, std::nullopt};
    place(label, {mesh}, mesh, height, 0);
  }
  // Teeth counts: a driver's inside it below its shaft where it fits, a driven gear's above
  // its rim; else the nearest free place.
  std::vector<const PlacedGear*> order;
  for (const PlacedGear& gear : layout.gears) order.push_back(&gear);
  std::stable_sort(order.begin(), order.end(), [](const PlacedGear* a, const PlacedGear* b) {
    return (a->gear % 2) < (b->gear % 2);  // drivers first: they may keep their inside place
  });
  for (const PlacedGear* gear : order) {
    const bool driving = gear->gear % 2 == 0;
    const QString text = QStringLiteral("N%1  %2").arg(gear->gear + 1).arg(gear->teeth);
    const double width = (driving ? bold : metrics).horizontalAdvance(text) + 8;
    const QPointF c = plan.Place(gear->x, gear->y);
    const double r = gear->pitchRadius * plan.pxPerMm, tip = gear->tipRadius * plan.pxPerMm;
    const QPointF inside = c + QPointF(0, std::max(0.55 * r, height * 1.2));
    const bool fitsInside = std::hypot(width / 2, inside.y() - c.y() + height / 2) < r * 0.95;
    const QPointF above = c - QPointF(0, tip + height / 2 + 3), below = c + QPointF(0, tip + height / 2 + 3);
    std::vector<QPointF> preferred = driving ? std::vector<QPointF>{below, above} : std::vector<QPointF>{above, below};
    if (driving && fitsInside) preferred.insert(preferred.begin(), inside);
    DrawingLabel label{QRectF(0, 0, width, height), text, gear->stage, driving, std::nullopt};
    if (!plan.region.contains(c)) {
      // Zoomed in on a part of the gear: its label stands at the edge nearest its shaft.
      const QRectF edge = plan.region.adjusted(width / 2 + kGap, height / 2 + kGap, -width / 2 - kGap, -height / 2 - kGap);
      const QPointF near(std::clamp(c.x(), edge.left(), edge.right()), std::clamp(c.y(), edge.top(), edge.bottom()));
      if (edge.isValid() && std::hypot(near.x() - c.x(), near.y() - c.y()) < r)
        place(label, {near}, near, height, 1e9);
      continue;
    }
    // A gear larger than the view (zoomed in) keeps its label by its shaft.
    const bool huge = tip > std::min(plan.region.width(), plan.region.height()) / 2;
    place(label, huge ? std::vector<QPointF>{} : preferred, c, huge ? height : tip + height / 2 + 3, tip);
  }
}

DrawingPlan Begin(std::shared_ptr<const TrainLayout> layout, const QFontMetricsF& metrics) {
  DrawingPlan plan;
  plan.layout = std::move(layout);
  plan.side = PlanSideView(*plan.layout);
  FillLegend(plan, metrics);
  return plan;
}

}  // namespace

QFont DrawingFont() {
  QFont font;
  font.setPixelSize(12);
  return font;
}

DrawingPlan PlanDrawing(std::shared_ptr<const TrainLayout> layout, const QRectF& area,
                        const DrawingView& view) {
  const QFontMetricsF metrics(DrawingFont()), bold(Bold(DrawingFont()));
  DrawingPlan plan = Begin(std::move(layout), metrics);
  plan.area = area;
  PlaceLegend(plan);
  const Extent extent = TipExtent(*plan.layout, plan.side);
  const Reserve reserve = LabelReserve(metrics);
  const QRectF frame = plan.region.adjusted(reserve.side, reserve.top, -reserve.side, -reserve.bottom);
  const double fit = std::min(std::max(frame.width(), 10.0) / extent.Width(),
                              std::max(frame.height(), 10.0) / extent.Height());
  plan.pxPerMm = fit * view.zoom;
  plan.centreMm = view.centreMm.value_or(extent.Centre());
  plan.frameCentre = frame.center();
  plan.origin = plan.frameCentre - plan.centreMm * plan.pxPerMm;
  PlaceScaleBar(plan, metrics);
  PlaceLabels(plan, metrics, bold);
  return plan;
}

DrawingPlan PlanDrawingAtScale(std::shared_ptr<const TrainLayout> layout, double pxPerMm) {
  const QFontMetricsF metrics(DrawingFont()), bold(Bold(DrawingFont()));
  DrawingPlan plan = Begin(std::move(layout), metrics);
  plan.pxPerMm = pxPerMm;
  const Extent extent = TipExtent(*plan.layout, plan.side);
  const Reserve reserve = LabelReserve(metrics);
  const double width = std::max(extent.Width() * pxPerMm + 2 * reserve.side, plan.legendColumnWidth) + 2 * kMargin;
  const double gears = extent.Height() * pxPerMm + reserve.top + reserve.bottom;
  const int lines = static_cast<int>(plan.legendLines.size());
  plan.area = QRectF(0, 0, width, gears + 2 * kMargin + 4 + lines * plan.lineHeight + 8);
  PlaceLegend(plan);
  const QRectF frame = plan.region.adjusted(reserve.side, reserve.top, -reserve.side, -reserve.bottom);
  plan.centreMm = extent.Centre();
  plan.frameCentre = frame.center();
  plan.origin = plan.frameCentre - plan.centreMm * pxPerMm;
  PlaceScaleBar(plan, metrics);
  PlaceLabels(plan, metrics, bold);
  return plan;
}

}  // namespace quenmar::design
