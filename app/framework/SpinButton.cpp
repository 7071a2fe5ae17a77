#include "SpinButton.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QTimer>

#include <charconv>

namespace quenmar {
namespace {
constexpr int kFirstRepeatMs = 400;
constexpr int kRepeatMs = 60;
}  // namespace

SpinButton::SpinButton(QWidget* parent) : QWidget(parent), m_repeat(new QTimer(this)) {
  setFocusPolicy(Qt::NoFocus);
  m_repeat->setSingleShot(false);
  connect(m_repeat, &QTimer::timeout, this, &SpinButton::repeatStep);
}

void SpinButton::setBuddy(QLineEdit* buddy) {
  if (m_buddy) m_buddy->removeEventFilter(this);
  m_buddy = buddy;
  m_buddyObject = buddy;
  if (m_buddy) m_buddy->installEventFilter(this);
}

void SpinButton::setRange(int lower, int upper) {
  m_lower = lower;
  m_upper = upper;
  update();
}

int SpinButton::positionFromBuddy(bool* ok) const {
  *ok = false;
  if (!m_buddy) return 0;
  const QByteArray text = m_buddy->text().toLatin1();
  const char* first = text.constData();
  const char* last = first + text.size();
  if (first != last && *first == '+') ++first;
  int value = 0;
  auto [end, ec] = std::from_chars(first, last, value);
  const int lo = std::min(m_lower, m_upper);
  const int hi = std::max(m_lower, m_upper);
  if (ec != std::errc() || end != last || first == last || value < lo || value > hi) return 0;
  *ok = true;
  return value;
}

int SpinButton::position() const {
  bool ok = false;
  const int fromBuddy = positionFromBuddy(&ok);
  if (ok) m_position = fromBuddy;
  return m_position;
}

void SpinButton::writeBuddy(int position) {
  m_position = position;
  if (m_buddy) m_buddy->setText(QString::number(position));
}

void SpinButton::setPosition(int position) { writeBuddy(position); }

void SpinButton::stepBy(int delta) {
  if (delta == 0 || !isEnabled()) return;
  // A reversed range (lower above upper) turns the arrows round, as the up arrow always
  // moves towards the upper limit.
  const bool reversed = m_lower > m_upper;
  const int lo = reversed ? m_upper : m_lower;
  const int hi = reversed ? m_lower : m_upper;
  const long long step = reversed ? -delta : delta;
  long long next = static_cast<long long>(position()) + step;
  if (next > hi) next = m_wrap ? lo : hi;
  if (next < lo) next = m_wrap ? hi : lo;
  writeBuddy(static_cast<int>(next));
  emit positionChanged(m_position);
}

QSize SpinButton::sizeHint() const { return QSize(16, 20); }

void SpinButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const int half = height() / 2;
  const QRect halves[2] = {QRect(0, 0, width(), half), QRect(0, half, width(), height() - half)};
  for (int i = 0; i < 2; ++i) {
    const int direction = i == 0 ? 1 : -1;
    QStyleOptionButton panel;
    panel.initFrom(this);
    panel.rect = halves[i];
    panel.state |= (m_pressed == direction) ? QStyle::State_Sunken : QStyle::State_Raised;
    style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &panel, &painter, this);
    QStyleOption arrow;
    arrow.initFrom(this);
    arrow.rect = halves[i].adjusted(2, 1, -2, -1);
    style()->drawPrimitive(i == 0 ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown,
                           &arrow, &painter, this);
  }
}

void SpinButton::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  m_pressed = event->position().y() < height() / 2 ? 1 : -1;
  update();
  stepBy(m_pressed);
  m_repeat->start(kFirstRepeatMs);
}

void SpinButton::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
  m_pressed = 0;
  m_repeat->stop();
  update();
}

void SpinButton::repeatStep() {
  if (m_pressed == 0) {
    m_repeat->stop();
    return;
  }
  m_repeat->setInterval(kRepeatMs);
  stepBy(m_pressed);
}

void SpinButton::keyPressEvent(QKeyEvent* event) {
  if (m_arrowKeys && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
    stepBy(event->key() == Qt::Key_Up ? 1 : -1);
    return;
  }
  QWidget::keyPressEvent(event);
}

bool SpinButton::eventFilter(QObject* watched, QEvent* event) {
  // The event type first: a field being destroyed still sends events through this filter,
  // and the identity is compared as plain objects, since the field may no longer be a
  // QLineEdit by then.
  if (event->type() == QEvent::KeyPress && m_arrowKeys && isEnabled() &&
      watched == m_buddyObject.data()) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
      stepBy(key->key() == Qt::Key_Up ? 1 : -1);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void SpinButton::changeEvent(QEvent* event) {
  if (event->type() == QEvent::EnabledChange && !isEnabled()) {
    m_pressed = 0;
    m_repeat->stop();
  }
  QWidget::changeEvent(event);
}

}  // namespace quenmar
