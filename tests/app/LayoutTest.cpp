// The layout builder, the spin button, the command chain and the dialog base, driven
// through real widgets.

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include "BindingTable.h"
#include "ColorButton.h"
#include "Dialog.h"
#include "LayoutBuilder.h"
#include "Presenter.h"
#include "ResourceIds.h"
#include "SpinButton.h"

#include <memory>

using namespace quenmar;
using K = ControlKind;

namespace {

constexpr ControlSpec kControls[] = {
    {kNoId, K::GroupBox, "Inputs", 0, 0, 100, 60, 0},
    {20, K::Label, "&Teeth", 4, 10, 30, 8, 0},
    {21, K::Edit, nullptr, 40, 8, 40, 12, kTabStop | kDigitsOnly | kCentered},
    {22, K::Edit, nullptr, 40, 22, 40, 12, kReadOnly},
    {23, K::SpinButton, nullptr, 80, 22, 8, 12, kSpinWrap | kSpinArrowKeys, 22},
    {24, K::DropDownList, "b\nA\nc", 4, 36, 60, 40, kTabStop | kSorted},
    {25, K::ListBox, nullptr, 4, 62, 60, 30, kTabStop | kNotify},
    {26, K::RadioButton, "&List", 70, 62, 40, 10, kTabStop | kGroupStart},
    {27, K::RadioButton, "File", 70, 74, 40, 10, kTabStop},
    {28, K::ProgressBar, nullptr, 4, 94, 100, 8, kHidden},
    {29, K::PushButton, "Hidden", 4, 104, 40, 14, kTabStop | kHidden | kDisabled},
    {IDOK, K::OwnerDrawButton, "OK", 50, 104, 40, 14, kTabStop},
    {kNoId, K::Picture, nullptr, 110, 0, 0, 0, 0, kNoId, IDB_GEARS},
};
constexpr DialogLayout kLayout{901, "Test layout", 160, 120, "Arial", 10, kControls};

// A dialog with one integer read on OK.
class CountDlg : public CDialog {
 public:
  int m_nCount = 5;
  int initCalls = 0;
  CountDlg() : CDialog(kLayout) {}

 protected:
  void DoDataExchange(DataExchange& dx) override { dx.Integer(21, m_nCount, 1, 9); }
  bool OnInitDialog() override {
    ++initCalls;
    return true;
  }
};

}  // namespace

class LayoutTest : public QObject {
  Q_OBJECT
 private slots:
  void buildsEveryRowByIdWithItsStyles();
  void placesInDialogUnitsOfTheResolvedFont();
  void tabOrderFollowsTheTable();
  void digitsOnlyFieldRefusesOtherCharacters();
  void spinButtonSteps_data();
  void spinButtonSteps();
  void spinButtonMouseAndKeys();
  void spinButtonSurvivesItsBuddy_data();
  void spinButtonSurvivesItsBuddy();
  void notificationsReachTheirHandlers();
  void commandsRunDownTheChain();
  void dialogEndsByItsButtonsAndKeys_data();
  void dialogEndsByItsButtonsAndKeys();
  void dialogOkStaysOpenWhenTheReadFails();
  void dialogUsesDialogColours();
};

