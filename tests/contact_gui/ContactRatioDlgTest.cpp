// The calculator driven as a person drives it: typing, clicking, Enter, moving the focus.
// Each case opens a new dialog the way the form does and runs its steps while it is up.

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <algorithm>
#include <functional>

#include "ContactRatioDlg.h"
#include "ContactRatioLayout.h"
#include "DataExchange.h"
#include "Presenter.h"
#include "ResourceIds.h"

using namespace quenmar;
using namespace quenmar::contact;

namespace {

const int kOutputs[] = {kPitchDiameter1, kPitchDiameter2, kOuterRadius1,   kOuterRadius2,
                        kBaseRadius1,    kBaseRadius2,    kCenterDistance, kContactRatio};

QWidget* Control(QDialog& dlg, int id) { return dlg.findChild<QWidget*>(QString::number(id)); }
QComboBox* AngleBox(QDialog& dlg) { return qobject_cast<QComboBox*>(Control(dlg, kPressureAngle)); }
QLineEdit* Edit(QDialog& dlg, int id) {
  return id == kPressureAngle ? AngleBox(dlg)->lineEdit() : qobject_cast<QLineEdit*>(Control(dlg, id));
}
QString Text(QDialog& dlg, int id) { return Edit(dlg, id)->text(); }
double Number(QDialog& dlg, int id) { return Text(dlg, id).toDouble(); }
void Click(QDialog& dlg, int id) { QTest::mouseClick(Control(dlg, id), Qt::LeftButton); }

// Clicks into a field (so the focus enters it) and replaces its text by typing.
void Type(QDialog& dlg, int id, const QString& text) {
  QTest::mouseClick(Edit(dlg, id), Qt::LeftButton);
  QTest::keyClick(Control(dlg, id), Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(Control(dlg, id), Qt::Key_Backspace);
  QTest::keyClicks(Control(dlg, id), text);
}

// What a screen reader can say for a control: its accessible name and the labels linked to
// it.
QStringList AnnouncedNames(QWidget* control) {
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
  QStringList names{accessible->text(QAccessible::Name)};
  for (const auto& [label, relation] : accessible->relations(QAccessible::Label))
    names << label->text(QAccessible::Name);
  return names;
}

struct Run {
  int result = 0;
  int messages = 0;
};
Run Open(const std::function<void(CContactRatioDlg&)>& steps) {
  ScriptedPresenter presenter;
  CContactRatioDlg dlg;
  presenter.answerDialog([&](QDialog& shown) {
    if (!QTest::qWaitForWindowActive(&shown)) qWarning("the calculator is not active");
    steps(dlg);
  });
  const int result = dlg.DoModal();
  return Run{result, int(presenter.messages().size())};
}

}  // namespace

class ContactRatioDlgTest : public QObject {
  Q_OBJECT

 private slots:
  void defaultsThenModuleAndBack() {
    Open([](CContactRatioDlg& dlg) {
      QCOMPARE(dlg.windowTitle(), QStringLiteral("Quenmar"));
      QCOMPARE(Text(dlg, kTeeth1) + Text(dlg, kTeeth2) + Text(dlg, kPitchOrModule), "202048");
      QComboBox* box = AngleBox(dlg);
      const QStringList entries{box->itemText(0), box->itemText(1), box->itemText(2)};
      QCOMPARE(entries, QStringList({"     14.5", "     20", "     25"}));
      QCOMPARE(box->currentText(), QStringLiteral("20"));
      QCOMPARE(box->currentIndex(), -1);
      QVERIFY(Control(dlg, kCalculate)->hasFocus());
      QVERIFY(qobject_cast<QPushButton*>(Control(dlg, kCalculate))->isDefault());

      Click(dlg, kPitchMode);  // already on: not even a computation
      for (int id : kOutputs) QCOMPARE(Text(dlg, id), QStringLiteral("0"));

      Click(dlg, kCalculate);
      QCOMPARE(Text(dlg, kPitchDiameter2), QStringLiteral("0.416666666666667"));
      QCOMPARE(Edit(dlg, kPitchDiameter2)->cursorPosition(), 0);  // read from the first digit
      QCOMPARE(Text(dlg, kOuterRadius1), QStringLiteral("0.229166666666667"));
      QCOMPARE(Text(dlg, kCenterDistance), QStringLiteral("0.416666666666667"));
      QVERIFY(qAbs(Number(dlg, kBaseRadius2) - 0.1957693) < 1e-7);
      const QString ratio = Text(dlg, kContactRatio);
      QVERIFY(qAbs(ratio.toDouble() - 1.5568) < 5e-5);

      Click(dlg, kModuleMode);
      QCOMPARE(Text(dlg, kPitchOrModule), QStringLiteral("0.529166666666667"));
      QVERIFY(qAbs(Number(dlg, kPitchDiameter1) - 10.58333) < 1e-5);
      QVERIFY(qAbs(Number(dlg, kCenterDistance) - 10.58333) < 1e-5);
      QVERIFY(qAbs(Number(dlg, kContactRatio) - ratio.toDouble()) < 1e-12);
      Click(dlg, kPitchMode);
      QCOMPARE(Text(dlg, kPitchOrModule), QStringLiteral("48"));
      QCOMPARE(Text(dlg, kContactRatio), ratio);
    });
  }

