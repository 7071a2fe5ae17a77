// The calculator driven as a person drives it: typing, clicking, Enter, moving the focus.
// The dialog is opened the way the form opens it, and the test's steps run while it is up.

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <functional>

#include "ContactRatioDlg.h"
#include "ContactRatioLayout.h"
#include "DataExchange.h"
#include "Presenter.h"
#include "ResourceIds.h"

using namespace quenmar;
namespace ids = quenmar::contact;

namespace {

const int kOutputs[] = {ids::kPitchDiameter1, ids::kPitchDiameter2, ids::kOuterRadius1,
                        ids::kOuterRadius2,   ids::kBaseRadius1,    ids::kBaseRadius2,
                        ids::kCenterDistance, ids::kContactRatio};

QLineEdit* Field(QDialog& dlg, int id) { return dlg.findChild<QLineEdit*>(QString::number(id)); }
QComboBox* AngleBox(QDialog& dlg) {
  return dlg.findChild<QComboBox*>(QString::number(ids::kPressureAngle));
}
QAbstractButton* Button(QDialog& dlg, int id) {
  return dlg.findChild<QAbstractButton*>(QString::number(id));
}
QString Text(QDialog& dlg, int id) {
  if (id == ids::kPressureAngle) return AngleBox(dlg)->currentText();
  return Field(dlg, id)->text();
}
double Number(QDialog& dlg, int id) { return Text(dlg, id).toDouble(); }

void Click(QDialog& dlg, int id) { QTest::mouseClick(Button(dlg, id), Qt::LeftButton); }

// Clicks into a field (which moves the focus there), replaces its text by typing.
void Type(QDialog& dlg, int id, const QString& text) {
  QWidget* target = id == ids::kPressureAngle ? static_cast<QWidget*>(AngleBox(dlg))
                                              : static_cast<QWidget*>(Field(dlg, id));
  QLineEdit* edit = id == ids::kPressureAngle ? AngleBox(dlg)->lineEdit() : Field(dlg, id);
  QTest::mouseClick(edit, Qt::LeftButton);
  QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(target, Qt::Key_Backspace);
  QTest::keyClicks(target, text);
}

void PressEnter(QDialog& dlg, int id) {
  QWidget* target = id == ids::kPressureAngle ? static_cast<QWidget*>(AngleBox(dlg))
                                              : static_cast<QWidget*>(Field(dlg, id));
  QTest::keyClick(target, Qt::Key_Return);
}

// Opens a new calculator through the presenter as the form does, runs `steps` while it is
// up and returns how it ended (Cancel if the steps leave it open).
struct Run {
  int result = 0;
  QList<ScriptedPresenter::Shown> messages;
};
Run Open(const std::function<void(CContactRatioDlg&)>& steps) {
  ScriptedPresenter presenter;
  CContactRatioDlg dlg;
  presenter.answerDialog(
      [&](QDialog& shown) {
        if (!QTest::qWaitForWindowActive(&shown)) qWarning("the calculator did not become active");
        steps(dlg);
      },
      IDCANCEL);
  Run run;
  run.result = dlg.DoModal();
  run.messages = presenter.messages();
  return run;
}

}  // namespace

class ContactRatioDlgTest : public QObject {
  Q_OBJECT

 private slots:
  void opensWithDefaults();
  void calculateDefaults();
  void moduleAndBack();
  void pitchWhilePitchChangesNothing();
  void enterCalculatesAndStaysOpen();
  void pressureAngleTexts_data();
  void pressureAngleTexts();
  void enteringAnInputClearsResults_data();
  void enteringAnInputClearsResults();
  void badTextIsRefusedAndRestored_data();
  void badTextIsRefusedAndRestored();
  void zeroDivisorsStillClose_data();
  void zeroDivisorsStillClose();
  void okAndCancel();
};

void ContactRatioDlgTest::opensWithDefaults() {
  Open([](CContactRatioDlg& dlg) {
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Quenmar"));
    QVERIFY(!dlg.windowIcon().isNull());
    QCOMPARE(Text(dlg, ids::kTeeth1), QStringLiteral("20"));
    QCOMPARE(Text(dlg, ids::kTeeth2), QStringLiteral("20"));
    QCOMPARE(Text(dlg, ids::kPitchOrModule), QStringLiteral("48"));
    for (int id : kOutputs) QCOMPARE(Text(dlg, id), QStringLiteral("0"));
    for (int id : kOutputs) QVERIFY(Field(dlg, id)->isReadOnly());

    QComboBox* box = AngleBox(dlg);
    QVERIFY(box->isEditable());
    QCOMPARE(box->count(), 3);
    QCOMPARE(box->itemText(0), QStringLiteral("     14.5"));
    QCOMPARE(box->itemText(1), QStringLiteral("     20"));
    QCOMPARE(box->itemText(2), QStringLiteral("     25"));
    QCOMPARE(box->currentText(), QStringLiteral("20"));
    QCOMPARE(box->currentIndex(), -1);

    QVERIFY(Button(dlg, ids::kPitchMode)->isChecked());
    QVERIFY(!Button(dlg, ids::kModuleMode)->isChecked());
    auto* calculate = qobject_cast<QPushButton*>(Button(dlg, ids::kCalculate));
    QCOMPARE(calculate->text(), QStringLiteral("&CALCULATE"));
    QVERIFY(calculate->isDefault());
    QCOMPARE(QApplication::focusWidget(), calculate);
  });
}