void LayoutTest::buildsEveryRowByIdWithItsStyles() {
  QWidget parent;
  const BuiltLayout built = LayoutBuilder(kLayout).build(&parent);
  QCOMPARE(built.widgets.size(), std::size(kControls));
  QCOMPARE(parent.findChild<QLineEdit*>("21"), built.controls.get<QLineEdit>(21));
  QVERIFY(built.controls.get<QLineEdit>(22)->isReadOnly());
  QVERIFY(!built.controls.get<QLineEdit>(21)->isReadOnly());
  QCOMPARE(built.controls.get<QLineEdit>(21)->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
  QCOMPARE(built.controls.get<SpinButton>(23)->buddy(), built.controls.get<QLineEdit>(22));
  QVERIFY(built.controls.get<SpinButton>(23)->wrapping());

  auto* combo = built.controls.get<QComboBox>(24);
  QCOMPARE(combo->count(), 3);
  QCOMPARE(combo->itemText(0), QStringLiteral("A"));
  QCOMPARE(combo->itemText(2), QStringLiteral("c"));
  QVERIFY(!combo->isEditable());

  QVERIFY(built.controls.get<QRadioButton>(26));
  QVERIFY(built.controls.get<QProgressBar>(28)->isHidden());
  QVERIFY(built.controls.get<QPushButton>(29)->isHidden());
  QVERIFY(!built.controls.get<QPushButton>(29)->isEnabled());
  QVERIFY(built.controls.get<CColorButton>(IDOK));

  // Accessible names come from the captions, without mnemonic marks.
  QCOMPARE(built.controls.widget(26)->accessibleName(), QStringLiteral("List"));
  QCOMPARE(built.controls.widget(20)->accessibleName(), QStringLiteral("Teeth"));

  // The picture keeps its image's size.
  QLabel* picture = nullptr;
  for (auto* label : parent.findChildren<QLabel*>())
    if (!label->pixmap().isNull()) picture = label;
  QVERIFY(picture);
  QCOMPARE(picture->size(), QSize(160, 135));
}

void LayoutTest::placesInDialogUnitsOfTheResolvedFont() {
  QWidget parent;
  const BuiltLayout built = LayoutBuilder(kLayout).build(&parent);
  const QFontMetrics metrics(built.font);
  const int cx = (metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 26 + 1) / 2;
  QCOMPARE(built.units.cx, cx);
  QCOMPARE(built.units.cy, metrics.height());
  QCOMPARE(built.clientSize, QSize(qRound(160 * cx / 4.0), qRound(120 * metrics.height() / 8.0)));
  const QRect edit = built.controls.widget(21)->geometry();
  QCOMPARE(edit.topLeft(), QPoint(qRound(40 * cx / 4.0), qRound(8 * metrics.height() / 8.0)));
  QCOMPARE(edit.width(), qRound(40 * cx / 4.0));
  QCOMPARE(QFontInfo(built.font).family(), QStringLiteral("Liberation Sans"));
}

void LayoutTest::tabOrderFollowsTheTable() {
  QWidget parent;
  const BuiltLayout built = LayoutBuilder(kLayout).build(&parent);
  parent.show();
  QVERIFY(QTest::qWaitForWindowActive(&parent));
  built.controls.widget(21)->setFocus();
  QList<QWidget*> visited;
  for (int i = 0; i < 6; ++i) {
    visited << QApplication::focusWidget();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  // 22 has no tab stop, 29 is hidden; the radio group takes one stop.
  const QList<QWidget*> expected{built.controls.widget(21), built.controls.widget(24),
                                 built.controls.widget(25), built.controls.widget(26),
                                 built.controls.widget(IDOK), built.controls.widget(21)};
  QCOMPARE(visited, expected);
}

void LayoutTest::digitsOnlyFieldRefusesOtherCharacters() {
  QWidget parent;
  const BuiltLayout built = LayoutBuilder(kLayout).build(&parent);
  auto* edit = built.controls.get<QLineEdit>(21);
  QTest::keyClicks(edit, "1a2-. 3");
  QCOMPARE(edit->text(), QStringLiteral("123"));
  edit->setText(QStringLiteral("-4"));  // the program may write anything
  QCOMPARE(edit->text(), QStringLiteral("-4"));
}

void LayoutTest::spinButtonSteps_data() {
  QTest::addColumn<int>("lower");
  QTest::addColumn<int>("upper");
  QTest::addColumn<bool>("wrap");
  QTest::addColumn<QString>("start");
  QTest::addColumn<int>("delta");
  QTest::addColumn<QString>("after");
  QTest::newRow("up") << 10 << 20 << true << "12" << 1 << "13";
  QTest::newRow("down") << 10 << 20 << true << "12" << -1 << "11";
  QTest::newRow("wraps above") << 10 << 20 << true << "20" << 1 << "10";
  QTest::newRow("wraps below") << 10 << 20 << true << "10" << -1 << "20";
  QTest::newRow("stops above") << 10 << 20 << false << "20" << 1 << "20";
  QTest::newRow("stops below") << 10 << 20 << false << "10" << -1 << "10";
  QTest::newRow("leading plus in field") << 10 << 20 << true << "+15" << 1 << "16";
  QTest::newRow("single value range") << 7 << 7 << true << "7" << 1 << "7";
  QTest::newRow("reversed range, up goes to upper") << 20 << 10 << false << "15" << 1 << "14";
  QTest::newRow("text outside range: last position") << 10 << 20 << true << "99" << 1 << "14";
  QTest::newRow("text not a number: last position") << 10 << 20 << true << "x" << -1 << "12";
}

void LayoutTest::spinButtonSteps() {
  QFETCH(int, lower);
  QFETCH(int, upper);
  QFETCH(bool, wrap);
  QFETCH(QString, start);
  QFETCH(int, delta);
  QFETCH(QString, after);
  QLineEdit field;
  SpinButton spin;
  spin.setBuddy(&field);
  spin.setRange(lower, upper);
  spin.setWrapping(wrap);
  spin.setPosition(13);  // the last position, used when the field shows no valid number
  field.setText(start);
  QSignalSpy moved(&spin, &SpinButton::positionChanged);
  spin.stepBy(delta);
  QCOMPARE(field.text(), after);
  QCOMPARE(moved.count(), 1);
  QCOMPARE(moved.first().first().toInt(), after.toInt());
}

// A buddy field destroyed before, with or after its spin button (shown, focused, as in a
// closing window): the button watches it without touching a half-destroyed field, and a
// button left alone steps with no field at all.
void LayoutTest::spinButtonSurvivesItsBuddy_data() {
  QTest::addColumn<bool>("fieldFirst");  // the field is created (and destroyed) first
  QTest::addColumn<bool>("fieldAlone");  // only the field is destroyed
  QTest::newRow("field destroyed alone") << true << true;
  QTest::newRow("window closes, field created first") << true << false;
  QTest::newRow("window closes, button created first") << false << false;
}

void LayoutTest::spinButtonSurvivesItsBuddy() {
  QFETCH(bool, fieldFirst);
  QFETCH(bool, fieldAlone);
  auto window = std::make_unique<QWidget>();
  QLineEdit* field = fieldFirst ? new QLineEdit(window.get()) : nullptr;
  auto* spin = new SpinButton(window.get());
  if (!field) field = new QLineEdit(window.get());
  spin->setBuddy(field);
  spin->setRange(1, 5);
  spin->setArrowKeys(true);
  spin->setPosition(3);
  window->show();
  QVERIFY(QTest::qWaitForWindowExposed(window.get()));
  field->setFocus();
  QTest::keyClick(field, Qt::Key_Up);
  QCOMPARE(field->text(), QStringLiteral("4"));
  if (!fieldAlone) {
    window.reset();
    return;
  }
  delete field;
  QCOMPARE(spin->buddy(), nullptr);
  spin->stepBy(1);
  QCOMPARE(spin->position(), 5);
}

void LayoutTest::spinButtonMouseAndKeys() {
  QWidget parent;
  const BuiltLayout built = LayoutBuilder(kLayout).build(&parent);
  parent.show();
  QVERIFY(QTest::qWaitForWindowActive(&parent));
  auto* spin = built.controls.get<SpinButton>(23);
  auto* field = built.controls.get<QLineEdit>(22);
  spin->setRange(1, 5);
  field->setText(QStringLiteral("4"));
  QSignalSpy changed(field, &QLineEdit::textChanged);
  QTest::mouseClick(spin, Qt::LeftButton, {}, QPoint(spin->width() / 2, 1));
  QCOMPARE(field->text(), QStringLiteral("5"));
  QTest::mouseClick(spin, Qt::LeftButton, {}, QPoint(spin->width() / 2, 1));
  QCOMPARE(field->text(), QStringLiteral("1"));
  QTest::mouseClick(spin, Qt::LeftButton, {}, QPoint(spin->width() / 2, spin->height() - 2));
  QCOMPARE(field->text(), QStringLiteral("5"));
  field->setFocus();
  QTest::keyClick(field, Qt::Key_Down);
  QCOMPARE(field->text(), QStringLiteral("4"));
  QCOMPARE(changed.count(), 4);
  spin->setEnabled(false);
  QTest::keyClick(field, Qt::Key_Down);
  QCOMPARE(field->text(), QStringLiteral("4"));
}

void LayoutTest::notificationsReachTheirHandlers() {
  QWidget parent;
  const BuiltLayout built = LayoutBuilder(kLayout).build(&parent);
  built.controls.get<QListWidget>(25)->addItem(QStringLiteral("row"));
  QStringList heard;
  BindingTable table;
  table.on(21, Notification::Changed, [&] { heard << "changed 21"; });
  table.on(21, Notification::KillFocus, [&] { heard << "killfocus 21"; });
  table.on(21, Notification::SetFocus, [&] { heard << "setfocus 21"; });
  table.on(23, Notification::SpinChanged, [&] { heard << "spin 23"; });
  table.on(24, Notification::SelChange, [&] { heard << "selchange 24"; });
  table.on(25, Notification::DoubleClicked, [&] { heard << "dblclk 25"; });
  table.on(27, Notification::Clicked, [&] { heard << "clicked 27"; });
  table.on(999, Notification::Clicked, [&] { heard << "no such control"; });
  table.attach(built.controls);
  parent.show();  // the first control in tab order takes the focus
  QVERIFY(QTest::qWaitForWindowActive(&parent));

  auto* edit = built.controls.get<QLineEdit>(21);
  edit->setFocus();
  QTest::keyClicks(edit, "4");
  built.controls.get<SpinButton>(23)->stepBy(1);
  auto* combo = built.controls.get<QComboBox>(24);
  combo->setFocus();  // the edit loses the focus
  QTest::keyClick(combo, Qt::Key_Down);
  auto* list = built.controls.get<QListWidget>(25);
  const QPoint row = list->visualItemRect(list->item(0)).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);  // selects the row first
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row);
  QTest::mouseClick(built.controls.widget(27), Qt::LeftButton);
  QCOMPARE(heard, (QStringList{"setfocus 21", "changed 21", "spin 23", "killfocus 21", "selchange 24",
                               "dblclk 25", "clicked 27"}));
}