  void enterCalculatesAndFocusClears() {
    const Run run = Open([](CContactRatioDlg& dlg) {
      Type(dlg, kTeeth2, "40");
      Type(dlg, kPitchOrModule, "10");
      QTest::keyClick(Control(dlg, kPitchOrModule), Qt::Key_Return);
      QVERIFY(dlg.isVisible());
      QCOMPARE(Text(dlg, kPitchDiameter1) + " " + Text(dlg, kPitchDiameter2), "2 4");
      QCOMPARE(Text(dlg, kOuterRadius1) + " " + Text(dlg, kOuterRadius2), "1.1 2.1");
      QCOMPARE(Text(dlg, kCenterDistance), QStringLiteral("3"));
      QVERIFY(qAbs(Number(dlg, kContactRatio) - 1.6352) < 5e-5);

      for (int input : {kTeeth1, kTeeth2, kPressureAngle, kPitchOrModule}) {
        Control(dlg, kCalculate)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(Control(dlg, kCalculate), Qt::Key_Space);
        Control(dlg, input)->setFocus(Qt::TabFocusReason);
        QCOMPARE(Text(dlg, kCenterDistance) + Text(dlg, kContactRatio), "00");
        QCOMPARE(Text(dlg, kOuterRadius2), QStringLiteral("2.1"));  // the rest stays
      }
      Type(dlg, kPressureAngle, "25");
      QTest::keyClick(Control(dlg, kPressureAngle), Qt::Key_Return);
      QCOMPARE(Text(dlg, kCenterDistance), QStringLiteral("3"));
      QCOMPARE(AngleBox(dlg)->count(), 3);  // typed text does not join the list
    });
    QCOMPARE(run.result, int(IDCANCEL));
    QCOMPARE(run.messages, 0);
  }

  void pressureAngleFromListOrText() {
    Open([](CContactRatioDlg& dlg) {
      QTest::mouseClick(Edit(dlg, kPressureAngle), Qt::LeftButton);
      for (int i = 0; i < 3; ++i) QTest::keyClick(AngleBox(dlg), Qt::Key_Down);
      Click(dlg, kCalculate);
      QCOMPARE(dlg.m_dPressureAngle, 25.0);
      Type(dlg, kPressureAngle, "about 20");
      Click(dlg, kCalculate);
      QCOMPARE(dlg.m_dPressureAngle, 0.0);
      QCOMPARE(Text(dlg, kBaseRadius1), QStringLiteral("0.208333333333333"));
    });
  }

  void badTextIsRestoredAndKeepsOkOpen() {
    const Run run = Open([](CContactRatioDlg& dlg) {
      Type(dlg, kTeeth1, "");
      Click(dlg, kCalculate);
      QCOMPARE(Text(dlg, kTeeth1), QStringLiteral("20"));
      QCOMPARE(Text(dlg, kPitchDiameter1), QStringLiteral("0.416666666666667"));
      Type(dlg, kPitchOrModule, "ten");
      Click(dlg, kOk);
      QVERIFY(dlg.isVisible());
      QVERIFY(Edit(dlg, kPitchOrModule)->hasFocus());
      Click(dlg, kCancel);
    });
    QCOMPARE(run.result, int(IDCANCEL));
    QCOMPARE(run.messages, 2);
  }

  // After a value that does not read, the operation's results stay on screen even when the
  // window manager gives the calculator its focus back later (the focus then returns to the
  // field the message named); a person entering a field still clears them.
  void failedReadKeepsResultsWhenTheWindowReturns() {
    for (const int operation : {kCalculate, kModuleMode, kPitchMode}) {
      const Run run = Open([&](CContactRatioDlg& dlg) {
        if (operation == kPitchMode) Click(dlg, kModuleMode);
        Type(dlg, kPitchOrModule, "abc");
        Click(dlg, operation);
        const QString results = Text(dlg, kCenterDistance) + " " + Text(dlg, kContactRatio);
        QVERIFY2(Number(dlg, kCenterDistance) > 0 && Number(dlg, kContactRatio) > 1, qPrintable(results));

        QWidget elsewhere;
        elsewhere.show();
        elsewhere.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
        dlg.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        QVERIFY(Edit(dlg, kPitchOrModule)->hasFocus());
        QCOMPARE(Text(dlg, kCenterDistance) + " " + Text(dlg, kContactRatio), results);

        QTest::mouseClick(Edit(dlg, kTeeth1), Qt::LeftButton);
        QCOMPARE(Text(dlg, kCenterDistance) + " " + Text(dlg, kContactRatio), QStringLiteral("0 0"));
      });
      QCOMPARE(run.messages, 1);
    }
  }

