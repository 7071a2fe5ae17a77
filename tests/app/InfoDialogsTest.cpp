// The information and outcome dialogs shown through the presenter seam: their captions,
// texts, buttons and colours, how each one ends, and the disclaimer's agreement flag.

#include <QLabel>
#include <QTest>

#include "AboutDlg.h"
#include "CalcStoppedDlg.h"
#include "DisclaimerDlg.h"
#include "InstructionsDlg.h"
#include "MaxSolutionsDlg.h"
#include "NoConvergenceDlg.h"
#include "Presenter.h"
#include "ResourceIds.h"

using namespace quenmar;

namespace {

std::unique_ptr<CDialog> MakeDialog(const QString& name) {
  if (name == "CAboutDlg") return std::make_unique<CAboutDlg>();
  if (name == "CDisclaimerDlg") return std::make_unique<CDisclaimerDlg>();
  if (name == "CInstructionsDlg") return std::make_unique<CInstructionsDlg>();
  if (name == "CNoConvergenceDlg") return std::make_unique<CNoConvergenceDlg>();
  if (name == "CMaxSolutionsDlg") return std::make_unique<CMaxSolutionsDlg>();
  return std::make_unique<CCalcStoppedDlg>();
}

QStringList LabelTexts(const QDialog& d) {
  QStringList texts;
  for (const QLabel* label : d.findChildren<QLabel*>())
    if (label->pixmap().isNull()) texts << label->text();
  return texts;
}

// Texts that need more lines than their rectangle holds, which would lose their ends.
QStringList CutTexts(const QDialog& d) {
  QStringList cut;
  for (const QLabel* label : d.findChildren<QLabel*>()) {
    if (!label->pixmap().isNull() || label->text().isEmpty()) continue;
    const QRect needed = QFontMetrics(label->font())
                             .boundingRect(QRect(0, 0, label->width(), 100000), Qt::TextWordWrap, label->text());
    if (needed.height() > label->height()) cut << label->text();
  }
  return cut;
}

int PictureCount(const QDialog& d) {
  int n = 0;
  for (const QLabel* label : d.findChildren<QLabel*>()) n += !label->pixmap().isNull();
  return n;
}

const QString kProgramLine =
    "Quenmar is a simple analysis tool that solves for gear train solutions based on user defined "
    "ranges on the number of teeth on individual gears and a specified reduction.";

}  // namespace

class InfoDialogsTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { CDialog::SetDialogBkColor(); }
  void looks_data();
  void looks();
  void simpleDialogsEndAlike_data();
  void simpleDialogsEndAlike();
  void disclaimerAnswers_data();
  void disclaimerAnswers();
  void instructionsTexts();
};

void InfoDialogsTest::looks_data() {
  QTest::addColumn<QString>("dialogClass");
  QTest::addColumn<QString>("caption");
  QTest::addColumn<QSize>("sizeInDialogUnits");
  QTest::addColumn<QStringList>("texts");
  QTest::addColumn<QStringList>("buttons");  // caption of button 1, then of button 2
  QTest::addColumn<int>("pictures");

  QTest::newRow("about") << "CAboutDlg" << "About Quenmar" << QSize(341, 126)
                         << QStringList{"Quenmar V1.01", kProgramLine} << QStringList{"OK"} << 2;
  QTest::newRow("disclaimer")
      << "CDisclaimerDlg" << QString(24, ' ') + "Quenmar V1.01" << QSize(304, 161)
      << QStringList{"As is the case with any analysis tool, the accuracy of the solutions provided should "
                     "be independently verified before incorporating into designs.",
                     "Brassmoor accepts no responsibility for any damages or liabilities to persons or "
                     "properties resulting from the use of this product."}
      << QStringList{"I AGREE", "I DISAGREE"} << 2;
  QTest::newRow("no convergence")
      << "CNoConvergenceDlg" << QString(22, ' ') + "No Convergence" << QSize(203, 79)
      << QStringList{"The solution did not converge.", "TRY:",
                     "1)  Increasing the value for the Convergence Range.",
                     "2)  Increase the range of teeth on individual gears.",
                     "3)  Increasing the number of gears."}
      << QStringList{"OK"} << 0;
  QTest::newRow("maximum solutions")
      << "CMaxSolutionsDlg" << "Maximum Number of Solutions Exceeded..." << QSize(201, 81)
      << QStringList{"The maximum number of solutions was found.  Solutions other than those shown may exist. ",
                     "TRY:  1. Increasing the maximum number of solutions sought.",
                     "2. Decreasing the value of the convergence range.",
                     "3. Narrowing the range of gear teeth", "4. Decrease the number of gears."}
      << QStringList{"OK"} << 0;
  QTest::newRow("calculation stopped")
      << "CCalcStoppedDlg" << QString(10, ' ') + "Calculation Stopped..." << QSize(148, 52)
      << QStringList{"Calculation was terminated prematurely.", "Other solutions may exist."}
      << QStringList{"OK"} << 0;
  QTest::newRow("instructions") << "CInstructionsDlg" << "Quenmar Instructions..." << QSize(311, 350)
                                << QStringList{} << QStringList{"OK"} << 0;
}