void LayoutTest::commandsRunDownTheChain() {
  CommandTarget application, frame, form;
  form.setNextCommandTarget(&frame);
  frame.setNextCommandTarget(&application);
  QStringList ran;
  form.bindings().onCommand(32773, [&] { ran << "form"; });
  frame.bindings().onCommand(ID_APP_ABOUT, [&] { ran << "frame"; });
  application.bindings().onCommand(ID_APP_ABOUT, [&] { ran << "application"; });
  application.bindings().onCommand(ID_APP_EXIT, [&] { ran << "exit"; });

  QVERIFY(form.routeCommand(32773));
  QVERIFY(form.routeCommand(ID_APP_ABOUT));  // the frame handles it first
  QVERIFY(form.routeCommand(ID_APP_EXIT));
  QVERIFY(!form.routeCommand(ID_FILE_PRINT));
  QVERIFY(!frame.canRouteCommand(32773));
  QCOMPARE(ran, (QStringList{"form", "frame", "exit"}));

  QObject owner;
  QAction* action = MakeCommandAction(&owner, ID_APP_EXIT, "E&xit", &form, {QKeySequence("Ctrl+Q")});
  QCOMPARE(CommandIdOf(action), ID_APP_EXIT);
  action->trigger();
  QCOMPARE(ran.last(), QStringLiteral("exit"));
}