void ContactRatioDlgTest::calculateDefaults() {
  Open([](CContactRatioDlg& dlg) {
    Click(dlg, ids::kCalculate);
    QCOMPARE(Text(dlg, ids::kPitchDiameter1), QStringLiteral("0.416666666666667"));
    QCOMPARE(Text(dlg, ids::kPitchDiameter2), QStringLiteral("0.416666666666667"));
    QCOMPARE(Text(dlg, ids::kOuterRadius1), QStringLiteral("0.229166666666667"));
    QCOMPARE(Text(dlg, ids::kOuterRadius2), QStringLiteral("0.229166666666667"));
    QVERIFY(qAbs(Number(dlg, ids::kBaseRadius1) - 0.1957693) < 1e-7);
    QVERIFY(qAbs(Number(dlg, ids::kBaseRadius2) - 0.1957693) < 1e-7);
    QCOMPARE(Text(dlg, ids::kCenterDistance), QStringLiteral("0.416666666666667"));
    QVERIFY(qAbs(Number(dlg, ids::kContactRatio) - 1.5568) < 5e-5);
    QCOMPARE(dlg.m_dPressureAngle, 20.0);
  });
}

void ContactRatioDlgTest::moduleAndBack() {
  Open([](CContactRatioDlg& dlg) {
    Click(dlg, ids::kCalculate);
    const QString ratio = Text(dlg, ids::kContactRatio);

    Click(dlg, ids::kModuleMode);
    QVERIFY(Button(dlg, ids::kModuleMode)->isChecked());
    QVERIFY(!Button(dlg, ids::kPitchMode)->isChecked());
    QVERIFY(dlg.m_bModuleMode && !dlg.m_bPitchMode);
    QCOMPARE(Text(dlg, ids::kPitchOrModule), QStringLiteral("0.529166666666667"));
    QVERIFY(qAbs(Number(dlg, ids::kPitchDiameter1) - 10.58333) < 1e-5);
    QVERIFY(qAbs(Number(dlg, ids::kPitchDiameter2) - 10.58333) < 1e-5);
    QVERIFY(qAbs(Number(dlg, ids::kCenterDistance) - 10.58333) < 1e-5);
    QVERIFY(qAbs(Number(dlg, ids::kContactRatio) - ratio.toDouble()) < 1e-12);

    // CALCULATE follows the checked button: still millimetres.
    Click(dlg, ids::kCalculate);
    QVERIFY(qAbs(Number(dlg, ids::kPitchDiameter1) - 10.58333) < 1e-5);

    Click(dlg, ids::kPitchMode);
    QVERIFY(dlg.m_bPitchMode && !dlg.m_bModuleMode);
    QCOMPARE(Text(dlg, ids::kPitchOrModule), QStringLiteral("48"));
    QCOMPARE(Text(dlg, ids::kPitchDiameter1), QStringLiteral("0.416666666666667"));
    QCOMPARE(Text(dlg, ids::kContactRatio), ratio);
  });
}

void ContactRatioDlgTest::pitchWhilePitchChangesNothing() {
  Open([](CContactRatioDlg& dlg) {
    Click(dlg, ids::kPitchMode);
    for (int id : kOutputs) QCOMPARE(Text(dlg, id), QStringLiteral("0"));
    QCOMPARE(Text(dlg, ids::kPitchOrModule), QStringLiteral("48"));
    QVERIFY(Button(dlg, ids::kPitchMode)->isChecked());
  });
}

