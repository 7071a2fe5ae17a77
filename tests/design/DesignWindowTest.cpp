// The design window driven as a person would, offscreen: searches found and drawn, sorting,
// Stop, checks as typed, exports equal to quenmar-solve's, setups saved and reopened.
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <algorithm>
#include <numeric>

#include "DesignDriver.h"
#include "DesignReference.h"
#include "DesignSetup.h"
#include "TrainDrawing.h"
#include "TrainLayout.h"
#include "TrainTableModel.h"

using namespace designtest;
using namespace quenmar;
using namespace quenmar::design;

namespace {

const QString kDefaultTargetHint = QStringLiteral("A decimal, or a fraction such as 127/90.");

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void WriteText(const QString& path, const QByteArray& text) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(text);
}

void TypeSpin(const QWidget& window, const QString& name, int value) {
  auto* spin = Find<QSpinBox>(window, name);
  spin->setFocus(Qt::TabFocusReason);
  spin->selectAll();
  QTest::keyClicks(spin, QString::number(value));
}

void Tick(const QWidget& window, const QString& name, bool on) {
  auto* box = Find<QCheckBox>(window, name);
  if (box->isChecked() != on) QTest::keyClick(box, Qt::Key_Space);
}

TrainTableModel* Model(const QWidget& window) {
  return static_cast<TrainTableModel*>(Results(window)->model());
}

// What the reference lists for the window's query: sorted by exact difference, ties in
// loop order, at most 10000 (the window's Max trains).
DesignQuery Query(int configuration, std::vector<int> lo, std::vector<int> hi, const char* target,
                  const char* tolerance = nullptr) {
  DesignQuery q;
  q.configuration = configuration;
  q.stages = configuration == kConfigurationCount ? static_cast<int>(lo.size() / 2) : 0;
  q.minTeeth = std::move(lo);
  q.maxTeeth = std::move(hi);
  q.target = std::get<Rational>(ParseTarget(target));
  if (tolerance) q.tolerance = std::get<Tolerance>(ParseTolerance(tolerance));
  q.maxSolutions = 10000;
  q.sort = SortOrder::Difference;
  return q;
}

std::vector<std::vector<int>> Expected(const DesignQuery& q) {
  std::vector<std::vector<int>> teeth;
  for (const DesignTrain& t : reference::ReferenceSearch(q).trains) teeth.push_back(t.teeth);
  return teeth;
}

// |R - T| of a train of the query, exactly.
mpq_class Gap(const DesignQuery& q, const std::vector<int>& teeth) {
  return abs(reference::ReductionOf(q, teeth) - reference::Exact(q.target));
}

}  // namespace

class DesignWindowTest : public QObject {
  Q_OBJECT
  std::deque<QString> m_answers;
  QStringList m_errors;
  QTemporaryDir m_files;

  std::unique_ptr<DesignWindow> Open() {
    auto window = std::make_unique<DesignWindow>(std::make_unique<ScriptedPrompter>(&m_answers, &m_errors));
    window->show();
    QApplication::setActiveWindow(window.get());
    [&] { QVERIFY(QTest::qWaitForWindowActive(window.get())); }();
    return window;
  }
  QString File(const QString& name) const { return m_files.filePath(name); }

 private slots:
  void init() {
    QSettings(QStringLiteral("Quenmar"), QStringLiteral("Quenmar Design")).clear();
    m_answers.clear();
    m_errors.clear();
  }

