#pragma once
// A small up-down control attached to a field (its buddy). It keeps no value of its own
// that could drift from the field: each step starts from the number the field shows (when
// it is a whole number inside the range; otherwise from the last position), and the new
// position is written back into the field as a plain decimal. That text change reaches the
// field's owner like any other change; the control also emits positionChanged.

#include <QLineEdit>
#include <QPointer>
#include <QWidget>

class QTimer;

namespace quenmar {

class SpinButton : public QWidget {
  Q_OBJECT
 public:
  explicit SpinButton(QWidget* parent = nullptr);

  void setBuddy(QLineEdit* buddy);
  QLineEdit* buddy() const { return m_buddy.data(); }

  // The range, lower limit first. Neither the position nor the field changes.
  void setRange(int lower, int upper);
  int lower() const { return m_lower; }
  int upper() const { return m_upper; }

  // Stepping past a limit goes round to the other limit instead of stopping.
  void setWrapping(bool wrap) { m_wrap = wrap; }
  bool wrapping() const { return m_wrap; }

  // The Up and Down keys in the buddy field step the control.
  void setArrowKeys(bool on) { m_arrowKeys = on; }
  bool arrowKeys() const { return m_arrowKeys; }

  // The position the next step starts from.
  int position() const;
  // Sets the position and writes it into the field.
  void setPosition(int position);

  // One click on an arrow: +1 for the up arrow, -1 for the down arrow.
  void stepBy(int delta);

  QSize sizeHint() const override;

 signals:
  void positionChanged(int position);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  int positionFromBuddy(bool* ok) const;
  void writeBuddy(int position);
  void repeatStep();

  QPointer<QLineEdit> m_buddy;
  QPointer<QObject> m_buddyObject;  // the same field, compared without a cast
  int m_lower = 0;
  int m_upper = 100;
  mutable int m_position = 0;
  bool m_wrap = false;
  bool m_arrowKeys = false;
  int m_pressed = 0;  // +1 up arrow held, -1 down arrow held, 0 none
  QTimer* m_repeat;
};

}  // namespace quenmar
