#pragma once
// CColorEdit: a single-line edit field with a colour pair of its own. The pair and its
// brush are made once, when the field is made, and answer every colour request for the
// field's life: editable or read-only, while typing, after the program writes into it,
// after it is hidden and shown again.

#include <QBrush>
#include <QColor>
#include <QLineEdit>

class CColorEdit : public QLineEdit {
  Q_OBJECT
 public:
  CColorEdit(const QColor& text, const QColor& back, QWidget* parent = nullptr);

  QColor TextColor() const { return m_crText; }
  QColor BackColor() const { return m_crBack; }

  // The colour request: sets the text colour and the text background on `surface` and
  // answers with the background brush. Nothing new is made per request.
  const QBrush& CtlColor(QPalette& surface) const;

 protected:
  void changeEvent(QEvent* event) override;

 private:
  void ApplyColors();

  QColor m_crText;
  QColor m_crBack;
  QBrush m_brBack;
  bool m_applying = false;
};
