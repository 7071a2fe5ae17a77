// The solver form driven through its widgets: values and their limits, the profile row,
// the teeth limits, loading a listed row, configuration switching and the colour code.

#include <QAccessible>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QRadioButton>
#include <QTest>

#include <memory>

#include "ColorEdit.h"
#include "FormDriver.h"
#include "Presenter.h"

using namespace formtest;
using quenmar::ScriptedPresenter;

class FormViewTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<ScriptedPresenter> presenter;
  std::unique_ptr<CQuenmarView> form;

  QLineEdit* gearField(int gear, const char* role) { return Field(*form, GearName(gear, role)); }
  QString gearText(int gear, const char* role) { return Text(*form, GearName(gear, role)); }
  QString reduction() { return Text(*form, QStringLiteral("Reduction Shown Above")); }
  QString difference() { return Text(*form, QStringLiteral("Difference")); }
  void fillList(const QStringList& rows) {
    List(*form)->addItems(rows);
    Field(*form, QStringLiteral("# of Solutions Found"))->setText(QString::number(rows.size()));
    form->m_nSolutionsFound = static_cast<int>(rows.size());
  }

 private slots:
  void init() {
    presenter = std::make_unique<ScriptedPresenter>();
    form = std::make_unique<CQuenmarView>();
    form->OnInitialUpdate();
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
  }
  void cleanup() {
    form.reset();
    presenter.reset();
  }

  void startupTexts_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("target") << "Target Reduction" << "3.624";
    QTest::newRow("range") << "Convergence Range" << "0.01";
    QTest::newRow("max solutions") << "Max # of Solutions" << "100";
    QTest::newRow("found") << "# of Solutions Found" << "0";
    QTest::newRow("reduction") << "Reduction Shown Above" << "         1.000";
    QTest::newRow("difference") << "Difference" << "     2.624";
    for (int g = 0; g < 6; ++g) {
      QTest::newRow(qPrintable(GearName(g, "minimum"))) << GearName(g, "minimum") << "10";
      QTest::newRow(qPrintable(GearName(g, "maximum"))) << GearName(g, "maximum") << "25";
      QTest::newRow(qPrintable(GearName(g, "profile"))) << GearName(g, "profile") << "10";
    }
    QTest::newRow("output path") << "Output file" << CQuenmarView::DefaultOutputPath();
  }
  void startupTexts() {
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QCOMPARE(Text(*form, name), expected);
    QVERIFY(ByName(*form, name)->isVisible());
  }

  void everyControlHasAnAccessibleName() {
    for (int id : form->controls().ids())
      QVERIFY2(!form->GetDlgItem(id)->accessibleName().isEmpty(), qPrintable(QString::number(id)));
  }

  // A screen reader announces every control that takes the focus with its label: by its
  // accessible name or, for the configuration selector (whose name on Linux is the chosen
  // entry), by the label linked to it.
  void everyInputIsAnnouncedWithItsLabel() {
    for (int id : form->controls().ids()) {
      QWidget* control = form->GetDlgItem(id);
      if (control->focusPolicy() == Qt::NoFocus || qobject_cast<QLabel*>(control)) continue;
      QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
      QStringList announced{accessible->text(QAccessible::Name)};
      for (const auto& [label, relation] : accessible->relations(QAccessible::Label))
        announced << label->text(QAccessible::Name);
      QVERIFY2(announced.contains(control->accessibleName()), qPrintable(QString::number(id)));
    }
  }

  // Typing a value and then leaving the field (or, for "Max # of Solutions", typing alone)
  // reads the form; a value outside its limits gives exactly one message naming them.
  void readLimits_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("limits");  // empty: accepted
    QTest::newRow("target 1000") << "Target Reduction" << "1000" << "";
    QTest::newRow("target 1001") << "Target Reduction" << "1001" << "0|1000";
    QTest::newRow("target text") << "Target Reduction" << "abc" << "";
    QTest::newRow("range 0") << "Convergence Range" << "0" << "";
    QTest::newRow("range -1") << "Convergence Range" << "-1" << "0|500";
    QTest::newRow("N4 maximum 0") << "N4 maximum" << "0" << "1|500";
    QTest::newRow("N4 maximum 500") << "N4 maximum" << "500" << "";
    QTest::newRow("N6 maximum 501") << "N6 maximum" << "501" << "1|500";
    QTest::newRow("max solutions 0") << "Max # of Solutions" << "0" << "";
    QTest::newRow("max solutions 500") << "Max # of Solutions" << "500" << "";
    QTest::newRow("max solutions 501") << "Max # of Solutions" << "501" << "0|500";
    QTest::newRow("max solutions emptied") << "Max # of Solutions" << "" << "";
  }
  void readLimits() {
    QFETCH(QString, name);
    QFETCH(QString, typed);
    QFETCH(QString, limits);
    QLineEdit* field = Field(*form, name);
    TypeInto(field, typed);
    if (name != QStringLiteral("Max # of Solutions")) Leave(*form, field);
    const auto messages = presenter->messages();
    const bool notANumber = typed == QStringLiteral("abc") || typed.isEmpty();
    if (limits.isEmpty() && !notANumber) {
      QCOMPARE(messages.size(), 0);
      return;
    }
    QCOMPARE(messages.size(), 1);
    for (const QString& limit : limits.split(u'|', Qt::SkipEmptyParts))
      QVERIFY2(messages.first().text.contains(limit), qPrintable(messages.first().text));
  }

  // A failing read carries on: the operation completes and puts the old value back.
  void failedMinimumIsPutBack() {
    TypeInto(gearField(0, "minimum"), QStringLiteral("0"));
    QCOMPARE(presenter->messages().size(), 1);
    QVERIFY(presenter->messages().first().text.contains(QStringLiteral("500")));
    QCOMPARE(gearText(0, "minimum"), QStringLiteral("10"));
    QCOMPARE(form->m_nMinTeeth[0], 10);
  }

  // Values before a failing one are taken, the failing one and those after keep theirs.
  void readStopsAtFirstFailure() {
    const auto set = [this](const QString& name, const char* text) {
      const QSignalBlocker quiet(Field(*form, name));
      Field(*form, name)->setText(QString::fromLatin1(text));
    };
    set(QStringLiteral("Target Reduction"), "2.5");
    set(QStringLiteral("Convergence Range"), "0.2");
    set(GearName(1, "minimum"), "11");
    set(GearName(2, "minimum"), "12");
    set(GearName(3, "minimum"), "0");
    set(GearName(4, "minimum"), "14");
    QVERIFY(!form->UpdateData(true));
    QCOMPARE(form->m_dTargetReduction, 2.5);
    QCOMPARE(form->m_dConvergenceRange, 0.2);
    QCOMPARE(form->m_nMinTeeth[1], 11);
    QCOMPARE(form->m_nMinTeeth[2], 12);
    QCOMPARE(form->m_nMinTeeth[3], 10);
    QCOMPARE(form->m_nMinTeeth[4], 10);
    QCOMPARE(presenter->messages().size(), 1);
  }

  // With real message boxes, the box itself moves the focus out of the field the user went
  // to; that must not read the form again and raise a second message.
  void oneInvalidFieldOneRealMessage() {
    presenter.reset();
    int boxes = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&boxes] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        ++boxes;
        box->done(QMessageBox::Ok);
      }
    });
    closer.start(10);
    QLineEdit* target = Field(*form, QStringLiteral("Target Reduction"));
    TypeInto(target, QStringLiteral("abc"));
    Field(*form, QStringLiteral("Convergence Range"))->setFocus(Qt::TabFocusReason);
    QTest::qWait(200);
    closer.stop();
    QCOMPARE(boxes, 1);
    QCOMPARE(target->text(), QStringLiteral("3.624"));
  }

  void teethLimits_data() {
    QTest::addColumn<int>("gear");
    QTest::addColumn<QString>("role");
    QTest::addColumn<QStringList>("typed");  // typed one after another into the same field
    QTest::addColumn<bool>("leave");
    QTest::addColumn<QString>("min");
    QTest::addColumn<QString>("max");
    QTest::addColumn<QString>("profile");
    QTest::addColumn<QString>("reduction");
    QTest::newRow("minimum lowered") << 0 << "minimum" << QStringList{"3"} << false << "3" << "25"
                                     << "10" << "         1.000";
    QTest::newRow("minimum held at maximum") << 0 << "minimum" << QStringList{"3", "0"} << false << "25"
                                             << "25" << "25" << "         0.400";
    QTest::newRow("minimum pulls profile up") << 1 << "minimum" << QStringList{"20"} << false << "20"
                                              << "25" << "20" << "         2.000";
    QTest::newRow("maximum raised to minimum on leaving")
        << 1 << "maximum" << QStringList{"5"} << true << "10" << "10" << "10" << "         1.000";
    QTest::newRow("maximum while typing") << 1 << "maximum" << QStringList{"5"} << false << "10" << "5"
                                          << "10" << "         1.000";
  }
  void teethLimits() {
    QFETCH(int, gear);
    QFETCH(QString, role);
    QFETCH(QStringList, typed);
    QFETCH(bool, leave);
    QLineEdit* field = Field(*form, GearName(gear, qPrintable(role)));
    TypeInto(field, typed.first());
    for (qsizetype i = 1; i < typed.size(); ++i) QTest::keyClicks(field, typed[i]);
    if (leave) Leave(*form, field);
    QTEST(gearText(gear, "minimum"), "min");
    QTEST(gearText(gear, "maximum"), "max");
    QTEST(gearText(gear, "profile"), "profile");
    QTEST(reduction(), "reduction");
    QCOMPARE(presenter->messages().size(), 0);
    if (leave) {
      QCOMPARE(Spin(*form, gear)->lower(), 10);
      QCOMPARE(Spin(*form, gear)->upper(), 10);
    }
  }

  void maximumPullsProfileDown() {
    for (int i = 0; i < 5; ++i) ClickSpin(*form, 1, true);
    QCOMPARE(gearText(1, "profile"), QStringLiteral("15"));
    QLineEdit* max = gearField(1, "maximum");
    TypeInto(max, QStringLiteral("12"));
    Leave(*form, max);
    QCOMPARE(gearText(1, "profile"), QStringLiteral("12"));
    QCOMPARE(reduction(), QStringLiteral("         1.200"));
    QCOMPARE(difference(), QStringLiteral("     2.424"));
  }

  void spinWrapsAndRecomputes() {
    QLineEdit* max = gearField(0, "maximum");
    TypeInto(max, QStringLiteral("11"));
    Leave(*form, max);
    ClickSpin(*form, 0, true);
    QCOMPARE(gearText(0, "profile"), QStringLiteral("11"));
    QCOMPARE(reduction(), QStringLiteral("         0.909"));
    ClickSpin(*form, 0, true);
    QCOMPARE(gearText(0, "profile"), QStringLiteral("10"));
    QCOMPARE(reduction(), QStringLiteral("         1.000"));
    ClickSpin(*form, 0, false);
    QCOMPARE(gearText(0, "profile"), QStringLiteral("11"));
    // The arrow keys step the same way from the profile field.
    QLineEdit* profile = gearField(5, "profile");
    QTest::mouseClick(profile, Qt::LeftButton);
    QTest::keyClick(profile, Qt::Key_Down);
    QCOMPARE(gearText(5, "profile"), QStringLiteral("25"));
    QTest::keyClick(profile, Qt::Key_Up);
    QTest::keyClick(profile, Qt::Key_Up);
    QCOMPARE(gearText(5, "profile"), QStringLiteral("11"));
    QCOMPARE(reduction(), QStringLiteral("         1.000"));
    QCOMPARE(presenter->messages().size(), 0);
  }

  void spinningOneGearLeavesItsTwin() {
    Choose(*form, 2);  // "Double Reduction with N1 = N3"
    QVERIFY(form->m_bDoubleN1EqN3);
    ClickSpin(*form, 0, true);
    QCOMPARE(gearText(0, "profile"), QStringLiteral("11"));
    QCOMPARE(gearText(2, "profile"), QStringLiteral("10"));
    QCOMPARE(reduction(), QStringLiteral("         0.909"));
  }

  void doubleClickLoadsRow_data() {
    QTest::addColumn<int>("configuration");
    QTest::addColumn<QString>("row");
    QTest::addColumn<QStringList>("profile");
    QTest::addColumn<QString>("reduction");
    QTest::addColumn<QString>("difference");
    QTest::newRow("single") << 0 << "   0.001     3.625      8     29"
                            << QStringList{"8", "29", "10", "10", "10", "10"} << "         3.625"
                            << "     0.001";
    QTest::newRow("double") << 1 << "   0.003     3.627     10     19     11     21"
                            << QStringList{"10", "19", "11", "21", "10", "10"} << "         3.627"
                            << "     0.003";
    QTest::newRow("triple") << 5 << "   0.004     3.620     12     21     10     21     10     12"
                            << QStringList{"12", "21", "10", "21", "10", "12"} << "         3.620"
                            << "     0.004";
    QTest::newRow("broken row keeps the profile") << 0 << "  x" << QStringList{"10", "10", "10", "10", "10", "10"}
                                                  << "         1.000" << "     2.624";
  }
  void doubleClickLoadsRow() {
    QFETCH(int, configuration);
    QFETCH(QString, row);
    QFETCH(QStringList, profile);
    Choose(*form, configuration);
    fillList({row});
    DoubleClickRow(*form, 0);
    for (int g = 0; g < 6; ++g) QCOMPARE(gearText(g, "profile"), profile[g]);
    QTEST(reduction(), "reduction");
    QTEST(difference(), "difference");
    QCOMPARE(List(*form)->count(), 1);
  }

  // Leaving these fields empties the list and the count even when nothing changed.
  void leavingFieldClearsList_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("clears");
    QTest::addColumn<bool>("resetsProfile");
    QTest::newRow("target") << "Target Reduction" << true << true;
    QTest::newRow("range") << "Convergence Range" << true << true;
    QTest::newRow("N1 maximum") << "N1 maximum" << true << false;
    QTest::newRow("N1 minimum") << "N1 minimum" << false << false;
  }
  void leavingFieldClearsList() {
    QFETCH(QString, name);
    QFETCH(bool, clears);
    QFETCH(bool, resetsProfile);
    ClickSpin(*form, 0, true);
    fillList({QStringLiteral("   0.001     3.625     10     10")});
    form->UpdateData(false);
    QLineEdit* field = Field(*form, name);
    field->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    Leave(*form, field);
    QCOMPARE(List(*form)->count(), clears ? 0 : 1);
    QCOMPARE(Text(*form, QStringLiteral("# of Solutions Found")), clears ? QStringLiteral("0") : QStringLiteral("1"));
    QCOMPARE(gearText(0, "profile"), resetsProfile ? QStringLiteral("10") : QStringLiteral("11"));
  }

  void firstClickIntoListFromTargetEmptiesIt() {
    fillList({QStringLiteral("   0.001     3.625     10     10     10     10     10     36")});
    form->UpdateData(false);
    Field(*form, QStringLiteral("Target Reduction"))->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    DoubleClickRow(*form, 0);
    QCOMPARE(List(*form)->count(), 0);
    QCOMPARE(gearText(5, "profile"), QStringLiteral("10"));
    QCOMPARE(reduction(), QStringLiteral("         1.000"));
  }

  // A driving gear of 0 teeth reaches the profile only through a broken row; the form
  // shows no reduction for it rather than dividing by zero, and a later spin does not
  // crash either.
  void zeroTeethNeverDivide() {
    Choose(*form, 0);
    fillList({QStringLiteral("   1.000     2.000      0     29")});
    DoubleClickRow(*form, 0);
    QCOMPARE(gearText(0, "profile"), QStringLiteral("0"));
    ClickSpin(*form, 1, true);
    QVERIFY(!reduction().contains(QStringLiteral("inf")));
    QVERIFY(!reduction().contains(QStringLiteral("nan")));
    QCOMPARE(reduction().trimmed(), QStringLiteral("-"));
    QCOMPARE(presenter->messages().size(), 1);  // N1 profile 0 is outside 1..500
  }

  void configurationSwitch_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("gears");
    QTest::addColumn<QStringList>("labels");  // the gear labels and column headings shown
    const QStringList single{"N1 = Pinion", "N2 = Output"};
    const QStringList doubles{"N1 = Pinion", "N2", "First Compound", "N3", "N4 = Output", "N3", "N4"};
    const QStringList triples{"N1 = Pinion", "N2", "First Compound", "N3", "N4", "Second Compound",
                              "N5", "N6 = Output Gear", "N3", "N4", "N5", "N6"};
    QTest::newRow("Single Reduction Only") << 0 << 2 << single;
    QTest::newRow("Double Reduction Only") << 1 << 4 << doubles;
    QTest::newRow("Double Reduction with N1 = N3") << 2 << 4 << doubles;
    QTest::newRow("Double Reduction with N2 = N4") << 3 << 4 << doubles;
    QTest::newRow("Double with N1 = N3; N2 = N4") << 4 << 4 << doubles;
    QTest::newRow("Triple With Equal Compounds") << 5 << 6 << triples;
    QTest::newRow("Triple Reduction") << 6 << 6 << triples;
  }
  void configurationSwitch() {
    QFETCH(int, index);
    QFETCH(int, gears);
    QFETCH(QStringList, labels);
    fillList({QStringLiteral("   0.001     3.625      8     29")});
    ClickSpin(*form, 0, true);
    if (index < 6) Choose(*form, index);
    else form->ApplyConfiguration(index);
    QCOMPARE(form->ConfigurationIndex(), index);
    QCOMPARE(form->m_bTripleFamily, index >= 5);
    for (int g = 0; g < 6; ++g) {
      const bool inUse = g < gears;
      for (const char* role : {"minimum", "maximum", "profile", "spin"}) {
        QWidget* w = ByName(*form, GearName(g, role));
        QCOMPARE(w->isVisible(), inUse);
        QCOMPARE(w->isEnabled(), inUse);
      }
      QCOMPARE(gearText(g, "profile"), QStringLiteral("10"));
      QCOMPARE(Spin(*form, g)->upper(), inUse ? 25 : 10);
    }
    QStringList shown;
    for (QLabel* label : form->findChildren<QLabel*>()) {
      const bool gearLabel = label->text().startsWith(u'N') || label->text().endsWith(QStringLiteral("Compound"));
      if (gearLabel && label->isVisible()) shown << label->text();
    }
    shown.sort();
    labels.sort();
    QCOMPARE(shown, labels);
    QCOMPARE(List(*form)->count(), 0);
    QCOMPARE(Text(*form, QStringLiteral("# of Solutions Found")), QStringLiteral("0"));
    QCOMPARE(reduction(), QStringLiteral("         1.000"));
    QCOMPARE(difference(), QStringLiteral("     2.624"));
  }

  void unusedGearMinimumBecomesTen() {
    Choose(*form, 1);
    TypeInto(gearField(2, "minimum"), QStringLiteral("15"));
    QCOMPARE(gearText(2, "profile"), QStringLiteral("15"));
    Choose(*form, 0);
    Choose(*form, 1);
    QCOMPARE(gearText(2, "minimum"), QStringLiteral("10"));
    QCOMPARE(gearText(2, "profile"), QStringLiteral("10"));
  }

  void switchingWithinFamilyStillResets() {
    Choose(*form, 1);
    ClickSpin(*form, 3, true);
    fillList({QStringLiteral("   0.003     3.627     10     19     11     21")});
    auto* selector = qobject_cast<QComboBox*>(ByName(*form, QStringLiteral("Choose Number of Gears")));
    QTest::keyClick(selector, Qt::Key_Down);
    QTest::keyClick(selector, Qt::Key_Down);
    QCOMPARE(selector->currentText(), QStringLiteral("Double Reduction with N2 = N4"));
    QVERIFY(form->m_bDoubleN2EqN4);
    QCOMPARE(List(*form)->count(), 0);
    QCOMPARE(gearText(3, "profile"), QStringLiteral("10"));
  }

  // Colour pairs stay on their fields through typing, writes and a configuration change.
  void colourCode_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QColor>("text");
    QTest::addColumn<QColor>("back");
    QTest::newRow("minimum") << "N3 minimum" << QColor(0, 0, 0) << QColor(255, 255, 255);
    QTest::newRow("maximum") << "N3 maximum" << QColor(255, 255, 255) << QColor(0, 0, 0);
    QTest::newRow("pinion") << "N1 profile" << QColor(0, 0, 0) << QColor(255, 255, 0);
    QTest::newRow("first compound") << "N3 profile" << QColor(0, 0, 0) << QColor(0, 255, 0);
    QTest::newRow("second compound") << "N5 profile" << QColor(255, 255, 255) << QColor(0, 0, 255);
    QTest::newRow("output") << "N6 profile" << QColor(0, 0, 0) << QColor(192, 192, 192);
  }
  void colourCode() {
    QFETCH(QString, name);
    QFETCH(QColor, text);
    QFETCH(QColor, back);
    Choose(*form, 0);
    Choose(*form, 5);
    auto* edit = qobject_cast<CColorEdit*>(ByName(*form, name));
    QVERIFY(edit);
    QCOMPARE(edit->TextColor(), text);
    QCOMPARE(edit->BackColor(), back);
    const QImage image = edit->grab().toImage();
    QCOMPARE(image.pixelColor(4, image.height() / 2), back);
  }

  void legendsAndPlainFields() {
    auto* minLegend = qobject_cast<CColorEdit*>(form->GetDlgItem(1179));
    auto* maxLegend = qobject_cast<CColorEdit*>(form->GetDlgItem(1180));
    QCOMPARE(minLegend->text(), QStringLiteral("Cells to Input Minimum No. of Teeth"));
    QCOMPARE(maxLegend->text(), QStringLiteral("Cells to Input Maximum No. of Teeth"));
    QCOMPARE(maxLegend->BackColor(), QColor(0, 0, 0));
    QVERIFY(minLegend->isReadOnly());
    for (const char* plain : {"Target Reduction", "Convergence Range", "Max # of Solutions",
                              "# of Solutions Found", "Reduction Shown Above", "Difference", "Output file"})
      QVERIFY2(!qobject_cast<CColorEdit*>(ByName(*form, QString::fromLatin1(plain))), plain);
  }
};

QTEST_MAIN(FormViewTest)
#include "FormViewTest.moc"
