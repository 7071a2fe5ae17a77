#pragma once
// Drives the solver form as a person would: finds controls by id or accessible name, types,
// moves the focus, clicks spin arrows and chooses configurations.

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include "QuenmarView.h"
#include "SpinButton.h"

namespace formtest {

// A label and the field it names share the name; the control is the one that is not a label.
inline QWidget* ByName(const QWidget& form, const QString& name) {
  QWidget* label = nullptr;
  for (QWidget* w : form.findChildren<QWidget*>()) {
    if (w->accessibleName() != name) continue;
    if (!qobject_cast<QLabel*>(w)) return w;
    label = w;
  }
  return label;
}

inline QLineEdit* Field(const QWidget& form, const QString& name) {
  return qobject_cast<QLineEdit*>(ByName(form, name));
}

inline QLineEdit* FieldById(const CQuenmarView& form, int id) {
  return form.findChild<QLineEdit*>(QString::number(id));
}

inline QString Text(const QWidget& form, const QString& name) {
  QLineEdit* field = Field(form, name);
  return field ? field->text() : QStringLiteral("<no field %1>").arg(name);
}

inline QString GearName(int gear, const char* role) {
  return QStringLiteral("N%1 %2").arg(gear + 1).arg(QString::fromLatin1(role));
}

// Puts the focus in a field, selects its text and types `text` over it.
inline void TypeInto(QLineEdit* field, const QString& text) {
  field->setFocus(Qt::MouseFocusReason);
  QApplication::processEvents();
  field->selectAll();
  if (text.isEmpty()) QTest::keyClick(field, Qt::Key_Backspace);
  else QTest::keyClicks(field, text);
}

// Moves the focus away from `field` (to the target or range field, whichever is not it).
inline void Leave(CQuenmarView& form, QLineEdit* field) {
  QLineEdit* elsewhere = Field(form, QStringLiteral("Max # of Solutions"));
  if (field == elsewhere) elsewhere = Field(form, QStringLiteral("Convergence Range"));
  elsewhere->setFocus(Qt::TabFocusReason);
  QApplication::processEvents();
}

inline void ClickSpin(const CQuenmarView& form, int gear, bool up) {
  auto* spin = qobject_cast<quenmar::SpinButton*>(ByName(form, GearName(gear, "spin")));
  const QPoint at(spin->width() / 2, up ? spin->height() / 4 : spin->height() * 3 / 4);
  QTest::mouseClick(spin, Qt::LeftButton, Qt::NoModifier, at);
}

inline quenmar::SpinButton* Spin(const CQuenmarView& form, int gear) {
  return qobject_cast<quenmar::SpinButton*>(ByName(form, GearName(gear, "spin")));
}

// Chooses a selector entry with the keyboard, as a person would.
inline void Choose(CQuenmarView& form, int index) {
  auto* selector = qobject_cast<QComboBox*>(ByName(form, QStringLiteral("Choose Number of Gears")));
  selector->setFocus(Qt::TabFocusReason);
  QApplication::processEvents();
  QTest::keyClick(selector, Qt::Key_Home);
  for (int i = 0; i < index; ++i) QTest::keyClick(selector, Qt::Key_Down);
}

inline QListWidget* List(const CQuenmarView& form) {
  return qobject_cast<QListWidget*>(ByName(form, QStringLiteral("Solutions")));
}

// A person's double-click: the first click selects the row, the second opens it.
inline void DoubleClickRow(const CQuenmarView& form, int row) {
  QListWidget* list = List(form);
  const QPoint at = list->visualItemRect(list->item(row)).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

}  // namespace formtest
