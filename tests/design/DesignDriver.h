#pragma once
// Drives the design window as a person would: finds controls by accessible name, types,
// ticks, presses keys; answers file dialogs from a script and keeps the errors shown.

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QSignalSpy>
#include <QTableView>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>
#include <deque>

#include "DesignPrompter.h"
#include "DesignWindow.h"
#include "TrainTableModel.h"

namespace designtest {

using quenmar::design::DesignWindow;

// A label and the input it names may share a name; the input is the one that is not a label.
template <typename T = QWidget>
T* Find(const QWidget& window, const QString& name) {
  for (T* w : window.findChildren<T*>())
    if (w->accessibleName() == name && (std::is_same_v<T, QLabel> || !qobject_cast<QLabel*>(w)))
      return w;
  return nullptr;
}

// What a screen reader says of an input besides its name: what it accepts, or what is wrong.
inline QString Message(const QWidget& window, const QString& input) {
  return Find<QWidget>(window, input)->accessibleDescription();
}

// The status line as a screen reader hears it.
inline QString Status(const QWidget& window) {
  QLabel* label = static_cast<const QMainWindow&>(window).statusBar()->findChild<QLabel*>();
  return QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name);
}

inline void TypeInto(const QWidget& window, const QString& name, const QString& text) {
  auto* field = Find<QLineEdit>(window, name);
  QVERIFY2(field, qPrintable(name));
  field->setFocus(Qt::TabFocusReason);
  field->selectAll();
  if (text.isEmpty()) QTest::keyClick(field, Qt::Key_Backspace);
  else QTest::keyClicks(field, text);
}

inline void Choose(const QWidget& window, const QString& name, int index) {
  auto* combo = Find<QComboBox>(window, name);
  combo->setFocus(Qt::TabFocusReason);
  combo->setCurrentIndex(index);
}

// Types a teeth limit into its cell (column 0 minimum, 1 maximum) and leaves the cell.
inline void TypeTeeth(const QWidget& window, int gear, int column, int teeth) {
  auto* table = Find<QTableWidget>(window, QStringLiteral("Teeth ranges"));
  table->setFocus(Qt::TabFocusReason);
  table->setCurrentCell(gear, column);
  table->editItem(table->item(gear, column));
  auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  QVERIFY(editor);
  editor->selectAll();
  QTest::keyClicks(editor, QString::number(teeth));
  Find<QLineEdit>(window, QStringLiteral("Target"))->setFocus(Qt::TabFocusReason);  // commits
  QApplication::processEvents();
}

inline void TypeRanges(const QWidget& window, const std::vector<int>& lo, const std::vector<int>& hi) {
  for (std::size_t g = 0; g < lo.size(); ++g) {
    TypeTeeth(window, static_cast<int>(g), 0, lo[g]);
    TypeTeeth(window, static_cast<int>(g), 1, hi[g]);
  }
}

inline bool WaitFinished(DesignWindow& window, int seconds = 60) {
  if (!window.Searching()) return true;
  QSignalSpy finished(&window, &DesignWindow::searchFinished);
  return finished.wait(seconds * 1000);
}

inline QTableView* Results(const QWidget& window) { return Find<QTableView>(window, QStringLiteral("Results")); }

// The teeth of every row, in the order shown.
inline std::vector<std::vector<int>> Rows(const QWidget& window) {
  QAbstractItemModel* model = Results(window)->model();
  std::vector<std::vector<int>> rows;
  for (int r = 0; r < model->rowCount(); ++r) {
    std::vector<int> teeth;
    for (int c = quenmar::design::TrainTableModel::FirstGear; c < model->columnCount(); ++c) teeth.push_back(model->index(r, c).data().toInt());
    rows.push_back(teeth);
  }
  return rows;
}

class ScriptedPrompter : public quenmar::design::DesignPrompter {
 public:
  std::deque<QString>* answers;
  QStringList* errors;
  QStringList* offered;  // the path or folder each file dialog would start at
  std::deque<bool>* confirms;  // answers to questions; none left: no
  ScriptedPrompter(std::deque<QString>* a, QStringList* e, QStringList* o, std::deque<bool>* c)
      : answers(a), errors(e), offered(o), confirms(c) {}
  QString Next() {
    if (answers->empty()) return {};
    QString answer = answers->front();
    answers->pop_front();
    return answer;
  }
  QString SaveFileName(QWidget*, const QString&, const QString&, const QString& suggested) override {
    offered->append(suggested);
    return Next();
  }
  QString OpenFileName(QWidget*, const QString&, const QString&, const QString& folder) override {
    offered->append(folder);
    return Next();
  }
  bool Confirm(QWidget*, const QString&, const QString& question) override {
    errors->append(QStringLiteral("asked: ") + question);
    if (confirms->empty()) return false;
    const bool yes = confirms->front();
    confirms->pop_front();
    return yes;
  }
  void Error(QWidget*, const QString&, const QString& text) override { errors->append(text); }
};

}  // namespace designtest
