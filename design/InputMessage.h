#pragma once
// The line or two beside an input that say what it accepts (grey) or what is wrong with
// what is typed (red). Its height is fixed, so nothing around it moves when a message
// replaces a hint; a text longer than its lines ends in an ellipsis and is whole in the
// tooltip. The label's accessible name is its text and the input's accessible description
// is the same text, so a screen reader hears each change and reads it with the input.

#include <QLabel>

namespace quenmar::design {

class InputMessage : public QLabel {
  Q_OBJECT
 public:
  // input: the field it speaks for (may be null); lines: the height it keeps.
  InputMessage(QWidget* input, int lines, QWidget* parent = nullptr);
  void Show(const QString& text, bool wrong);
  bool Wrong() const { return m_wrong; }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QWidget* m_input;
  int m_lines;
  bool m_wrong = false;
};

}  // namespace quenmar::design
