#pragma once
// The chart as the page a machinist pins beside the lathe: a title (the lead screw and
// the gear set), then one line per target with the teeth of its closest train, the pitch
// it cuts and the error, the targets the set does not reach marked in words. The type is
// made as large as lets every target fit one page (down to a legible least; longer charts
// go on over more pages).

#include <QString>
#include <QStringList>

#include "ThreadChart.h"

class QPagedPaintDevice;
class QPainter;

namespace quenmar::design {

struct ChartPage {
  QString title;       // "Thread chart, lead screw 8tpi"
  QString gears;       // "Gears: 20 24 ... 127"
  QString note;        // the configuration and anything else worth a line; may be empty
};

// Paints every page on `device` (a QPrinter, or a QPdfWriter); the pages painted.
int PaintChart(QPagedPaintDevice& device, const ChartPage& page, const Chart& chart);

}  // namespace quenmar::design