  // A clock's motion work of 12 whose output lines up with its input and whose meshes hunt.
  void motionWorkHuntingCoaxialFoundAndDrawn() {
    auto w = Open();
    Choose(*w, "Configuration", 1);
    TypeRanges(*w, {8, 30, 8, 30}, {40, 130, 40, 130});
    TypeInto(*w, "Target", "12");
    TypeInto(*w, "Tolerance", "0.002");
    Tick(*w, "Hunting tooth", true);
    Tick(*w, "Coaxial", true);
    QTest::keyClick(Find<QLineEdit>(*w, "Target"), Qt::Key_Return);
    QVERIFY(w->Searching());
    QVERIFY(!Find<QWidget>(*w, "Target")->isEnabled());
    QVERIFY(WaitFinished(*w));

    DesignQuery q = Query(1, {8, 30, 8, 30, 10, 10}, {40, 130, 40, 130, 10, 10}, "12", "0.002");
    q.huntingTooth = q.coaxial = true;
    const auto expected = Expected(q);
    QCOMPARE(Rows(*w), expected);
    QVERIFY(!expected.empty());
    QCOMPARE(Status(*w), QStringLiteral("%1 trains; finished").arg(expected.size()));
    QCOMPARE(Find<QProgressBar>(*w, "Progress")->value(), 100);

    // The best train is drawn at once, coaxial; the drawing follows the selection and the module.
    auto* drawing = Find<TrainDrawing>(*w, "Train drawing");
    QCOMPARE(drawing->Teeth(), expected[0]);
    QVERIFY(LayOutTrain(drawing->Teeth(), 1.0).coaxial);
    QTableView* table = Results(*w);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                      table->visualRect(table->model()->index(1, 0)).center());
    QCOMPARE(drawing->Teeth(), expected[1]);
    TypeInto(*w, "Module", "2.5");
    QCOMPARE(drawing->Module(), 2.5);
    TypeInto(*w, "Module", "0");  // refused: the drawing keeps the last good module
    QCOMPARE(drawing->Module(), 2.5);

