#include "ColorButton.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>

namespace {

constexpr qsizetype kMaxCaption = 511;

// One ring: edges drawn top, left, bottom, right, each a one-pixel line, so the top-right
// and bottom-left corners take the colours of the right and bottom edges.
void DrawRing(QPainter& painter, const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
  const int left = r.left();
  const int top = r.top();
  const int width = r.width();
  const int height = r.height();
  if (width <= 0 || height <= 0) return;
  painter.fillRect(QRect(left, top, width, 1), topLeft);
  painter.fillRect(QRect(left, top, 1, height), topLeft);
  painter.fillRect(QRect(left, top + height - 1, width, 1), bottomRight);
  painter.fillRect(QRect(left + width - 1, top, 1, height), bottomRight);
}

}  // namespace

CColorButton::CColorButton(QWidget* parent) : CColorButton(QString(), parent) {}

CColorButton::CColorButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
  // The system colours are read once, now.
  const QPalette system = QGuiApplication::palette();
  m_crText = system.color(QPalette::Active, QPalette::ButtonText);
  m_crFace = system.color(QPalette::Active, QPalette::Button);
  m_crFaceDisabled = system.color(QPalette::Active, QPalette::Button);
  m_crLight = system.color(QPalette::Active, QPalette::Midlight);
  m_crHighlight = system.color(QPalette::Active, QPalette::Light);
  m_crShadow = system.color(QPalette::Active, QPalette::Dark);
  m_crDarkShadow = system.color(QPalette::Active, QPalette::Shadow);
  // Every pixel is painted by paintEvent, so nothing needs erasing first.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CColorButton::SetColors(const QColor& text, const QColor& face, const QColor& faceDisabled) {
  m_crText = text;
  m_crFace = face;
  m_crFaceDisabled = faceDisabled;
  update();
}

void CColorButton::DrawFrame(QPainter& painter, QRect rect, const DrawState& state) const {
  auto inset = [](QRect r) { return r.adjusted(1, 1, -1, -1); };
  if (state.selected) {
    DrawRing(painter, rect, m_crDarkShadow, m_crDarkShadow);
    rect = inset(rect);
    DrawRing(painter, rect, m_crShadow, m_crShadow);
    return;
  }
  if (state.focused || state.isDefault) {
    DrawRing(painter, rect, Qt::black, Qt::black);
    rect = inset(rect);
  }
  DrawRing(painter, rect, m_crHighlight, m_crDarkShadow);
  rect = inset(rect);
  DrawRing(painter, rect, m_crLight, m_crShadow);
}

void CColorButton::DrawItem(QPainter& painter, const QRect& item, const DrawState& state) const {
  const QRect focusRect = item.adjusted(4, 4, -4, -4);
  const QString caption = text().left(kMaxCaption);

  painter.fillRect(item, state.disabled ? m_crFaceDisabled : m_crFace);
  DrawFrame(painter, item, state);

  const int flags = Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic;
  painter.setFont(font());
  painter.setBackgroundMode(Qt::TransparentMode);
  const QPen saved = painter.pen();
  if (state.disabled) {
    painter.setPen(QColor(255, 255, 255));
    painter.drawText(item.translated(1, 1), flags, caption);
    painter.setPen(QColor(128, 128, 128));
    painter.drawText(item, flags, caption);
  } else {
    painter.setPen(m_crText);
    painter.drawText(item, flags, caption);
  }
  painter.setPen(saved);

  if (state.focused && focusRect.width() > 0 && focusRect.height() > 0) {
    // Dotted: every other pixel of the rectangle's border is inverted.
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    const QColor invert(255, 255, 255);
    auto dot = [&](int x, int y) {
      if (((x + y) & 1) == 0) painter.fillRect(QRect(x, y, 1, 1), invert);
    };
    const int l = focusRect.left(), t = focusRect.top();
    const int r = l + focusRect.width() - 1, b = t + focusRect.height() - 1;
    for (int x = l; x <= r; ++x) {
      dot(x, t);
      if (b != t) dot(x, b);
    }
    for (int y = t + 1; y < b; ++y) {
      dot(l, y);
      if (r != l) dot(r, y);
    }
    painter.restore();
  }
}

void CColorButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  DrawState state;
  state.selected = isDown();
  state.disabled = !isEnabled();
  state.focused = hasFocus();
  // An owner-drawn button is never a dialog's default push button (Qt's automatic default
  // follows the focus anyway), so only the focus draws the black ring here.
  state.isDefault = false;
  DrawItem(painter, rect(), state);
}
