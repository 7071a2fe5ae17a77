#include "ColorEdit.h"

#include <QEvent>
#include <QPalette>

CColorEdit::CColorEdit(const QColor& text, const QColor& back, QWidget* parent)
    : QLineEdit(parent), m_crText(text), m_crBack(back), m_brBack(back) {
  ApplyColors();
}

const QBrush& CColorEdit::CtlColor(QPalette& surface) const {
  for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    surface.setColor(group, QPalette::Text, m_crText);
    surface.setBrush(group, QPalette::Base, m_brBack);
    surface.setBrush(group, QPalette::Window, m_brBack);
  }
  return m_brBack;
}

void CColorEdit::ApplyColors() {
  m_applying = true;
  QPalette pal = palette();
  CtlColor(pal);
  setPalette(pal);
  m_applying = false;
}

void CColorEdit::changeEvent(QEvent* event) {
  QLineEdit::changeEvent(event);
  // A palette or style handed down by the parent must not take the pair away.
  if (!m_applying && (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)) {
    const QPalette pal = palette();
    if (pal.color(QPalette::Active, QPalette::Text) != m_crText ||
        pal.brush(QPalette::Active, QPalette::Base) != m_brBack ||
        pal.color(QPalette::Disabled, QPalette::Text) != m_crText)
      ApplyColors();
  }
}
