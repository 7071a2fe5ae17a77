#include "PrintWidget.h"

#include <QPainter>
#include <QPrinter>
#include <QWidget>
#include <algorithm>

namespace quenmar {

QRectF FitCentred(const QSizeF& content, const QRectF& page) {
  if (content.isEmpty() || page.isEmpty()) return {};
  const double scale = std::min(page.width() / content.width(), page.height() / content.height());
  const QSizeF size = content * scale;
  return QRectF(page.x() + (page.width() - size.width()) / 2,
                page.y() + (page.height() - size.height()) / 2, size.width(), size.height());
}

bool PrintWidget(QWidget& widget, QPrinter& printer) {
  const QSizeF content = widget.size();
  if (content.isEmpty()) return false;

  QPainter painter;
  if (!painter.begin(&printer)) return false;
  // The painter starts at the top left of the printable area.
  const QRectF page(QPointF(0, 0), printer.pageRect(QPrinter::DevicePixel).size());
  const QRectF target = FitCentred(content, page);
  painter.translate(target.topLeft());
  painter.scale(target.width() / content.width(), target.height() / content.height());
  widget.render(&painter, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
  return painter.end();
}

}  // namespace quenmar