void InfoDialogsTest::looks() {
  QFETCH(QString, dialogClass);
  QFETCH(QString, caption);
  QFETCH(QSize, sizeInDialogUnits);
  QFETCH(QStringList, texts);
  QFETCH(QStringList, buttons);
  QFETCH(int, pictures);

  ScriptedPresenter presenter;
  auto dlg = MakeDialog(dialogClass);
  QSize size, expectedSize;
  QColor background;
  bool hasIcon = false;
  QStringList shownTexts, cutTexts;
  int shownPictures = 0;
  QList<CColorButton*> shownButtons;
  QWidget* focus = nullptr;
  presenter.answerDialog([&](QDialog& d) {
    size = d.size();
    const auto* layout = static_cast<CDialog&>(d).layout();
    expectedSize = QSize(layout->w, layout->h);
    background = d.palette().color(QPalette::Window);
    hasIcon = !d.windowIcon().isNull();
    shownTexts = LabelTexts(d);
    cutTexts = CutTexts(d);
    shownPictures = PictureCount(d);
    for (int id : {IDOK, IDCANCEL})
      if (auto* b = d.findChild<CColorButton*>(QString::number(id))) shownButtons << b;
    focus = d.focusWidget();
  }, 2);
  dlg->DoModal();

  QCOMPARE(presenter.dialogs().size(), 1);
  QCOMPARE(presenter.dialogs().first().dialogClass, dialogClass);
  QCOMPARE(presenter.dialogs().first().caption, caption);
  QCOMPARE(expectedSize, sizeInDialogUnits);
  QVERIFY(size.width() > sizeInDialogUnits.width() && size.height() > sizeInDialogUnits.height());
  QCOMPARE(background, QColor(255, 255, 255));
  QVERIFY(hasIcon);
  if (!texts.isEmpty()) QCOMPARE(shownTexts, texts);
  QCOMPARE(cutTexts, QStringList());
  QCOMPARE(shownPictures, pictures);
  QCOMPARE(shownButtons.size(), buttons.size());
  for (int i = 0; i < buttons.size(); ++i) {
    QCOMPARE(shownButtons[i]->text(), buttons[i]);
    QCOMPARE(shownButtons[i]->TextColor(), QColor(0, 0, 0));
    QCOMPARE(shownButtons[i]->FaceColor(), QColor(192, 192, 192));
    QCOMPARE(shownButtons[i]->DisabledFaceColor(), QColor(255, 255, 255));
  }
  QCOMPARE(focus, shownButtons.first());  // the first button has the focus
}

void InfoDialogsTest::simpleDialogsEndAlike_data() {
  QTest::addColumn<QString>("dialogClass");
  QTest::addColumn<QString>("how");
  QTest::addColumn<int>("result");
  for (const char* name : {"CAboutDlg", "CInstructionsDlg", "CNoConvergenceDlg", "CMaxSolutionsDlg",
                           "CCalcStoppedDlg"}) {
    QTest::addRow("%s OK", name) << name << "click" << 1;
    QTest::addRow("%s Enter", name) << name << "enter" << 1;
    QTest::addRow("%s space", name) << name << "space" << 1;
    QTest::addRow("%s Esc", name) << name << "esc" << 2;
    QTest::addRow("%s close box", name) << name << "close" << 2;
  }
}

