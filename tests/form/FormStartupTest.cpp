// Start-up of the form inside its frame, on the first document and on a later one, and the
// choice of the output file.

#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "ColorButton.h"
#include "FormDriver.h"
#include "Presenter.h"

using namespace formtest;
using quenmar::ScriptedPresenter;

namespace {

QSettings AppSettings() {
  return QSettings(QStringLiteral("Local AppWizard-Generated Applications"), QStringLiteral("Quenmar"));
}

const QString kCaption = QStringLiteral("                 External Spur Quenmar V1.01");

}  // namespace

class FormStartupTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<ScriptedPresenter> presenter;
  std::unique_ptr<QMainWindow> frame;
  CQuenmarView* form = nullptr;

  void start() {
    form->OnInitialUpdate();
    frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
  }

 private slots:
  void init() {
    AppSettings().remove(QStringLiteral("Features/ContactRatio"));
    presenter = std::make_unique<ScriptedPresenter>();
    frame = std::make_unique<QMainWindow>();
    form = new CQuenmarView(frame.get());
    frame->setCentralWidget(form);
  }
  void cleanup() {
    frame.reset();
    presenter.reset();
  }

  void workingStateAfterStartup() {
    start();
    QCOMPARE(frame->windowTitle(), QStringLiteral("Untitled") + kCaption);
    QCOMPARE(kCaption.size(), 44);
    auto* selector = qobject_cast<QComboBox*>(ByName(*form, QStringLiteral("Choose Number of Gears")));
    QCOMPARE(selector->count(), 6);
    QCOMPARE(selector->currentText(), QStringLiteral("Triple With Equal Compounds"));
    QCOMPARE(selector->itemText(4), QStringLiteral("Double with N1 = N3; N2 = N4"));
    QVERIFY(qobject_cast<QRadioButton*>(form->GetDlgItem(1242))->isChecked());
    QVERIFY(!qobject_cast<QRadioButton*>(form->GetDlgItem(1240))->isChecked());
    QVERIFY(!form->GetDlgItem(1146)->isVisible());
    QVERIFY(!form->GetDlgItem(1146)->isEnabled());
    auto* progress = qobject_cast<QProgressBar*>(form->GetDlgItem(1169));
    QCOMPARE(progress->minimum(), 0);
    QCOMPARE(progress->maximum(), 100);
    QCOMPARE(progress->value(), 0);
    auto* solve = qobject_cast<CColorButton*>(ByName(*form, QStringLiteral("Push To SOLVE")));
    QCOMPARE(solve->FaceColor(), QColor(192, 192, 192));
    QCOMPARE(solve->TextColor(), QColor(0, 0, 0));
    QCOMPARE(solve->DisabledFaceColor(), QColor(255, 255, 255));
    const QDate today = QDate::currentDate();
    QCOMPARE(FieldById(*form, 1237)->text(), QString::number(today.day()));
    QCOMPARE(FieldById(*form, 1238)->text(), QString::number(today.month()));
    QCOMPARE(FieldById(*form, 1239)->text(), QString::number(today.year()));
    for (int g = 0; g < 6; ++g) {
      QCOMPARE(Spin(*form, g)->lower(), 10);
      QCOMPARE(Spin(*form, g)->upper(), 25);
    }
    // The frame is fitted around the whole form.
    QCOMPARE(form->size(), form->sizeHint());
    QVERIFY(presenter->shown().isEmpty());
  }

  void contactRatioSetting_data() {
    QTest::addColumn<QVariant>("setting");
    QTest::addColumn<bool>("shown");
    QTest::newRow("not set") << QVariant() << false;
    QTest::newRow("off") << QVariant(false) << false;
    QTest::newRow("on") << QVariant(true) << true;
  }
  void contactRatioSetting() {
    QFETCH(QVariant, setting);
    QFETCH(bool, shown);
    if (setting.isValid()) AppSettings().setValue(QStringLiteral("Features/ContactRatio"), setting);
    int opened = 0;
    form->SetContactRatioCommand([&opened] { ++opened; });
    start();
    auto* button = qobject_cast<QPushButton*>(ByName(*form, QStringLiteral("Calculate Contact Ratio")));
    QCOMPARE(button->isVisible(), shown);
    QCOMPARE(button->isEnabled(), shown);
    if (shown) {
      QTest::mouseClick(button, Qt::LeftButton);
      QCOMPARE(opened, 1);
    }
  }

  void laterStartupKeepsTypedValues() {
    start();
    QLineEdit* target = Field(*form, QStringLiteral("Target Reduction"));
    TypeInto(target, QStringLiteral("2.5"));
    Leave(*form, target);
    Choose(*form, 1);
    QTest::mouseClick(form->GetDlgItem(1240), Qt::LeftButton);
    QVERIFY(qobject_cast<QRadioButton*>(form->GetDlgItem(1240))->isChecked());
    List(*form)->addItem(QStringLiteral("   0.003     3.627     10     19     11     21"));

    form->SetDocumentTitle(QStringLiteral("Gears.qmr"));
    form->OnInitialUpdate();

    QCOMPARE(Text(*form, QStringLiteral("Target Reduction")), QStringLiteral("2.5"));
    auto* selector = qobject_cast<QComboBox*>(ByName(*form, QStringLiteral("Choose Number of Gears")));
    QCOMPARE(selector->count(), 6);
    QCOMPARE(selector->currentText(), QStringLiteral("Triple With Equal Compounds"));
    QVERIFY(form->m_bTripleEqualCompounds);
    QCOMPARE(List(*form)->count(), 0);
    QVERIFY(qobject_cast<QRadioButton*>(form->GetDlgItem(1242))->isChecked());
    QCOMPARE(frame->windowTitle(), QStringLiteral("Gears.qmr") + kCaption);
    QCOMPARE(Text(*form, QStringLiteral("Difference")), QStringLiteral("     1.500"));
    QCOMPARE(Text(*form, GearName(5, "minimum")), QStringLiteral("10"));
    QVERIFY(Field(*form, GearName(5, "profile"))->isVisible());
  }

  // The instructions command shows its dialog, then writes the form: a text typed but not
  // yet read gives way to the value the form holds.
  void instructionsCommandWritesForm() {
    int shown = 0;
    form->SetInstructionsCommand([&shown] { ++shown; });
    start();
    QLineEdit* target = Field(*form, QStringLiteral("Target Reduction"));
    TypeInto(target, QStringLiteral("7"));
    QVERIFY(form->routeCommand(32773));
    QCOMPARE(shown, 1);
    QCOMPARE(target->text(), QStringLiteral("3.624"));
  }

  void toolTips_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("text");
    const QString profile = QStringLiteral("Number of teeth on this gear; Manipulate value with spin control.");
    QTest::newRow("list") << 1156 << "Double-Click to have solution shown above.";
    for (int id : {1042, 1043, 1044, 1052, 1046, 1045}) QTest::addRow("profile %d", id) << id << profile;
    for (int id : {1106, 1108, 1112, 1113})
      QTest::addRow("minimum %d", id) << id << "Input MINIMUM number of teeth for gear shown below.";
    for (int id : {1109, 1110})
      QTest::addRow("minimum %d", id) << id << "Input MINIMUM number of teeth for gear shown above.";
    for (int id : {1099, 1102, 1105, 1098})
      QTest::addRow("maximum %d", id) << id << "Input MAXIMUM number of teeth for gear shown below.";
    for (int id : {1103, 1104})
      QTest::addRow("maximum %d", id) << id << "Input MAXIMUM number of teeth for gear shown above.";
    QTest::newRow("max solutions") << 1154 << "Input the maximum number of solutions to be found (>0, <500)";
    QTest::newRow("found") << 1155 << "The actual number of solutions found. ";
    QTest::newRow("reduction") << 1061 << "Shows the reduction of the solution shown above.";
    QTest::newRow("target") << 1060 << "Input the desired gear train reduction.";
    QTest::newRow("difference") << 1094 << "Absolute value of target reduction less calculated reduction.";
    QTest::newRow("range") << 1064 << "Input the desired accuracy of Target +/- Convergence Range.";
    QTest::newRow("solve") << 1049 << "Press to find solution.";
    QTest::newRow("maximum legend") << 1180
                                    << "Color code for maximum number of teeth to input for each gear below.";
    QTest::newRow("minimum legend") << 1179
                                    << "Color code for minimum number of teeth to input for each gear below.";
    QTest::newRow("selector") << 1231
                              << "Choose gear train configuration.  Each is mutually exclusive of the other.";
    for (int id : {1172, 1237, 1238, 1239, 1243, 1143, 1146}) QTest::addRow("none on %d", id) << id << "";
  }
  void toolTips() {
    QFETCH(int, id);
    QFETCH(QString, text);
    start();
    form->OnInitialUpdate();
    QCOMPARE(form->GetDlgItem(id)->toolTip(), text);
  }

  void browse_data() {
    QTest::addColumn<QString>("chosen");  // relative to a temporary folder; empty: cancel
    QTest::addColumn<bool>("taken");
    QTest::addColumn<QString>("message");  // "" for none; "path" for the confirmation
    QTest::newRow("accepted") << "a.txt" << true << "path";
    QTest::newRow("not existing yet") << "new.txt" << true << "path";
    QTest::newRow("cancelled") << "" << false << "";
    QTest::newRow("longer than 50 characters") << QString(60, u'x') + QStringLiteral(".txt") << false << "50";
  }
  void browse() {
    QFETCH(QString, chosen);
    QFETCH(bool, taken);
    QFETCH(QString, message);
    start();
    QTemporaryDir folder(QStringLiteral("/tmp/qbr-XXXXXX"));
    QVERIFY(folder.isValid());
    QFile existing(folder.filePath(QStringLiteral("a.txt")));
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.close();
    const QString path = chosen.isEmpty() ? QString() : folder.filePath(chosen);
    const QString before = Text(*form, QStringLiteral("Output file"));

    if (path.isEmpty()) {
      presenter->answerDialog(QDialog::Rejected);
    } else {
      presenter->answerDialog([path](QDialog& dialog) {
        auto& files = static_cast<QFileDialog&>(dialog);
        files.setDirectory(QFileInfo(path).absolutePath());
        files.selectFile(QFileInfo(path).fileName());
      }, QDialog::Accepted);
    }
    QTest::mouseClick(ByName(*form, QStringLiteral("Browse")), Qt::LeftButton);

    const auto dialogs = presenter->dialogs();
    QCOMPARE(dialogs.size(), 1);
    QCOMPARE(dialogs.first().caption, QStringLiteral("Quenmar File Open Dialog"));
    const auto messages = presenter->messages();
    QCOMPARE(Text(*form, QStringLiteral("Output file")), taken ? path : before);
    if (message.isEmpty()) {
      QCOMPARE(messages.size(), 0);
    } else {
      QCOMPARE(messages.size(), 1);
      if (message == QStringLiteral("path"))
        QCOMPARE(messages.first().text, QStringLiteral("Your file name is :") + path);
      else
        QVERIFY2(messages.first().text.contains(message), qPrintable(messages.first().text));
    }
    QVERIFY(qobject_cast<QRadioButton*>(form->GetDlgItem(1242))->isChecked());
    // Whatever happened, the form still reads without complaint.
    presenter->clear();
    QVERIFY(form->UpdateData(true));
    QCOMPARE(presenter->messages().size(), 0);
  }

  void defaultOutputPath_data() {
    QTest::addColumn<QString>("home");
    QTest::addColumn<QString>("expected");
    QTest::newRow("home folder") << "/home/ann" << "/home/ann/Quenmar.txt";
    QTest::newRow("home too long") << "/home/" + QString(40, u'a') << "Quenmar.txt";
  }
  void defaultOutputPath() {
    QFETCH(QString, home);
    const QByteArray saved = qgetenv("HOME");
    qputenv("HOME", home.toLocal8Bit());
    const QString path = CQuenmarView::DefaultOutputPath();
    qputenv("HOME", saved);
    QTEST(path, "expected");
    QVERIFY(path.size() <= 50);
  }
};

QTEST_MAIN(FormStartupTest)
#include "FormStartupTest.moc"
