#include "ChartPrinter.h"

#include <QPagedPaintDevice>
#include <QPainter>
#include <algorithm>

#include "ChartModel.h"

namespace quenmar::design {

namespace {

struct Line {
  QString target, teeth, pitch, error, mark;
  bool reached = true;
};

std::vector<Line> Lines(const Chart& chart) {
  std::vector<Line> lines;
  for (std::size_t t = 0; t < chart.targets.size(); ++t) {
    const ChartTarget& target = chart.targets[t];
    Line line;
    line.target = TargetLabel(target);
    line.reached = chart.Reached(t);
    // The best train: the first reached one, else the closest.
    const ChartRow* best = nullptr;
    for (const ChartRow& row : chart.rows)
      if (row.target == t && row.train && (!best || (row.reached && !best->reached))) best = &row;
    if (best) {
      line.teeth = TeethText(best->train->teeth);
      line.pitch = PitchText(target, best->cut);
      if (target.target.unit != PitchUnit::Ratio) line.error = QString::asprintf("%+.3f %%", best->cut.errorPercent);
      else line.error = QStringLiteral("%1/%2").arg(best->train->reduction.num).arg(best->train->reduction.den);
    } else {
      line.teeth = QObject::tr("no train");
    }
    line.mark = line.reached ? QString() : QObject::tr("NOT REACHED");
    lines.push_back(line);
  }
  return lines;
}

}  // namespace

int PaintChart(QPagedPaintDevice& device, const ChartPage& page, const Chart& chart) {
  QPainter painter;
  if (!painter.begin(&device)) return 0;
  const std::vector<Line> lines = Lines(chart);
  const QRectF area = QRectF(0, 0, device.width(), device.height());
  const double dpi = device.logicalDpiY();
  // Type from 12 pt down to 7 pt, as large as lets every line fit the first page.
  const double heading = 3.2;  // lines the title, the gear set and the column heads take
  double points = 12;
  while (points > 7 && (lines.size() + heading + 2) * points * 1.5 * dpi / 72 > area.height()) points -= 0.5;
  QFont font(QStringLiteral("Liberation Sans"));
  font.setPointSizeF(points);
  QFont bold = font;
  bold.setBold(true);
  QFont big = bold;
  big.setPointSizeF(points * 1.5);
  const double step = points * 1.5 * dpi / 72;
  // Columns: target, teeth, pitch cut, error, mark.
  const double w = area.width();
  const double x[] = {0, 0.24 * w, 0.52 * w, 0.67 * w, 0.8 * w};
  double y = 0;
  int pages = 1;
  auto heads = [&] {
    painter.setFont(bold);
    const QString names[] = {QObject::tr("Target"), QObject::tr("Teeth N1\u2026Nk"), QObject::tr("Pitch cut"),
                             QObject::tr("Error / ratio"), QString()};
    for (int c = 0; c < 5; ++c) painter.drawText(QPointF(x[c], y + step * 0.8), names[c]);
    y += step;
    painter.drawLine(QPointF(0, y - step * 0.1), QPointF(w, y - step * 0.1));
  };
  painter.setFont(big);
  painter.drawText(QPointF(0, step), page.title);
  y = step * 1.6;
  painter.setFont(font);
  for (const QString& text : {page.gears, page.note}) {
    if (text.isEmpty()) continue;
    painter.drawText(QRectF(0, y, w, step), Qt::AlignLeft | Qt::AlignVCenter, text);
    y += step;
  }
  y += step * 0.3;
  heads();
  for (const Line& line : lines) {
    if (y + step > area.height()) {
      device.newPage();
      ++pages;
      y = 0;
      heads();
    }
    painter.setFont(line.reached ? font : bold);
    const QString cells[] = {line.target, line.teeth, line.pitch, line.error, line.mark};
    for (int c = 0; c < 5; ++c) {
      const double right = c + 1 < 5 ? x[c + 1] : w;
      const QString shown = painter.fontMetrics().elidedText(cells[c], Qt::ElideRight, static_cast<int>(right - x[c] - 4));
      painter.drawText(QRectF(x[c], y, right - x[c], step), Qt::AlignLeft | Qt::AlignVCenter, shown);
    }
    y += step;
  }
  painter.end();
  return pages;
}

}  // namespace quenmar::design