    // Rows copied as shown, one line each, tab-separated.
    table->setFocus();
    table->selectRow(0);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                      table->visualRect(table->model()->index(1, 0)).center());
    QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
    QString copied;
    for (int r = 0; r < 2; ++r) {
      QStringList cells;
      for (int c = 0; c < table->model()->columnCount(); ++c) cells << table->model()->index(r, c).data().toString();
      copied += cells.join('\t') + '\n';
    }
    QCOMPARE(QApplication::clipboard()->text(), copied);

    // The drawing exported as SVG and PNG; another suffix is refused with a message.
    TypeInto(*w, "Module", "1");
    m_answers = {File("train.svg"), File("train.png"), File("train.gif")};
    for (int i = 0; i < 3; ++i) QTest::mouseClick(Find<QPushButton>(*w, "Export drawing"), Qt::LeftButton);
    QVERIFY(ReadAll(File("train.svg")).contains("<svg"));
    QVERIFY(ReadAll(File("train.svg")).contains("N2  " + QByteArray::number(expected[1][1])));
    QCOMPARE(QImage(File("train.png")).size(), QSize(1800, 1200));
    QCOMPARE(m_errors.size(), 1);
    QVERIFY(m_errors[0].contains(".svg or .png"));
    QVERIFY(!QFile::exists(File("train.gif")));
  }

  // The ten triple trains closest to pi, ranked exactly; any column sorts, and back.
  void bestTenTripleForPiSortedByDifference() {
    auto w = Open();
    Choose(*w, "Configuration", 6);
    const std::vector<int> lo{8, 12, 8, 12, 8, 12}, hi{15, 36, 15, 36, 15, 36};
    TypeRanges(*w, lo, hi);
    TypeInto(*w, "Target", "3.14159265358979");
    TypeSpin(*w, "Best", 10);
    TypeInto(*w, "Tolerance", "");
    QCOMPARE(Message(*w, "Tolerance"), QStringLiteral("A decimal in the unit beside it; may be empty when Best is above 0."));
    QTest::mouseClick(Find<QPushButton>(*w, "Search"), Qt::LeftButton);
    QVERIFY(WaitFinished(*w));

    DesignQuery q = Query(6, lo, hi, "3.14159265358979");
    q.best = 10;
    const auto all = Expected(q);
    const auto rows = Rows(*w);
    QCOMPARE(rows.size(), std::size_t{10});
    for (std::size_t i = 0; i < rows.size(); ++i)  // the same differences as the ten best (ties may swap)
      QVERIFY(Gap(q, rows[i]) == Gap(q, all[i]));
    QCOMPARE(Status(*w), QStringLiteral("10 trains; finished"));

    QHeaderView* header = Results(*w)->horizontalHeader();
    const int n1 = TrainTableModel::FirstGear;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(n1) + 5, 5));
    auto byN1 = Rows(*w);
    QVERIFY(std::is_sorted(byN1.begin(), byN1.end(), [](auto& a, auto& b) { return a[0] < b[0]; }));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(n1) + 5, 5));
    byN1 = Rows(*w);
    QVERIFY(std::is_sorted(byN1.begin(), byN1.end(), [](auto& a, auto& b) { return a[0] > b[0]; }));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(0) + 5, 5));
    if (header->sortIndicatorOrder() != Qt::AscendingOrder)
      QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(0) + 5, 5));
    QCOMPARE(Rows(*w), rows);
  }

  // A free train of four stages: every train within the tolerance, against brute force.
  void freeFourStageTrain() {
    auto w = Open();
    Choose(*w, "Configuration", kConfigurationCount);  // "Free train of K stages"
    QVERIFY(Find<QWidget>(*w, "Stages")->isEnabled());
    TypeSpin(*w, "Stages", 4);
    QCOMPARE(Find<QTableWidget>(*w, "Teeth ranges")->rowCount(), 8);
    const std::vector<int> lo{8, 20, 8, 20, 8, 20, 8, 20}, hi{10, 30, 10, 30, 10, 30, 10, 30};
    TypeRanges(*w, lo, hi);
    TypeInto(*w, "Target", "100");
    TypeInto(*w, "Tolerance", "0.05");
    QTest::keyClick(Find<QLineEdit>(*w, "Tolerance"), Qt::Key_Enter);
    QVERIFY(WaitFinished(*w));
    const auto expected = Expected(Query(kConfigurationCount, lo, hi, "100", "0.05"));
    QVERIFY(!expected.empty());
    QCOMPARE(Rows(*w), expected);
    QCOMPARE(Results(*w)->model()->headerData(TrainTableModel::FirstGear + 7, Qt::Horizontal).toString(), QStringLiteral("N8"));
    const TrainLayout layout = LayOutTrain(Find<TrainDrawing>(*w, "Train drawing")->Teeth(), 1.0);
    QCOMPARE(layout.stages.size(), std::size_t{4});
  }

  // The gears of a lathe's change-gear set read from a file; only they make the trains.
  void ownedGearsFromFile() {
    auto w = Open();
    WriteText(File("set.txt"), "# change gears\n20 25 30 35 40 45 50 55 60 65 70\n"
                               "75, 80, 85, 90, 95, 100, 105, 110, 115, 120\n127  # transposing\n");
    WriteText(File("bad.txt"), "20, 25\n30 600\n");
    m_answers = {File("bad.txt"), File("set.txt")};
    QTest::mouseClick(Find<QPushButton>(*w, "Read gears file"), Qt::LeftButton);
    QCOMPARE(m_errors.size(), 1);
    QVERIFY2(m_errors[0].contains("bad.txt") && m_errors[0].contains('2'), qPrintable(m_errors[0]));
    QCOMPARE(Find<QLineEdit>(*w, "Owned gears")->text(), QString());
    QTest::mouseClick(Find<QPushButton>(*w, "Read gears file"), Qt::LeftButton);
    std::vector<int> set;
    for (int t = 20; t <= 120; t += 5) set.push_back(t);
    set.push_back(127);
    QStringList listed;
    for (int t : set) listed << QString::number(t);
    QCOMPARE(Find<QLineEdit>(*w, "Owned gears")->text(), listed.join(','));

    Choose(*w, "Configuration", kConfigurationCount);
    TypeSpin(*w, "Stages", 2);
    TypeRanges(*w, {20, 20, 20, 20}, {127, 127, 127, 127});
    TypeInto(*w, "Target", "127/100");
    TypeSpin(*w, "Best", 20);
    QTest::keyClick(Find<QLineEdit>(*w, "Target"), Qt::Key_Return);
    QVERIFY(WaitFinished(*w));

    DesignQuery q = Query(kConfigurationCount, {20, 20, 20, 20}, {127, 127, 127, 127}, "127/100", "0.01");
    q.best = 20;
    q.ownedGears = set;
    const auto all = Expected(q);
    const auto rows = Rows(*w);
    QCOMPARE(rows.size(), std::size_t{20});
    QVERIFY(Gap(q, rows[0]) == 0);
    for (std::size_t i = 0; i < rows.size(); ++i) QVERIFY(Gap(q, rows[i]) == Gap(q, all[i]));
  }

  // Stop (Escape or the button) during a wide search keeps what was found and says so.
  // Some searches hand on their trains only when they end or are stopped, so the wait
  // before stopping grows until a stop finds trains to keep.
  void stopKeepsRowsAndSaysStopped() {
    for (bool byEscape : {true, false}) {
      auto w = Open();
      Choose(*w, "Configuration", kConfigurationCount);  // six free stages of 1..500 teeth
      TypeSpin(*w, "Stages", 6);
      TypeRanges(*w, std::vector<int>(12, 1), std::vector<int>(12, 500));
      TypeInto(*w, "Target", "3.14159265358979");
      TypeInto(*w, "Tolerance", "0.0000000001");
      TypeSpin(*w, "Max trains", 5000000);
      int kept = 0;
      for (int wait = 250; kept == 0 && wait <= 16000; wait *= 2) {
        QTest::keyClick(Find<QLineEdit>(*w, "Tolerance"), Qt::Key_Return);
        QVERIFY(w->Searching());
        QVERIFY(Find<QPushButton>(*w, "Stop")->isEnabled());
        QVERIFY(!Find<QPushButton>(*w, "Search")->isEnabled());
        (void)QTest::qWaitFor([&] { return Model(*w)->rowCount() > 0; }, wait);  // rows may come only at the stop
        if (byEscape) QTest::keyClick(Results(*w), Qt::Key_Escape);
        else QTest::mouseClick(Find<QPushButton>(*w, "Stop"), Qt::LeftButton);
        QVERIFY(WaitFinished(*w));
        kept = Model(*w)->rowCount();
        QCOMPARE(Status(*w), kept == 1 ? QStringLiteral("1 train; stopped") : QStringLiteral("%1 trains; stopped").arg(kept));
      }
      QVERIFY(kept > 0);
      QVERIFY(Find<QProgressBar>(*w, "Progress")->value() < 100);
      QVERIFY(Find<QPushButton>(*w, "Search")->isEnabled());
      QVERIFY(!Find<QPushButton>(*w, "Stop")->isEnabled());
      m_answers = {File("stopped.json")};
      QTest::keyClick(Results(*w), Qt::Key_E, Qt::ControlModifier);
      const QByteArray json = ReadAll(File("stopped.json"));
      QVERIFY(json.contains("\"stopped\": true") || json.contains("\"stopped\":true"));
      // A file that cannot be written is reported with its path, never as written.
      m_errors.clear();
      m_answers = {File("missing/trains.csv")};
      QTest::keyClick(Results(*w), Qt::Key_E, Qt::ControlModifier);
      QCOMPARE(m_errors.size(), 1);
      QVERIFY2(m_errors[0].startsWith(File("missing/trains.csv") + " cannot be written"), qPrintable(m_errors[0]));
      QVERIFY(!Status(*w).contains("missing"));
    }
  }

  // Each input says what is wrong as it is typed, and Search waits until it is right.
  void invalidInputsDisableSearch() {
    auto w = Open();
    struct Case { const char* input; const char* bad; const char* good; const char* says; };
    const Case cases[] = {
        {"Target", "abc", "3.624", ""},
        {"Target", "1/0", "127/90", ""},
        {"Target", "", "3.624", ""},
        {"Tolerance", "5ppm", "5", "a decimal such as 0.01; choose its unit beside it"},
        {"Tolerance", "", "0.01", "a tolerance is needed unless Best is above 0"},
        {"Tolerance", "0.0.1", "0.01", ""},
        {"Owned gears", "20,600", "20,30", ""},
        {"Owned gears", "20;30", "", ""},
        {"Module", "0", "1.5", "a module in millimetres above 0, up to 100, such as 1.5"},
        {"Module", "-1", "1", "a module in millimetres above 0, up to 100, such as 1.5"},
    };
    auto* search = Find<QPushButton>(*w, "Search");
    for (const Case& c : cases) {
      const QString hint = Message(*w, c.input);
      TypeInto(*w, c.input, c.bad);
      QVERIFY2(!search->isEnabled(), c.bad);
      const QString message = Message(*w, c.input);
      QVERIFY2(!message.isEmpty() && message != hint, c.bad);
      if (*c.says) QCOMPARE(message, QString::fromLatin1(c.says));
      QTest::keyClick(Find<QWidget>(*w, c.input), Qt::Key_Return);
      QVERIFY2(!w->Searching(), c.bad);
      TypeInto(*w, c.input, c.good);
      QVERIFY2(search->isEnabled(), c.good);
      QCOMPARE(Message(*w, c.input), hint);
    }
    QCOMPARE(Message(*w, "Target"), kDefaultTargetHint);

    struct TeethCase { int gear, column, bad; const char* says; };
    const TeethCase teeth[] = {{0, 0, 0, "N1 minimum: a whole number of teeth from 1 to 500"},
                               {2, 1, 501, "N3 maximum: a whole number of teeth from 1 to 500"},
                               {5, 0, 30, "N6: the minimum is above the maximum"}};
    for (const TeethCase& c : teeth) {
      TypeTeeth(*w, c.gear, c.column, c.bad);
      QVERIFY(!search->isEnabled());
      QCOMPARE(Message(*w, "Teeth ranges"), QString::fromLatin1(c.says));
      TypeTeeth(*w, c.gear, c.column, c.column == 0 ? 10 : 25);
      QVERIFY(search->isEnabled());
    }
    // A cell is checked at each keystroke, before it is left.
    auto* table = Find<QTableWidget>(*w, "Teeth ranges");
    table->setFocus(Qt::TabFocusReason);
    table->setCurrentCell(1, 1);
    QTest::keyClick(table, Qt::Key_6);  // typing opens the cell with the key typed
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(editor);
    QTest::keyClicks(editor, "00");
    QVERIFY(!search->isEnabled());
    QCOMPARE(Message(*w, "Teeth ranges"), QStringLiteral("N2 maximum: a whole number of teeth from 1 to 500"));
    QTest::keyClick(editor, Qt::Key_Backspace);
    QVERIFY(search->isEnabled());
    QSignalSpy searched(w.get(), &DesignWindow::searchFinished);
    QTest::keyClick(editor, Qt::Key_Return);  // takes 60, then searches
    QTRY_COMPARE_WITH_TIMEOUT(searched.count(), 1, 60000);
    QCOMPARE(table->item(1, 1)->text(), QStringLiteral("60"));
  }

  // The window's export is byte for byte what quenmar-solve --format writes for the same setup,
  // given as options or as the setup file itself (--setup). Idle gears keep their maxima.
  void exportEqualsSolveFormat() {
    struct Case { std::string setup; QStringList solve; };
    const QString set = "20,25,30,35,40,45,50,55,60,65,70,75,80,85,90,95,100,105,110,115,120,127";
    const Case cases[] = {
        {"{'configuration':1,'minTeeth':['8','30','8','30','10','10','10','10','10','10','10','10'],"
            "'maxTeeth':['40','130','40','130','25','25','25','25','25','25','25','25'],"
            "'target':'12','tolerance':'0.002','huntingTooth':true,'coaxial':true,'maxTrains':1000}",
         {"--config", "1", "--min", "8,30,8,30,10,10", "--max", "40,130,40,130,25,25", "--target", "12",
          "--range", "0.002", "--hunting-tooth", "--coaxial", "--sort", "difference", "--max-solutions", "1000"}},
        {"{'configuration':6,'minTeeth':['8','12','8','12','8','12','10','10','10','10','10','10'],"
            "'maxTeeth':['15','36','15','36','15','36','25','25','25','25','25','25'],"
            "'target':'3.14159265358979','tolerance':'','best':10}",
         {"--config", "6", "--min", "8,12,8,12,8,12", "--max", "15,36,15,36,15,36", "--target",
          "3.14159265358979", "--best", "10", "--max-solutions", "10000"}},
        {"{'freeTrain':true,'stages':2,'minTeeth':['20','20','20','20','10','10','10','10','10','10','10','10'],"
            "'maxTeeth':['127','127','127','127','25','25','25','25','25','25','25','25'],"
            "'target':'127/100','tolerance':'500','toleranceUnit':'ppm','distinct':'gears','ownedGears':'" +
             set.toStdString() + "'}",
         {"--stages", "2", "--min", "20,20,20,20", "--max", "127,127,127,127", "--gears", set, "--target",
          "127/100", "--range", "500ppm", "--distinct", "gears", "--sort", "difference", "--max-solutions", "10000"}},
        {"{'tolerance':'0.1','toleranceUnit':'percent','distinct':'meshes','maxTrains':50}",
         {"--config", "5", "--min", "10,10,10,10,10,10", "--max", "25,25,25,25,25,25", "--target", "3.624",
          "--range", "0.1%", "--distinct", "meshes", "--sort", "difference", "--max-solutions", "50"}},
    };
    for (const Case& c : cases) {
      auto w = Open();
      WriteText(File("case.json"), QByteArray(c.setup.c_str()).replace('\'', '"'));  // quotes in the table are ' 
      m_answers = {File("case.json")};
      QTest::keyClick(w.get(), Qt::Key_O, Qt::ControlModifier);
      QVERIFY2(m_errors.isEmpty(), qPrintable(m_errors.join('\n')));
      QVERIFY(w->Search());
      QVERIFY(WaitFinished(*w));
      QVERIFY(Model(*w)->rowCount() > 0);
      for (const char* format : {"csv", "json"}) {
        const QString path = File(QStringLiteral("export.") + format);
        m_answers = {path};
        // Ctrl+E exports from the table and from a text field alike.
        QWidget* from = *format == 'c' ? static_cast<QWidget*>(Results(*w)) : Find<QLineEdit>(*w, "Target");
        from->setFocus(Qt::TabFocusReason);
        QTest::keyClick(from, Qt::Key_E, Qt::ControlModifier);
        for (const QStringList& options : {c.solve, QStringList{"--setup", File("case.json")}}) {
          QProcess solve;
          solve.start(QStringLiteral(QUENMAR_SOLVE_PATH), options + QStringList{"--format", format});
          QVERIFY(solve.waitForFinished(120000));
          QCOMPARE(solve.exitCode(), 0);
          QCOMPARE(ReadAll(path), solve.readAllStandardOutput());
        }
      }
    }
  }

  // A saved setup reopens exactly; Reset gives the defaults; the last setup and the window's
  // size come back with the next window; a broken setup file changes nothing.
  void savedSetupReopensIdentically() {
    auto w = Open();
    Choose(*w, "Configuration", kConfigurationCount);
    TypeSpin(*w, "Stages", 3);
    TypeRanges(*w, {12, 40, 13, 41, 14, 42}, {20, 90, 21, 91, 22, 92});
    TypeInto(*w, "Target", "127/90");
    TypeInto(*w, "Tolerance", "5");
    Choose(*w, "Tolerance unit", 1);
    TypeSpin(*w, "Best", 7);
    TypeSpin(*w, "Max trains", 500);
    Choose(*w, "Distinct", 1);
    Tick(*w, "Hunting tooth", true);
    TypeInto(*w, "Owned gears", "20,20,30");
    TypeInto(*w, "Module", "1.75");
    auto shown = [](const QWidget& window) {
      QStringList values;
      for (QWidget* input : window.findChildren<QWidget*>()) {
        if (auto* e = qobject_cast<QLineEdit*>(input); e && !e->accessibleName().isEmpty()) values << e->accessibleName() + "=" + e->text();
        if (auto* c = qobject_cast<QComboBox*>(input)) values << c->accessibleName() + "=" + c->currentText();
        if (auto* s = qobject_cast<QSpinBox*>(input)) values << s->accessibleName() + "=" + s->text();
        if (auto* b = qobject_cast<QCheckBox*>(input)) values << b->accessibleName() + "=" + QString::number(b->isChecked());
        if (auto* t = qobject_cast<QTableWidget*>(input))
          for (int r = 0; r < t->rowCount(); ++r) values << t->item(r, 0)->text() + ".." + t->item(r, 1)->text();
      }
      return values;
    };
    const QStringList typed = shown(*w);
    m_answers = {File("setup.json")};
    QTest::keyClick(w.get(), Qt::Key_S, Qt::ControlModifier);

    QTest::mouseClick(Find<QPushButton>(*w, "Reset"), Qt::LeftButton);
    QCOMPARE(Find<QLineEdit>(*w, "Target")->text(), QStringLiteral("3.624"));
    QCOMPARE(Find<QComboBox>(*w, "Configuration")->currentIndex(), kStartupConfiguration);
    QVERIFY(shown(*w) != typed);

    m_answers = {File("setup.json")};
    QTest::keyClick(w.get(), Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(shown(*w), typed);

    // Broken files: the error names the file and what is wrong; the inputs stay.
    const std::pair<QByteArray, const char*> broken[] = {
        {"{ not json", "not a JSON document"}, {"{'stages': 9}", "\"stages\""},
        {"{'minTeeth': ['1']}", "\"minTeeth\""}, {"{'distinct': 'all'}", "\"distinct\""}};
    for (const auto& [text, says] : broken) {
      WriteText(File("broken.json"), QByteArray(text).replace('\'', '"'));
      m_errors.clear();
      m_answers = {File("broken.json")};
      QTest::keyClick(w.get(), Qt::Key_O, Qt::ControlModifier);
      QCOMPARE(m_errors.size(), 1);
      QVERIFY2(m_errors[0].contains("broken.json") && m_errors[0].contains(says), qPrintable(m_errors[0]));
      QCOMPARE(shown(*w), typed);
    }

    w->resize(900, 640);
    w->close();
    w.reset();
    auto again = Open();
    QCOMPARE(shown(*again), typed);
    QCOMPARE(again->size(), QSize(900, 640));
  }

  // Tab walks the inputs in order, then Search; Stages only when a free train is chosen.
  void tabOrderWalksTheInputs() {
    auto w = Open();
    Find<QWidget>(*w, "Configuration")->setFocus(Qt::TabFocusReason);
    const QStringList expected = {"Teeth ranges", "Target", "Tolerance", "Tolerance unit", "Best", "Max trains",
                                  "Distinct", "Hunting tooth", "Coaxial", "Owned gears", "Read gears file",
                                  "Module", "Search"};
    for (const QString& name : expected) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget()->accessibleName(), name);
    }
    // Every input has a buddy label, so a screen reader names it and Alt+letter reaches it.
    for (const char* name : {"Configuration", "Stages", "Teeth ranges", "Target", "Tolerance", "Best",
                             "Distinct", "Owned gears", "Module"}) {
      bool labelled = false;
      for (QLabel* label : w->findChildren<QLabel*>()) labelled |= label->buddy() == Find<QWidget>(*w, name);
      QVERIFY2(labelled, name);
    }
  }
};

int main(int argc, char** argv) {
  // Settings go to a folder of the test's own, never the user's.
  QTemporaryDir config;
  qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
  QApplication app(argc, argv);
  DesignWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "DesignWindowTest.moc"