void LayoutTest::dialogEndsByItsButtonsAndKeys_data() {
  QTest::addColumn<QString>("how");
  QTest::addColumn<int>("result");
  QTest::newRow("OK button") << "ok" << 1;
  QTest::newRow("Enter in a field") << "enter" << 1;
  QTest::newRow("Esc") << "esc" << 2;
  QTest::newRow("close box") << "close" << 2;
}

void LayoutTest::dialogEndsByItsButtonsAndKeys() {
  QFETCH(QString, how);
  QFETCH(int, result);
  ScriptedPresenter presenter;
  CountDlg dlg;
  presenter.answerDialog([&](QDialog& d) {
    auto* field = d.findChild<QLineEdit*>("21");
    QCOMPARE(field->text(), QStringLiteral("5"));  // written before the dialog is seen
    field->setText(QStringLiteral("8"));
    if (how == "ok") QTest::mouseClick(d.findChild<QPushButton*>("1"), Qt::LeftButton);
    if (how == "enter") QTest::keyClick(field, Qt::Key_Return);
    if (how == "esc") QTest::keyClick(field, Qt::Key_Escape);
    if (how == "close") d.close();
  }, -7);
  QCOMPARE(dlg.DoModal(), result);
  QCOMPARE(dlg.m_nCount, result == 1 ? 8 : 5);
  QCOMPARE(dlg.initCalls, 1);
  QCOMPARE(presenter.dialogs().size(), 1);
  QCOMPARE(presenter.dialogs().first().caption, QStringLiteral("Test layout"));
}

void LayoutTest::dialogOkStaysOpenWhenTheReadFails() {
  ScriptedPresenter presenter;
  CountDlg dlg;
  bool stillOpen = false;
  presenter.answerDialog([&](QDialog& d) {
    d.findChild<QLineEdit*>("21")->setText(QStringLiteral("12"));
    QTest::mouseClick(d.findChild<QPushButton*>("1"), Qt::LeftButton);
    stillOpen = d.isVisible();
  }, 2);
  QCOMPARE(dlg.DoModal(), 2);
  QVERIFY(stillOpen);
  QCOMPARE(dlg.m_nCount, 5);
  QCOMPARE(presenter.messages().size(), 1);
  QCOMPARE(presenter.messages().first().text, QStringLiteral("Please enter an integer between 1 and 9."));
}

void LayoutTest::dialogUsesDialogColours() {
  CDialog::SetDialogBkColor();
  ScriptedPresenter presenter;
  CountDlg dlg;
  QColor back, text;
  presenter.answerDialog([&](QDialog& d) {
    back = d.palette().color(QPalette::Window);
    text = d.findChild<QLabel*>("20")->palette().color(QPalette::WindowText);
  }, 2);
  dlg.DoModal();
  QCOMPARE(back, QColor(255, 255, 255));
  QCOMPARE(text, QColor(0, 0, 0));
}

QTEST_MAIN(LayoutTest)
#include "LayoutTest.moc"