void ContactRatioDlgTest::enterCalculatesAndStaysOpen() {
  const Run run = Open([](CContactRatioDlg& dlg) {
    Type(dlg, ids::kTeeth2, "40");
    Type(dlg, ids::kPitchOrModule, "10");
    PressEnter(dlg, ids::kPitchOrModule);
    QVERIFY(dlg.isVisible());
    QCOMPARE(Text(dlg, ids::kPitchDiameter1), QStringLiteral("2"));
    QCOMPARE(Text(dlg, ids::kPitchDiameter2), QStringLiteral("4"));
    QCOMPARE(Text(dlg, ids::kOuterRadius1), QStringLiteral("1.1"));
    QCOMPARE(Text(dlg, ids::kOuterRadius2), QStringLiteral("2.1"));
    QCOMPARE(Text(dlg, ids::kCenterDistance), QStringLiteral("3"));
    QVERIFY(qAbs(Number(dlg, ids::kContactRatio) - 1.6352) < 5e-5);

    // Enter in a teeth field and in the angle box calculates too.
    Type(dlg, ids::kTeeth1, "30");
    PressEnter(dlg, ids::kTeeth1);
    QCOMPARE(Text(dlg, ids::kCenterDistance), QStringLiteral("3.5"));
    Type(dlg, ids::kPressureAngle, "25");
    PressEnter(dlg, ids::kPressureAngle);
    QCOMPARE(dlg.m_dPressureAngle, 25.0);
    QCOMPARE(Text(dlg, ids::kCenterDistance), QStringLiteral("3.5"));
    QCOMPARE(AngleBox(dlg)->count(), 3);  // typed text is not added to the list
    QVERIFY(dlg.isVisible());
  });
  QCOMPARE(run.result, int(IDCANCEL));
  QVERIFY(run.messages.isEmpty());
}

void ContactRatioDlgTest::pressureAngleTexts_data() {
  QTest::addColumn<QString>("typed");   // empty: pick "     25" from the list instead
  QTest::addColumn<double>("degrees");
  QTest::newRow("list entry, blanks skipped") << QString() << 25.0;
  QTest::newRow("typed fraction") << QStringLiteral("17.5") << 17.5;
  QTest::newRow("no leading number") << QStringLiteral("about 20") << 0.0;
}

void ContactRatioDlgTest::pressureAngleTexts() {
  QFETCH(QString, typed);
  QFETCH(double, degrees);
  Open([&](CContactRatioDlg& dlg) {
    QComboBox* box = AngleBox(dlg);
    if (typed.isEmpty()) {
      QTest::mouseClick(box->lineEdit(), Qt::LeftButton);
      for (int i = 0; i < 3; ++i) QTest::keyClick(box, Qt::Key_Down);
      QCOMPARE(box->currentText(), QStringLiteral("     25"));
    } else {
      Type(dlg, ids::kPressureAngle, typed);
    }
    Click(dlg, ids::kCalculate);
    QCOMPARE(dlg.m_dPressureAngle, degrees);
    const double cosine = std::cos(degrees * 3.1415926535 * (1.0 / 180));
    QVERIFY(qAbs(Number(dlg, ids::kBaseRadius1) - cosine * 20 / 48 / 2) < 1e-12);
    if (degrees == 0)
      QCOMPARE(Text(dlg, ids::kBaseRadius1), QStringLiteral("0.208333333333333"));
  });
}

void ContactRatioDlgTest::enteringAnInputClearsResults_data() {
  QTest::addColumn<int>("input");
  QTest::newRow("first gear teeth") << ids::kTeeth1;
  QTest::newRow("second gear teeth") << ids::kTeeth2;
  QTest::newRow("pitch or module") << ids::kPitchOrModule;
  QTest::newRow("pressure angle box") << ids::kPressureAngle;
}

void ContactRatioDlgTest::enteringAnInputClearsResults() {
  QFETCH(int, input);
  Open([&](CContactRatioDlg& dlg) {
    Click(dlg, ids::kCalculate);
    QWidget* target = input == ids::kPressureAngle ? static_cast<QWidget*>(AngleBox(dlg))
                                                   : static_cast<QWidget*>(Field(dlg, input));
    target->setFocus(Qt::TabFocusReason);
    QVERIFY(target->hasFocus());
    QCOMPARE(Text(dlg, ids::kCenterDistance), QStringLiteral("0"));
    QCOMPARE(Text(dlg, ids::kContactRatio), QStringLiteral("0"));
    QCOMPARE(Text(dlg, ids::kPitchDiameter1), QStringLiteral("0.416666666666667"));
    QCOMPARE(Text(dlg, ids::kOuterRadius2), QStringLiteral("0.229166666666667"));
    QVERIFY(Number(dlg, ids::kBaseRadius1) > 0.19);
  });
}

