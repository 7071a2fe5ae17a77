#include "Dialog.h"

#include <QKeyEvent>
#include <QPushButton>

#include "Framework.h"
#include "LayoutRegistry.h"
#include "Presenter.h"
#include "ResourceIds.h"

using namespace quenmar;

CDialog::CDialog(int layoutId, QWidget* parent) : QDialog(parent), m_layout(FindLayout(layoutId)) {
  if (m_layout) m_builder = std::make_unique<LayoutBuilder>(*m_layout);
  bindings().onCommand(IDOK, [this] { OnOK(); });
  bindings().onCommand(IDCANCEL, [this] { OnCancel(); });
}

CDialog::CDialog(const DialogLayout& layout, QWidget* parent)
    : QDialog(parent), m_layout(&layout), m_builder(std::make_unique<LayoutBuilder>(layout)) {
  bindings().onCommand(IDOK, [this] { OnOK(); });
  bindings().onCommand(IDCANCEL, [this] { OnCancel(); });
}

void CDialog::SetDialogBkColor(const QColor& background, const QColor& text) {
  SetDialogColors(background, text);
}

bool CDialog::Create() {
  if (m_created) return true;
  if (!m_layout) return false;
  m_built = m_builder->build(this);
  setWindowTitle(QString::fromUtf8(m_layout->caption ? m_layout->caption : ""));
  if (m_layout->resizable) {
    setMinimumSize(m_built.clientSize);
    resize(m_built.clientSize);
  } else {
    setFixedSize(m_built.clientSize);
  }
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  // Buttons 1 and 2 end the dialog through the command table; any other button id can be
  // bound by the subclass the same way.
  for (int id : m_built.controls.ids()) {
    if (auto* button = m_built.controls.get<QAbstractButton>(id)) {
      QObject::connect(button, &QAbstractButton::clicked, this, [this, id] { routeCommand(id); });
    }
  }
  bindings().attach(m_built.controls);
  m_created = true;
  return true;
}

int CDialog::DoModal() {
  if (!Create()) return -1;
  if (!parentWidget() && MainWindow() && MainWindow() != this) {
    setParent(MainWindow(), windowFlags());
  }
  ApplyDialogColors(this);
  UpdateData(false);
  const bool defaultFocus = OnInitDialog();
  if (defaultFocus) {
    // The first control in tab order that takes the focus.
    for (QWidget* w : m_built.widgets) {
      if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && !w->isHidden()) {
        w->setFocus(Qt::TabFocusReason);
        break;
      }
    }
  }
  return Presenter::current().execDialog(*this);
}

bool CDialog::UpdateData(bool bSaveAndValidate) {
  DataExchange dx(m_built.controls, bSaveAndValidate ? DataExchange::Direction::Read : DataExchange::Direction::Write);
  DoDataExchange(dx);
  return dx.ok();
}

void CDialog::EndDialog(int result) { done(result); }

void CDialog::DoDataExchange(DataExchange&) {}

bool CDialog::OnInitDialog() { return true; }

void CDialog::OnOK() {
  if (!UpdateData(true)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

// Esc and the close box.
void CDialog::reject() { routeCommand(IDCANCEL); }

void CDialog::accept() { routeCommand(IDOK); }

void CDialog::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (enter && event->modifiers() == Qt::NoModifier) {
    // A default or focused push button takes Enter; otherwise Enter is the OK command.
    for (QPushButton* button : findChildren<QPushButton*>()) {
      if (button->isDefault() && button->isVisible()) {
        if (button->isEnabled()) button->click();
        return;
      }
    }
    routeCommand(IDOK);
    return;
  }
  QDialog::keyPressEvent(event);
}