  // The help page quotes the messages a field that does not read gives, word for word.
  void helpQuotesTheMessages() {
    ScriptedPresenter presenter;
    CContactRatioDlg dlg;
    presenter.answerDialog([](QDialog& shown) {
      auto& dlg = static_cast<CContactRatioDlg&>(shown);
      QVERIFY(QTest::qWaitForWindowActive(&dlg));
      Type(dlg, kPitchOrModule, "abc");
      Click(dlg, kCalculate);
      Type(dlg, kTeeth2, "");
      Click(dlg, kModuleMode);
    });
    dlg.DoModal();
    QFile page(QStringLiteral(QUENMAR_HELP_DIR "/contact-ratio.html"));
    QVERIFY(page.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(page.readAll());
    QCOMPARE(presenter.messages().size(), 2);
    for (const auto& message : presenter.messages())
      QVERIFY2(html.contains("&quot;" + message.text + "&quot;"), qPrintable(message.text));
  }

  // Every field is announced with its label: by its accessible name or, for the pressure
  // angle box (whose name on Linux is its text), by the label linked to it.
  void everyFieldIsAnnouncedWithItsLabel() {
    Open([](CContactRatioDlg& dlg) {
      const QList<QPair<int, QString>> expected{
          {kTeeth1, "Number Of Teeth, first gear"},   {kTeeth2, "Number Of Teeth, second gear"},
          {kPressureAngle, "Pressure Angle"},         {kPitchOrModule, "Pitch or Module"},
          {kPitchDiameter1, "Pitch Diameter, first gear"}, {kBaseRadius2, "Base Circle Radius, second gear"},
          {kCenterDistance, "Nominal Center Distance"}, {kContactRatio, "Contact Ratio"}};
      for (const auto& [id, name] : expected)
        QVERIFY2(AnnouncedNames(Control(dlg, id)).contains(name), qPrintable(name));
      // No field is announced by its contents alone.
      for (auto* field : dlg.findChildren<QLineEdit*>()) {
        QWidget* control = qobject_cast<QComboBox*>(field->parentWidget()) ? field->parentWidget() : field;
        const QStringList names = AnnouncedNames(control);
        QVERIFY2(std::any_of(names.begin(), names.end(),
                             [&](const QString& n) { return !n.trimmed().isEmpty() && n != field->text(); }),
                 qPrintable(control->objectName()));
      }
    });
  }

  // The sizing border: a larger calculator shows more white space; no control moves or
  // shrinks, and the window never becomes smaller than its layout.
  void growsWithoutMovingControls() {
    Open([](CContactRatioDlg& dlg) {
      const QSize laidOut = dlg.size();
      const QList<QWidget*> children = dlg.findChildren<QWidget*>();
      QList<QRect> places;
      for (QWidget* w : children) places << w->geometry();
      dlg.resize(laidOut + QSize(120, 90));
      QTRY_COMPARE(dlg.size(), laidOut + QSize(120, 90));
      for (qsizetype i = 0; i < children.size(); ++i) QCOMPARE(children[i]->geometry(), places[i]);
      QCOMPARE(dlg.minimumSize(), laidOut);
      QVERIFY(dlg.maximumWidth() > laidOut.width() + 120 && dlg.maximumHeight() > laidOut.height() + 90);
    });
  }

  // Each row makes a divisor zero; every field must still read, so OK closes.
  void zeroDivisorsStillClose() {
    const struct {
      bool module;
      int field;
      const char* typed;
    } rows[] = {{false, kPitchOrModule, "0"}, {true, kPitchOrModule, "0"},
                {false, kTeeth1, "0"},        {true, kTeeth2, "0"},
                {false, kPressureAngle, "90"}};
    for (const auto& row : rows) {
      const Run run = Open([&](CContactRatioDlg& dlg) {
        if (row.module) Click(dlg, kModuleMode);
        Type(dlg, row.field, row.typed);
        Click(dlg, kCalculate);
        Click(dlg, row.module ? kPitchMode : kModuleMode);  // converts the value too
        for (int id : kOutputs) QVERIFY2(DataExchange::ParseReal(Text(dlg, id)).has_value(), qPrintable(Text(dlg, id)));
        Click(dlg, kOk);
      });
      QCOMPARE(run.result, int(IDOK));
      QCOMPARE(run.messages, 0);
    }
  }

  void okReadsCancelAndEscDoNot() {
    int teeth = 0;
    Run run = Open([&](CContactRatioDlg& dlg) {
      Type(dlg, kTeeth1, "33");
      Click(dlg, kOk);
      teeth = dlg.m_nTeeth1;
    });
    QCOMPARE(run.result, int(IDOK));
    QCOMPARE(teeth, 33);
    run = Open([](CContactRatioDlg& dlg) {
      Type(dlg, kPitchOrModule, "x");
      QTest::keyClick(&dlg, Qt::Key_Escape);
    });
    QCOMPARE(run.result, int(IDCANCEL));
    QCOMPARE(run.messages, 0);
  }
};

QTEST_MAIN(ContactRatioDlgTest)
#include "ContactRatioDlgTest.moc"