void ContactRatioDlgTest::badTextIsRefusedAndRestored_data() {
  QTest::addColumn<int>("field");
  QTest::addColumn<QString>("typed");
  QTest::newRow("empty first gear") << ids::kTeeth1 << QString();
  QTest::newRow("letters for the pitch") << ids::kPitchOrModule << QStringLiteral("ten");
  QTest::newRow("two points in the pitch") << ids::kPitchOrModule << QStringLiteral("4.8.1");
}

void ContactRatioDlgTest::badTextIsRefusedAndRestored() {
  QFETCH(int, field);
  QFETCH(QString, typed);
  const Run run = Open([&](CContactRatioDlg& dlg) {
    const QString before = Text(dlg, field);
    Type(dlg, field, typed);
    Click(dlg, ids::kCalculate);
    // The computation goes on with the values as they stood: the defaults.
    QCOMPARE(Text(dlg, field), before);
    QCOMPARE(Text(dlg, ids::kPitchDiameter1), QStringLiteral("0.416666666666667"));
    QVERIFY(dlg.isVisible());
  });
  QCOMPARE(run.messages.size(), 1);
  QVERIFY(run.messages.first().text.contains(field == ids::kTeeth1 ? "integer" : "number"));
}

void ContactRatioDlgTest::zeroDivisorsStillClose_data() {
  QTest::addColumn<bool>("module");
  QTest::addColumn<int>("field");
  QTest::addColumn<QString>("typed");
  QTest::newRow("pitch 0") << false << ids::kPitchOrModule << QStringLiteral("0");
  QTest::newRow("module 0") << true << ids::kPitchOrModule << QStringLiteral("0");
  QTest::newRow("first gear without teeth") << false << ids::kTeeth1 << QStringLiteral("0");
  QTest::newRow("second gear without teeth, module") << true << ids::kTeeth2 << QStringLiteral("0");
  QTest::newRow("pressure angle 90") << false << ids::kPressureAngle << QStringLiteral("90");
  QTest::newRow("pressure angle 270") << true << ids::kPressureAngle << QStringLiteral("270");
}

void ContactRatioDlgTest::zeroDivisorsStillClose() {
  QFETCH(bool, module);
  QFETCH(int, field);
  QFETCH(QString, typed);
  const Run run = Open([&](CContactRatioDlg& dlg) {
    if (module) Click(dlg, ids::kModuleMode);
    Type(dlg, field, typed);
    Click(dlg, ids::kCalculate);
    // Switching mode converts 0 too.
    Click(dlg, module ? ids::kPitchMode : ids::kModuleMode);
    Click(dlg, ids::kCalculate);
    for (int id : kOutputs) {
      const QString shown = Text(dlg, id);
      QVERIFY2(DataExchange::ParseReal(shown).has_value(), qPrintable(shown));
    }
    QVERIFY(DataExchange::ParseReal(Text(dlg, ids::kPitchOrModule)).has_value());
    Click(dlg, ids::kOk);
  });
  QCOMPARE(run.result, int(IDOK));
  QVERIFY(run.messages.isEmpty());
}

void ContactRatioDlgTest::okAndCancel() {
  int teethAfterOk = 0;
  Run run = Open([&](CContactRatioDlg& dlg) {
    Type(dlg, ids::kTeeth1, "33");
    Click(dlg, ids::kOk);
    teethAfterOk = dlg.m_nTeeth1;
  });
  QCOMPARE(run.result, int(IDOK));
  QCOMPARE(teethAfterOk, 33);

  // A field that does not read keeps the dialog open; Cancel then closes it.
  run = Open([](CContactRatioDlg& dlg) {
    Type(dlg, ids::kPitchOrModule, "x");
    Click(dlg, ids::kOk);
    QVERIFY(dlg.isVisible());
    QCOMPARE(QApplication::focusWidget(), Field(dlg, ids::kPitchOrModule));
    Click(dlg, ids::kCancel);
  });
  QCOMPARE(run.result, int(IDCANCEL));
  QCOMPARE(run.messages.size(), 1);

  run = Open([](CContactRatioDlg& dlg) {
    Type(dlg, ids::kPitchOrModule, "x");
    QTest::keyClick(&dlg, Qt::Key_Escape);
  });
  QCOMPARE(run.result, int(IDCANCEL));
  QVERIFY(run.messages.isEmpty());

  // Each opening starts from the defaults.
  CContactRatioDlg fresh;
  QCOMPARE(fresh.m_nTeeth1, 20);
  QCOMPARE(fresh.m_dPitchOrModule, 48.0);
  QCOMPARE(fresh.m_strPressureAngle, QStringLiteral("20"));
  QVERIFY(fresh.m_bPitchMode && !fresh.m_bModuleMode);
}

QTEST_MAIN(ContactRatioDlgTest)
#include "ContactRatioDlgTest.moc"