namespace {

// Ends a shown dialog the way a person would.
void EndBy(QDialog& d, const QString& how) {
  QWidget* focus = d.focusWidget();
  QVERIFY(focus);
  if (how == "click") QTest::mouseClick(d.findChild<QWidget*>(QString::number(IDOK)), Qt::LeftButton);
  if (how == "disagree") QTest::mouseClick(d.findChild<QWidget*>(QString::number(IDCANCEL)), Qt::LeftButton);
  if (how == "enter") QTest::keyClick(focus, Qt::Key_Return);
  if (how == "space") QTest::keyClick(focus, Qt::Key_Space);
  if (how == "esc") QTest::keyClick(focus, Qt::Key_Escape);
  if (how == "close") d.close();
}

}  // namespace

void InfoDialogsTest::simpleDialogsEndAlike() {
  QFETCH(QString, dialogClass);
  QFETCH(QString, how);
  QFETCH(int, result);
  ScriptedPresenter presenter;
  auto dlg = MakeDialog(dialogClass);
  presenter.answerDialog([&](QDialog& d) { EndBy(d, how); }, -1);
  QCOMPARE(dlg->DoModal(), result);
  QVERIFY(presenter.messages().isEmpty());
}

void InfoDialogsTest::disclaimerAnswers_data() {
  QTest::addColumn<QString>("how");
  QTest::addColumn<bool>("accepted");
  QTest::newRow("I AGREE") << "click" << true;
  QTest::newRow("Enter on I AGREE") << "enter" << true;
  QTest::newRow("space on I AGREE") << "space" << true;
  QTest::newRow("I DISAGREE") << "disagree" << false;
  QTest::newRow("Esc") << "esc" << false;
  QTest::newRow("close box") << "close" << false;
}

void InfoDialogsTest::disclaimerAnswers() {
  QFETCH(QString, how);
  QFETCH(bool, accepted);
  ScriptedPresenter presenter;
  g_bDisclaimerAccepted = true;  // as the document raises it before the showing
  CDisclaimerDlg dlg;
  presenter.answerDialog([&](QDialog& d) { EndBy(d, how); }, -1);
  QCOMPARE(dlg.DoModal(), 1);  // both answers end with result 1
  QCOMPARE(g_bDisclaimerAccepted, accepted);

  // Shown unanswered, the seam closes it as Esc would: a disagreement.
  g_bDisclaimerAccepted = true;
  CDisclaimerDlg again;
  again.DoModal();
  QCOMPARE(g_bDisclaimerAccepted, false);
}

void InfoDialogsTest::instructionsTexts() {
  ScriptedPresenter presenter;
  CInstructionsDlg dlg;
  QStringList texts;
  presenter.answerDialog([&](QDialog& d) { texts = LabelTexts(d); }, 1);
  dlg.DoModal();
  QCOMPARE(texts.size(), 22);
  QCOMPARE(texts.first(), kProgramLine);
  QVERIFY(texts.contains("Edit controls are used to represent gears shown in profile. "));
  for (const char* mark : {"1)", "2)", "3)", "4)", "5)", "A)", "B)"}) QVERIFY(texts.contains(mark));
  QVERIFY(texts.contains(
      "Specify single, double or triple (if applicable) reduction in the combo box labeled \"Choose Number "
      "of Gears\".  Each solution is mutually exclusive in that no single reduction solutions will be shown "
      "within the double reduction solution, etc."));
  QVERIFY(texts.contains("calculated reduction = target reduction +/- convergence range"));
  QVERIFY(texts.contains(
      "The unsorted solutions can also be output to a file by selecting the \"Output to File\" radio button "
      "and inputting the desired file name or selecting \"Browse\".  "));
  QVERIFY(texts.contains(
      "Double-click on any solution to make it appear in the profile view of the gear train.  The spin "
      "control buttons can be used to manipulate the numbers of teeth on individual gears.  The calcuated "
      "gear ratio and difference are updated dynamically."));
}

QTEST_MAIN(InfoDialogsTest)
#include "InfoDialogsTest.moc"
