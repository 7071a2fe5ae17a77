// "Push To SOLVE" driven through the window: rows and their order, the profile and count
// afterwards, the outcome dialogs in order, the results file byte for byte, a file that
// cannot be opened or written, ALT stops, and a window that stays responsive while the
// worker searches.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProgressBar>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

#include "ColorButton.h"
#include "FormDriver.h"
#include "Presenter.h"
#include "SolveCommand.h"
#include "Tone.h"

using namespace formtest;
using quenmar::ScriptedPresenter;
using namespace std::chrono_literals;

namespace {

struct GearLimits {
  int gear, min, max;
};
using Limits = QList<GearLimits>;

const QStringList kDoubleRows{
    "   0.003     3.627     10     19     11     21", "   0.003     3.627     10     21     11     19",
    "   0.003     3.627     11     19     10     21", "   0.003     3.627     11     21     10     19",
    "   0.010     3.614     10     22     14     23", "   0.010     3.614     10     23     14     22",
    "   0.010     3.614     14     22     10     23", "   0.010     3.614     14     23     10     22"};

const QString kDoubleFileRows =
    "   0.003     3.627     10     19     11     21\n   0.003     3.627     10     21     11     19\n"
    "   0.010     3.614     10     22     14     23\n   0.010     3.614     10     23     14     22\n"
    "   0.003     3.627     11     19     10     21\n   0.003     3.627     11     21     10     19\n"
    "   0.010     3.614     14     22     10     23\n   0.010     3.614     14     23     10     22\n";

}  // namespace

Q_DECLARE_METATYPE(Limits)

class SolveCommandTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<ScriptedPresenter> presenter;
  std::unique_ptr<CQuenmarView> form;
  QStringList events;  // the tone and whatever a test records beside it, in order

  QLineEdit* field(const QString& name) { return Field(*form, name); }
  CColorButton* solveButton() { return form->m_btnSolve; }
  QProgressBar* progress() { return form->m_wndProgress; }

  void type(const QString& name, const QString& text) {
    TypeInto(field(name), text);
    Leave(*form, field(name));
  }
  // Maxima first, so that a minimum is never held down by the old maximum.
  void setLimits(const Limits& limits) {
    for (const GearLimits& l : limits) type(GearName(l.gear, "maximum"), QString::number(l.max));
    for (const GearLimits& l : limits) type(GearName(l.gear, "minimum"), QString::number(l.min));
  }
  void setUp(int configuration, const Limits& limits, const QString& target, const QString& cap) {
    Choose(*form, configuration);
    setLimits(limits);
    type(QStringLiteral("Target Reduction"), target);
    type(QStringLiteral("Max # of Solutions"), cap);
  }
  void outputToFile(const QString& path) {
    QTest::mouseClick(form->m_btnOutputToFile, Qt::LeftButton);
    type(QStringLiteral("Output file"), path);
  }
  QStringList rows() {
    QStringList out;
    for (int i = 0; i < List(*form)->count(); ++i) out << List(*form)->item(i)->text();
    return out;
  }
  QStringList shownDialogs() {
    QStringList out;
    for (const auto& shown : presenter->dialogs()) out << shown.dialogClass;
    return out;
  }
  QStringList profile(int gears) {
    QStringList out;
    for (int g = 0; g < gears; ++g) out << Text(*form, GearName(g, "profile"));
    return out;
  }
  void click() { QTest::mouseClick(solveButton(), Qt::LeftButton); }
  // Waits for the run started by the last click to end.
  bool waitForEnd(QSignalSpy& spy, int timeoutMs = 20000) {
    return spy.count() > 0 || spy.wait(timeoutMs);
  }
  bool solve() {
    QSignalSpy spy(&form->SolveCommand(), &CSolveCommand::finished);
    click();
    return waitForEnd(spy);
  }
  static QByteArray read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
  }
  QString header(const char* method, const char* target, int cap) {
    return QStringLiteral(
               "Quenmar V1.01\nDate: %1/%2/%3\nSolutions Are Not Sorted\nMethod = %4\n"
               "Target Reduction = %5\nConvergence Range = +/-    0.01000\n"
               "Maximum Number of Solutions = %6\n"
               " Difference Reduction  N1     N2     N3     N4\n")
        .arg(form->m_nMonth).arg(form->m_nDay).arg(form->m_nYear)
        .arg(QString::fromLatin1(method), QString::fromLatin1(target))
        .arg(cap, 5);
  }

 private slots:
  void init() {
    presenter = std::make_unique<ScriptedPresenter>();
    form = std::make_unique<CQuenmarView>();
    form->OnInitialUpdate();
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    events.clear();
    form->SolveCommand().SetTone([this] { events << QStringLiteral("tone"); });
  }
  void cleanup() {
    form.reset();
    presenter.reset();
  }

  void outcomes_data() {
    QTest::addColumn<int>("configuration");
    QTest::addColumn<Limits>("limits");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("cap");
    QTest::addColumn<QStringList>("expectedRows");
    QTest::addColumn<QStringList>("expectedProfile");
    QTest::addColumn<QString>("reduction");
    QTest::addColumn<QString>("difference");
    QTest::addColumn<QStringList>("dialogs");

    const Limits doubleDefaults{};
    QTest::newRow("single reduction")
        << 0 << Limits{{0, 5, 12}, {1, 10, 40}} << "3.624" << "100"
        << QStringList{"   0.001     3.625      8     29"} << QStringList{"8", "29"}
        << "         3.625" << "     0.001" << QStringList{};
    QTest::newRow("double reduction")
        << 1 << doubleDefaults << "3.624" << "100" << kDoubleRows
        << QStringList{"10", "19", "11", "21"} << "         3.627" << "     0.003" << QStringList{};
    QTest::newRow("exactly the cap is maximum reached")
        << 1 << doubleDefaults << "3.624" << "8" << kDoubleRows
        << QStringList{"10", "19", "11", "21"} << "         3.627" << "     0.003"
        << QStringList{"CMaxSolutionsDlg"};
    QTest::newRow("the cap ends the search")
        << 1 << doubleDefaults << "3.624" << "3" << kDoubleRows.mid(0, 2) + kDoubleRows.mid(4, 1)
        << QStringList{"10", "19", "11", "21"} << "         3.627" << "     0.003"
        << QStringList{"CMaxSolutionsDlg"};
    QTest::newRow("no train reaches the target")
        << 1 << doubleDefaults << "1000" << "100" << QStringList{}
        << QStringList{"10", "10", "10", "10"} << "         1.000" << "   999.000"
        << QStringList{"CNoConvergenceDlg"};
    QTest::newRow("maximum 0")
        << 1 << doubleDefaults << "3.624" << "0" << QStringList{}
        << QStringList{"10", "10", "10", "10"} << "         1.000" << "     2.624"
        << QStringList{"CNoConvergenceDlg", "CMaxSolutionsDlg"};
  }
  void outcomes() {
    QFETCH(int, configuration);
    QFETCH(Limits, limits);
    QFETCH(QString, target);
    QFETCH(QString, cap);
    QFETCH(QStringList, expectedRows);
    QFETCH(QStringList, expectedProfile);
    QFETCH(QString, reduction);
    QFETCH(QString, difference);
    QFETCH(QStringList, dialogs);

    setUp(configuration, limits, target, cap);
    presenter->clear();
    QVERIFY(solve());

    QCOMPARE(rows(), expectedRows);
    QCOMPARE(profile(int(expectedProfile.size())), expectedProfile);
    QCOMPARE(Text(*form, "Reduction Shown Above"), reduction);
    QCOMPARE(Text(*form, "Difference"), difference);
    QCOMPARE(Text(*form, "# of Solutions Found"), QString::number(expectedRows.size()));
    QCOMPARE(shownDialogs(), dialogs);
    QCOMPARE(events, QStringList{"tone"});
    QCOMPARE(progress()->value(), 0);
    QVERIFY(solveButton()->isEnabled());
    QVERIFY(field("Target Reduction")->isEnabled());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    // No control that takes input keeps the focus: it is on the label "N2", or, where the
    // configuration hides that label, on no control of the form.
    QWidget* focus = QApplication::focusWidget();
    QVERIFY2(focus == form->GetDlgItem(1182) || !form->isAncestorOf(focus),
             qPrintable(focus ? focus->objectName() : QString()));
    // The gears beyond the family hold equal pairs wherever the loops left them.
    if (configuration == 1) QCOMPARE(form->m_nProfileTeeth[4], form->m_nProfileTeeth[5]);
  }

  // Rows whose differences print alike are ordered by their printed reductions, then by
  // teeth, so a new run lists rows in the same order whatever order they arrive in.
  void listKeepsRowOrder() {
    form->InsertSolutionRows({"   0.001     3.625     10     10", "   0.001     3.623      9     10",
                              "   0.000     3.624     12     10", "  10.000    13.624      1      2"});
    QCOMPARE(rows(), (QStringList{"   0.000     3.624     12     10", "   0.001     3.623      9     10",
                                  "   0.001     3.625     10     10", "  10.000    13.624      1      2"}));
  }

  // Reductions and differences that lie exactly halfway between two printed values (trains
  // of sixteenths) read the same in the profile, the list and the results file: rounded to
  // the even digit, as printf rounds.
  void halfwayValuesReadAlikeEverywhere() {
    const struct {
      int n1, n2;
      const char* target;
      const char* reduction;
      const char* difference;
    } trains[] = {{16, 17, "1", "1.062", "0.062"},  // the limits only ever grow
                  {16, 19, "1.125", "1.188", "0.062"},
                  {16, 21, "1", "1.312", "0.312"},
                  {16, 33, "1.9375", "2.062", "0.125"}};
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Quenmar.txt"));
    for (const auto& t : trains) {
      setUp(0, {{0, t.n1, t.n1}, {1, t.n2, t.n2}}, QString::fromLatin1(t.target), "100");
      type(QStringLiteral("Convergence Range"), QStringLiteral("0.5"));
      const QString reduction = QStringLiteral("%1").arg(QString::fromLatin1(t.reduction), 14);
      const QString difference = QStringLiteral("%1").arg(QString::fromLatin1(t.difference), 10);
      const QString row = QStringLiteral("%1%2%3%4")
                              .arg(QString::fromLatin1(t.difference), 8)
                              .arg(QString::fromLatin1(t.reduction), 10)
                              .arg(t.n1, 7)
                              .arg(t.n2, 7);
      QCOMPARE(Text(*form, "Reduction Shown Above") + Text(*form, "Difference"), reduction + difference);
      QVERIFY(solve());
      QCOMPARE(rows(), QStringList{row});
      QCOMPARE(Text(*form, "Reduction Shown Above") + Text(*form, "Difference"), reduction + difference);

      outputToFile(path);
      QVERIFY(solve());
      QVERIFY2(QString::fromLatin1(read(path)).contains("\n" + row + "\n"), qPrintable(row));
      QTest::mouseClick(form->m_btnOutputToList, Qt::LeftButton);
    }
  }

  void resultsFile_data() {
    QTest::addColumn<QString>("cap");
    QTest::addColumn<QString>("tail");
    QTest::addColumn<QStringList>("dialogs");
    QTest::newRow("eight solutions, cap 8")
        << "8"
        << kDoubleFileRows + "The number of solutions found was: 8\n"
               "Maximum number of solutions was found.  Other solutions may exist.\n"
        << QStringList{"CMaxSolutionsDlg"};
    QTest::newRow("eight solutions, cap 100")
        << "100" << kDoubleFileRows + "The number of solutions found was: 8\n" << QStringList{};
    QTest::newRow("maximum 0")
        << "0"
        << QStringLiteral("The number of solutions found was: 0\nNo solutions were found\n"
                          "Maximum number of solutions was found.  Other solutions may exist.\n")
        << QStringList{"CNoConvergenceDlg", "CMaxSolutionsDlg"};
  }
  void resultsFile() {
    QFETCH(QString, cap);
    QFETCH(QString, tail);
    QFETCH(QStringList, dialogs);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Quenmar.txt"));
    QFile stale(path);
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.write(QByteArray(4000, 'x'));  // a longer old file must not show through
    stale.close();

    setUp(1, {}, "3.624", cap);
    outputToFile(path);
    presenter->clear();
    QVERIFY(solve());

    QCOMPARE(QString::fromLatin1(read(path)), header("Double Reduction", "     3.624", cap.toInt()) + tail);
    QCOMPARE(rows(), QStringList{});
    QCOMPARE(profile(4), (QStringList{"10", "10", "10", "10"}));
    QCOMPARE(Text(*form, "Reduction Shown Above"), QStringLiteral("         1.000"));
    QCOMPARE(shownDialogs(), dialogs);
    QVERIFY(presenter->messages().isEmpty());
  }

  // A file that cannot be opened stops the command before anything changes; one that fails
  // while being written is reported after the run, never passed over.
  void fileFailures_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("searched");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing folder") << "/nonexistent-quenmar-dir/Quenmar.txt" << false
        << "The results file \"/nonexistent-quenmar-dir/Quenmar.txt\" cannot be opened for "
           "writing: No such file or directory.\nThe search was not run.";
    QTest::newRow("a folder") << "/tmp" << false
        << "The results file \"/tmp\" cannot be opened for writing: Is a directory.\n"
           "The search was not run.";
    QTest::newRow("device full") << "/dev/full" << true
        << "The results file \"/dev/full\" was not written completely: No space left on device.";
  }
  void fileFailures() {
    QFETCH(QString, path);
    QFETCH(bool, searched);
    QFETCH(QString, message);
    setUp(1, {}, "3.624", "100");
    outputToFile(path);
    List(*form)->addItem(QStringLiteral("   0.005     3.629     10     10     10     10"));
    presenter->clear();
    QVERIFY(solve());

    QCOMPARE(presenter->messages().size(), 1);
    QCOMPARE(presenter->messages().first().text, message);
    QCOMPARE(List(*form)->count(), searched ? 0 : 1);
    QCOMPARE(events, searched ? QStringList{"tone"} : QStringList{});
    QCOMPARE(Text(*form, "# of Solutions Found"), searched ? QStringLiteral("8") : QStringLiteral("0"));
    QVERIFY(solveButton()->isEnabled());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
  }

  // A stop key pressed as soon as the search starts: the stop is told first, then that
  // nothing was found. Other keys leave the search alone.
  void stopKeys_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QStringList>("dialogs");
    QTest::addColumn<int>("rowCount");
    const QStringList stopped{"CCalcStoppedDlg", "CNoConvergenceDlg"};
    QTest::newRow("ALT alone") << int(Qt::Key_Alt) << int(Qt::AltModifier) << stopped << 0;
    QTest::newRow("a key with ALT held") << int(Qt::Key_X) << int(Qt::AltModifier) << stopped << 0;
    QTest::newRow("F10") << int(Qt::Key_F10) << int(Qt::NoModifier) << stopped << 0;
    QTest::newRow("a plain key") << int(Qt::Key_X) << int(Qt::NoModifier) << QStringList{} << 4;
    QTest::newRow("a key with CTRL held") << int(Qt::Key_X) << int(Qt::ControlModifier) << QStringList{} << 4;
  }
  void stopKeys() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QStringList, dialogs);
    QFETCH(int, rowCount);
    setUp(1, {{0, 10, 10}}, "3.624", "100");
    form->SolveCommand().SetStepDelay(30ms);
    presenter->clear();
    QSignalSpy spy(&form->SolveCommand(), &CSolveCommand::finished);
    click();
    QVERIFY(form->IsSolving());
    QTest::keyClick(List(*form), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QVERIFY(waitForEnd(spy));
    QCOMPARE(shownDialogs(), dialogs);
    QCOMPARE(List(*form)->count(), rowCount);
    QCOMPARE(Text(*form, "# of Solutions Found"), QString::number(rowCount));
    QCOMPARE(events, QStringList{"tone"});
  }

  // A stopped run with file output: the old file stays whole while the run goes, and the
  // new one says after its outcome lines that the search was stopped.
  void stoppedRunToFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Quenmar.txt"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("the previous run\n");
    old.close();
    setUp(1, {{0, 10, 10}}, "3.624", "100");
    outputToFile(path);
    form->SolveCommand().SetStepDelay(30ms);
    presenter->clear();
    QSignalSpy spy(&form->SolveCommand(), &CSolveCommand::finished);
    click();
    QVERIFY(form->IsSolving());
    QCOMPARE(read(path), QByteArray("the previous run\n"));
    QTest::keyClick(List(*form), Qt::Key_Alt, Qt::AltModifier);
    QVERIFY(waitForEnd(spy));
    QCOMPARE(QString::fromLatin1(read(path)),
             header("Double Reduction", "     3.624", 100) +
                 "The number of solutions found was: 0\nNo solutions were found\n"
                 "The search was stopped before it finished\n");
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Quenmar.txt"});
  }

  // ALT during a search: the rows found so far stay; the stop is told before the progress
  // bar is reset and before the tone; while it searches the inputs are off and a second
  // press of the button starts nothing.
  void altDuringSearch() {
    setUp(1, {{0, 10, 13}}, "3.624", "100");
    form->SolveCommand().SetStepDelay(30ms);
    presenter->answerDialog([this](QDialog&) {
      events << QStringLiteral("dialog at %1").arg(progress()->value());
    });
    connect(progress(), &QProgressBar::valueChanged, this, [this](int value) {
      if (value == 0) events << QStringLiteral("progress reset");
    });
    QSignalSpy spy(&form->SolveCommand(), &CSolveCommand::finished);
    click();
    QVERIFY(!solveButton()->isEnabled());
    QVERIFY(!field("Target Reduction")->isEnabled());
    QVERIFY(!field(GearName(0, "minimum"))->isEnabled());
    QVERIFY(List(*form)->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(progress()->value() > 0, 15000);
    QCOMPARE(List(*form)->count(), 6);
    form->OnSolve();  // as a second press would: ignored, the list is not emptied
    QCOMPARE(List(*form)->count(), 6);

    QTest::keyClick(form.get(), Qt::Key_Alt, Qt::AltModifier);
    QVERIFY(waitForEnd(spy));
    QCOMPARE(events, (QStringList{"dialog at 33", "progress reset", "tone"}));
    QCOMPARE(rows(), kDoubleRows.mid(0, 6));
    QCOMPARE(Text(*form, "# of Solutions Found"), QStringLiteral("6"));
    QCOMPARE(shownDialogs(), QStringList{"CCalcStoppedDlg"});
    QCOMPARE(profile(4), (QStringList{"10", "19", "11", "21"}));
    QVERIFY(solveButton()->isEnabled());
    QCOMPARE(form->focusWidget(), form->GetDlgItem(1182));
  }

  // A long search over every gear 1..500 (kept long by a pause at each message step): timers
  // fire and the window repaints on the user-interface thread while the worker searches,
  // and ALT ends it promptly.
  void windowStaysResponsive() {
    Limits everyGear;
    for (int g = 0; g < 6; ++g) everyGear << GearLimits{g, 1, 500};
    setUp(5, everyGear, "3.14159", "500");
    type(QStringLiteral("Convergence Range"), "0");
    form->SolveCommand().SetStepDelay(200us);
    int ticks = 0;
    int paints = 0;
    struct PaintCounter : QObject {
      int& count;
      explicit PaintCounter(int& c) : count(c) {}
      bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++count;
        return false;
      }
    } counter(paints);
    progress()->installEventFilter(&counter);
    QTimer timer;
    connect(&timer, &QTimer::timeout, this, [&] {
      ++ticks;
      progress()->update();
    });
    timer.start(20);

    QSignalSpy spy(&form->SolveCommand(), &CSolveCommand::finished);
    click();
    QTest::qWait(500);
    QVERIFY(form->IsSolving());
    QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));
    QVERIFY2(paints >= 5, qPrintable(QString::number(paints)));

    QElapsedTimer sinceAlt;
    sinceAlt.start();
    QTest::keyClick(form.get(), Qt::Key_Alt, Qt::AltModifier);
    QVERIFY(waitForEnd(spy));
    QVERIFY2(sinceAlt.elapsed() < 2000, qPrintable(QString::number(sinceAlt.elapsed())));
    QCOMPARE(presenter->dialogs().first().dialogClass, QStringLiteral("CCalcStoppedDlg"));
    progress()->removeEventFilter(&counter);
  }

  // Sounding the tone never holds up the end of a run: it plays on its own (or is skipped
  // where there is no audio output) and Play returns long before the tone would be over. The
  // tone is long so that a busy machine's slow start of the audio output is not taken for
  // waiting.
  void toneDoesNotWait() {
    CTonePlayer player;
    for (int i = 0; i < 2; ++i) {
      QElapsedTimer timer;
      timer.start();
      player.Play(400, 3000);
      QVERIFY2(timer.elapsed() < 1500, qPrintable(QString::number(timer.elapsed())));
    }
  }

  // The tone's samples: the right length and pitch for the formats an output may ask for.
  void toneSamples_data() {
    QTest::addColumn<int>("sampleFormat");
    QTest::addColumn<int>("channels");
    QTest::newRow("16-bit mono") << int(QAudioFormat::Int16) << 1;
    QTest::newRow("float stereo") << int(QAudioFormat::Float) << 2;
    QTest::newRow("32-bit mono") << int(QAudioFormat::Int32) << 1;
  }
  void toneSamples() {
    QFETCH(int, sampleFormat);
    QFETCH(int, channels);
    QAudioFormat format;
    format.setSampleRate(48000);
    format.setChannelCount(channels);
    format.setSampleFormat(QAudioFormat::SampleFormat(sampleFormat));
    const QByteArray samples = CTonePlayer::Samples(format, 400, 50);
    QCOMPARE(samples.size(), 2400 * channels * format.bytesPerSample());
    // 20 periods of 400 Hz in 50 ms: 39 or 40 sign changes in the first channel.
    int changes = 0;
    double previous = 0.0;
    for (int i = 0; i < 2400; ++i) {
      const char* at = samples.constData() + i * channels * format.bytesPerSample();
      const double value = format.normalizedSampleValue(at);
      if (value != 0.0 && previous != 0.0 && (value > 0) != (previous > 0)) ++changes;
      if (value != 0.0) previous = value;
    }
    QVERIFY2(changes >= 38 && changes <= 40, qPrintable(QString::number(changes)));
  }
};

QTEST_MAIN(SolveCommandTest)
#include "SolveCommandTest.moc"
