#include "InputMessage.h"

#include <QPainter>
#include <QTextLayout>
#include <cmath>

namespace quenmar::design {

InputMessage::InputMessage(QWidget* input, int lines, QWidget* parent)
    : QLabel(parent), m_input(input), m_lines(lines) {
  QFont small = font();
  small.setPointSizeF(small.pointSizeF() * 0.9);
  setFont(small);
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  setFixedHeight(sizeHint().height());
}

QSize InputMessage::sizeHint() const {
  return {0, static_cast<int>(std::ceil(fontMetrics().lineSpacing() * m_lines)) + 1};
}

void InputMessage::Show(const QString& text, bool wrong) {
  m_wrong = wrong;
  QPalette colours = palette();
  colours.setColor(QPalette::WindowText, wrong ? QColor(0xb0, 0x00, 0x20) : QColor(0x60, 0x60, 0x60));
  setPalette(colours);
  setToolTip(text);
  setText(text);
  if (m_input && m_input->accessibleDescription() != text) m_input->setAccessibleDescription(text);
  update();
}

void InputMessage::paintEvent(QPaintEvent*) {
  // Word-wrapped into the lines kept; the last one shown ends in an ellipsis when more follow.
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::WindowText));
  const QString shown = text();
  const double width = contentsRect().width();
  QTextLayout layout(shown, font());
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout.setTextOption(option);
  layout.beginLayout();
  const QFontMetricsF metrics(font());
  const QPointF corner = contentsRect().topLeft();
  for (int line = 0; line < m_lines; ++line) {
    QTextLine text = layout.createLine();
    if (!text.isValid()) break;
    text.setLineWidth(width);
    const double y = line * metrics.lineSpacing();
    text.setPosition(QPointF(0, y));
    if (line == m_lines - 1 && text.textStart() + text.textLength() < shown.size()) {
      const QString rest = metrics.elidedText(shown.mid(text.textStart()), Qt::ElideRight, width);
      painter.drawText(corner + QPointF(0, y + metrics.ascent()), rest);
      break;
    }
    text.draw(&painter, corner);
  }
  layout.endLayout();
}

}  // namespace quenmar::design
