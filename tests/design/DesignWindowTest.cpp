// The design window driven as a person would, offscreen: searches found and drawn, sorting,
// Stop, checks as typed, exports equal to quenmar-solve's, setups saved and reopened.
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QProcess>
#include <QProgressBar>
#include <QRegularExpression>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <algorithm>
#include <numeric>

#include "DesignDriver.h"
#include "DesignHelp.h"
#include "DesignInputs.h"
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
  QStringList m_offered;
  std::deque<bool> m_confirms;
  QTemporaryDir m_files;

  std::unique_ptr<DesignWindow> Open() {
    auto window = std::make_unique<DesignWindow>(
        std::make_unique<ScriptedPrompter>(&m_answers, &m_errors, &m_offered, &m_confirms));
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
    m_offered.clear();
    m_confirms.clear();
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
    QStringList header;  // the header line first, so the rows paste with their names
    for (int c = 0; c < table->model()->columnCount(); ++c) header << table->model()->headerData(c, Qt::Horizontal).toString();
    QString copied = header.join('\t') + '\n';
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

  // A motion work in two modules, exactly coaxial: the trains and the export's geometric
  // columns are quenmar-solve's; the drawing folds it back in two planes, clear of every
  // shaft; a gear's and the train's outlines are written to true scale, a bad kerf or an
  // unwritable path writes nothing. A train whose gear covers a shaft is drawn in red.
  void geometricSearchDrawnAndOutlined() {
    auto w = Open();
    Choose(*w, "Configuration", kConfigurationCount);
    TypeSpin(*w, "Stages", 2);
    TypeRanges(*w, {10, 30, 8, 30}, {24, 96, 24, 96});
    TypeInto(*w, "Target", "12");
    TypeInto(*w, "Tolerance", "0");
    TypeInto(*w, "Module", "0.5, 0.6");
    Tick(*w, "Geometry", true);
    TypeInto(*w, "Centre distances", "equal");
    TypeInto(*w, "Shafts", "2");
    Tick(*w, "Fits", true);
    QVERIFY(w->Search() && WaitFinished(*w));
    QCOMPARE(Rows(*w).front(), (std::vector<int>{12, 36, 8, 32}));
    m_answers = {File("fit.csv")};
    QTest::keyClick(Results(*w), Qt::Key_E, Qt::ControlModifier);
    QProcess solve;
    solve.start(QStringLiteral(QUENMAR_SOLVE_PATH),
                {"--stages", "2", "--min", "10,30,8,30", "--max", "24,96,24,96", "--target", "12", "--range", "0", "--module",
                 "0.5,0.6", "--centre-distance", "equal", "--shaft", "2", "--fits", "--sort", "difference",
                 "--max-solutions", "10000", "--format", "csv"});
    QVERIFY(solve.waitForFinished(120000));
    const QByteArray csv = ReadAll(File("fit.csv"));
    QCOMPARE(csv, solve.readAllStandardOutput());
    QCOMPARE(csv.left(csv.indexOf('\n')).trimmed(), QByteArray("difference,relative_ppm,reduction,numerator,denominator,variants,N1,N2,N3,N4,module_1,"
                           "centre_distance_1,shift_N1,shift_N2,contact_ratio_1,module_2,centre_distance_2,shift_N3,"
                           "shift_N4,contact_ratio_2,worst_clearance"));

    auto* drawing = Find<TrainDrawing>(*w, "Train drawing");
    auto layout = drawing->Layout();
    QVERIFY(layout->coaxial && layout->planes == 2 && layout->faults.empty());
    QCOMPARE(layout->stages[1].centreDistance, 12.0);

    // N1 alone (12 teeth of module 0.5: tip circle 7 mm), chosen by a click on it (above the
    // larger N4 on its shaft), then the train as DXF, one polyline a gear.
    QTest::mouseClick(drawing, Qt::LeftButton, {}, drawing->Plan().Place(1, 1).toPoint());
    QCOMPARE(Find<QComboBox>(*w, "Outline of")->currentIndex(), 1);
    QCOMPARE(drawing->ChosenGear(), 0);
    m_answers = {File("n1.svg"), File("train.dxf"), File("missing/train.svg")};
    QTest::mouseClick(Find<QPushButton>(*w, "Export outlines"), Qt::LeftButton);
    QCOMPARE(m_offered.back(), QDir(QDir::homePath()).filePath("N1-12.svg"));
    const QByteArray svg = ReadAll(File("n1.svg"));
    const auto numbers = [](const QString& text) {
      std::vector<double> values;
      for (const QString& n : text.split(QRegularExpression("[ ,]"), Qt::SkipEmptyParts)) values.push_back(n.toDouble());
      return values;
    };
    const auto attribute = [&](const char* name) {
      return QRegularExpression(QStringLiteral("%1=\"([^\"]*)\"").arg(name)).match(svg).captured(1);
    };
    const std::vector<double> box = numbers(attribute("viewBox")), points = numbers(attribute("points"));
    QCOMPARE(attribute("width"), QString::number(box[2]) + "mm");
    double tip = 0;
    for (std::size_t i = 0; i + 1 < points.size(); i += 2) tip = std::max(tip, std::hypot(points[i], points[i + 1]));
    QVERIFY2(std::abs(tip - 3.5) < 0.01 && std::abs(box[2] - 7 - 4) < 0.01, qPrintable(QString::number(tip)));
    Choose(*w, "Outline of", 0);
    QTest::mouseClick(Find<QPushButton>(*w, "Export outlines"), Qt::LeftButton);
    QCOMPARE(ReadAll(File("train.dxf")).count("\nLWPOLYLINE"), 4);
    QTest::mouseClick(Find<QPushButton>(*w, "Export outlines"), Qt::LeftButton);
    QVERIFY(m_errors.size() == 1 && m_errors[0].contains("cannot be written") && !QFile::exists(File("missing/train.svg")));
    TypeInto(*w, "Kerf", "0.5");  // above twice the root rounding of module 0.5
    m_answers = {File("kerf.svg")};
    QTest::mouseClick(Find<QPushButton>(*w, "Export outlines"), Qt::LeftButton);
    QVERIFY(m_errors.size() == 2 && m_errors[1].startsWith("Kerf: a width from 0 to 2 mm, below 0.38 mm here"));
    QVERIFY(!QFile::exists(File("kerf.svg")));

    // The pi train of one module whose N3 covers the input shaft (of 2 mm, as still typed): its
    // tip circle and that shaft in red.
    Tick(*w, "Geometry", false);
    TypeInto(*w, "Module", "1");
    drawing->SetTrain({16, 33, 53, 73, 85, 94});
    QVERIFY(drawing->accessibleDescription().contains("Red: N3's tip overlaps shaft 1 by 4 mm"));
    const QPointF shaft = drawing->Plan().Place(0, 0) + QPointF(0, 0.75 * drawing->Plan().pxPerMm);
    const QColor pixel = drawing->grab().toImage().pixelColor(shaft.toPoint());
    QVERIFY2(pixel.red() > pixel.green() + 40, qPrintable(pixel.name()));
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
    // The difference is R - T with its sign; as seconds a day, a train above the target loses time.
    auto signs = [&] {
      QString shown;
      for (int r = 0; r < 10; ++r) shown += Model(*w)->index(r, TrainTableModel::Difference).data().toString()[0];
      return shown;
    };
    QString expectedSigns;
    const __int128 pi = 314159265358979, scale = 100000000000000;
    for (int r = 0; r < 10; ++r) {
      const QStringList f = Model(*w)->index(r, TrainTableModel::FractionText).data().toString().split('/');
      expectedSigns += __int128(f[0].toLongLong()) * scale > pi * f[1].toLongLong() ? '+' : '-';
    }
    QCOMPARE(signs(), expectedSigns);
    for (QAction* action : w->findChildren<QAction*>())
      if (action->text().contains("s/day")) action->trigger();
    QCOMPARE(Model(*w)->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Rate (s/day)"));
    QCOMPARE(signs(), QString(expectedSigns).replace('+', 'x').replace('-', '+').replace('x', '-'));

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
        {"Owned gears", "20,600", "10 12,14,16 18,20", ""},  // six gears for six places
        {"Owned gears", "20;30", "", ""},
        {"Module", "0", "1.5", "a module in millimetres above 0, up to 100, such as 1.5"},
        {"Module", "-1", "1", "a module in millimetres above 0, up to 100, such as 1.5"},
        {"Module", "0.5, 0.6", "1", "one module for every stage or one per stage (3 stages), each above 0 and up to 100 mm"},
        {"Pressure angle", "35", "14.5", "one angle for every stage or one per stage (3 stages), each 10 to 30 degrees"},
        {"Centre distances", "4=50", "equal", ""},
        {"Centre distances", "1=5000", "1=20±0.5",
         "the centre distance of stage 1, 5000 mm, cannot be reached: its gears give 10 to 25 mm without profile shift"},
        {"Profile shift", "3", "0.5", ""},
        {"Shafts", "40", "3, 2, 2, 3", "the shaft of N1 (40 mm) is larger than the gear: its root circle is at most 23.5 mm (25 teeth of module 1)"},  // shifted 0.5
        {"Clearance", "x", "1", ""},
        {"Max diameter", "0", "", ""},
    };
    Tick(*w, "Geometry", true);  // the geometry's inputs appear, each with its own message
    QVERIFY(Find<QWidget>(*w, "Fits")->isVisible());
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
    QTest::keyClick(editor, Qt::Key_Return);  // takes 60 and stays: Enter in the table never searches
    QCOMPARE(table->item(1, 1)->text(), QStringLiteral("60"));
    QVERIFY(!w->Searching());
    QTest::keyClick(table, Qt::Key_Return);
    QVERIFY(!w->Searching());
    QTest::keyClick(Find<QLineEdit>(*w, "Target"), Qt::Key_Return);  // outside the table it searches
    QTRY_COMPARE_WITH_TIMEOUT(searched.count(), 1, 60000);
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
        {"{'freeTrain':true,'stages':2,'minTeeth':['14','30','14','30','10','10','10','10','10','10','10','10'],"
            "'maxTeeth':['40','90','40','90','25','25','25','25','25','25','25','25'],'target':'9','tolerance':'',"
            "'best':5,'module':'1.5, 2','geometry':true,'centreDistance':'1=50, 2=65','profileShift':'0.6','fits':true}",
         {"--stages", "2", "--min", "14,30,14,30", "--max", "40,90,40,90", "--target", "9", "--best", "5",
          "--module", "1.5,2", "--centre-distance", "1=50,2=65", "--profile-shift", "0.6", "--fits", "--max-solutions", "10000"}},
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
    Tick(*w, "Geometry", true);
    TypeInto(*w, "Profile shift", "0.4");
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
    QVERIFY(!Find<QWidget>(*w, "Stages")->isVisible());  // only beside a free train
    Find<QWidget>(*w, "Configuration")->setFocus(Qt::TabFocusReason);
    const QStringList expected = {"Teeth ranges", "Target", "Targets mode", "Tolerance", "Tolerance unit", "Best", "Max trains",
                                  "Distinct", "Hunting tooth", "Coaxial", "Owned gears", "Read gears file",
                                  "Module", "Geometry", "Search"};
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
    // Screen readers see that label relation (an item view names itself instead).
    for (const char* name : {"Configuration", "Stages", "Target", "Tolerance", "Tolerance unit",
                             "Best", "Max trains", "Distinct", "Owned gears", "Module"}) {
      QAccessibleInterface* input = QAccessible::queryAccessibleInterface(Find<QWidget>(*w, name));
      QVERIFY2(!input->relations(QAccessible::Label).isEmpty(), name);
    }
    // Tab leaves the results for the drawing and the exports.
    QVERIFY(w->Search() && WaitFinished(*w));
    Results(*w)->setFocus(Qt::TabFocusReason);
    for (const char* name : {"Train drawing", "Fit drawing", "Export results", "Export drawing"}) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget()->accessibleName(), QString::fromLatin1(name));
    }
  }

  // A screen reader hears each message and the status as they say, not the names of their places:
  // the message is the name of the label showing it and the description of its input.
  void messagesAndStatusAreHeard() {
    auto w = Open();
    for (const char* text : {"abc", "0", "3.624"}) {
      TypeInto(*w, "Target", text);
      QStringList names;
      for (QLabel* label : w->findChildren<QLabel*>())
        names << QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name);
      QVERIFY2(names.contains(Message(*w, "Target")), qPrintable(Message(*w, "Target")));
    }
    QVERIFY(w->Search() && WaitFinished(*w));
    QVERIFY(Status(*w).endsWith("finished"));
  }

  // Trains reach the table while a long search runs, with the count and progress in the
  // status: in the search's order for a listing, as the closest so far for the best K.
  void liveResultsWhileSearching() {
    struct Case { int stages, lo, hi; const char* target; const char* tolerance; int best; };
    for (const Case& c : {Case{5, 7, 200, "12345.6789", "0.01", 0}, Case{6, 1, 500, "3.14159265358979", "", 10}}) {
      auto w = Open();
      Choose(*w, "Configuration", kConfigurationCount);
      TypeSpin(*w, "Stages", c.stages);
      TypeRanges(*w, std::vector<int>(2 * c.stages, c.lo), std::vector<int>(2 * c.stages, c.hi));
      TypeInto(*w, "Target", c.target);
      TypeInto(*w, "Tolerance", c.tolerance);
      Choose(*w, "Tolerance unit", 1);
      TypeSpin(*w, "Best", c.best);
      QVERIFY(w->Search());
      QVERIFY(QTest::qWaitFor([&] { return Model(*w)->rowCount() > 0 || !w->Searching(); }, 120000));
      QVERIFY2(w->Searching(), "the search ended before any train was shown");
      QVERIFY2(Status(*w).startsWith(QStringLiteral("Searching... %1 train").arg(Model(*w)->rowCount())), qPrintable(Status(*w)));
      QVERIFY(Status(*w).contains('%'));
      if (c.best > 0) QVERIFY(Model(*w)->rowCount() <= c.best);
      QTest::keyClick(Results(*w), Qt::Key_Escape);
      QVERIFY(WaitFinished(*w));
    }
  }

  // Trains shown belong to the inputs of their search: any change greys them and exports ask
  // first; Reset clears them; each search lists by difference again.
  void resultsFollowTheInputs() {
    auto w = Open();
    TypeInto(*w, "Tolerance", "0.05");
    QVERIFY(w->Search() && WaitFinished(*w));
    const auto rows = Rows(*w);
    QHeaderView* header = Results(*w)->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(TrainTableModel::FirstGear) + 5, 5));
    QVERIFY(Rows(*w) != rows);
    TypeInto(*w, "Module", "2");  // the drawing only
    QVERIFY(!Model(*w)->Stale());
    Choose(*w, "Configuration", 1);
    QVERIFY(Model(*w)->Stale());
    QVERIFY(Model(*w)->index(0, 0).data(Qt::ForegroundRole).isValid());
    QVERIFY2(Status(*w).endsWith("inputs changed since this search"), qPrintable(Status(*w)));
    m_answers = {File("stale.csv")};
    QTest::keyClick(Results(*w), Qt::Key_E, Qt::ControlModifier);  // asked, and declined
    QVERIFY(m_errors.size() == 1 && m_errors[0].startsWith("asked: "));
    QVERIFY(!QFile::exists(File("stale.csv")));
    m_confirms = {true};
    QTest::keyClick(Results(*w), Qt::Key_E, Qt::ControlModifier);
    QVERIFY(QFile::exists(File("stale.csv")));
    Choose(*w, "Configuration", kStartupConfiguration);  // the inputs of the search again
    QVERIFY(!Model(*w)->Stale());
    QVERIFY(w->Search() && WaitFinished(*w));
    QCOMPARE(header->sortIndicatorSection(), int(TrainTableModel::Difference));
    QCOMPARE(Rows(*w), rows);
    TypeSpin(*w, "Max trains", 3);
    QVERIFY(w->Search() && WaitFinished(*w));
    QCOMPARE(Status(*w), QStringLiteral("3 trains; Max trains reached, more trains qualify"));
    QTest::mouseClick(Find<QPushButton>(*w, "Reset"), Qt::LeftButton);
    QCOMPARE(Model(*w)->rowCount(), 0);
    QVERIFY(!Find<TrainDrawing>(*w, "Train drawing")->HasTrain());
    QCOMPARE(Status(*w), QStringLiteral("Ready"));
    QVERIFY(!Find<QPushButton>(*w, "Export results")->isEnabled());
  }

  // Arrows take a cell's number and move on, Escape takes an edit back, Enter takes it and stays.
  void teethCellsAsInASpreadsheet() {
    auto w = Open();
    auto* table = Find<QTableWidget>(*w, "Teeth ranges");
    table->setFocus(Qt::TabFocusReason);
    table->setCurrentCell(0, 0);
    const std::pair<const char*, Qt::Key> typed[] = {{"12", Qt::Key_Right}, {"150", Qt::Key_Down}, {"99", Qt::Key_Escape},
                                                     {"140", Qt::Key_Left}, {"11", Qt::Key_Return}};
    for (const auto& [text, key] : typed) {
      for (const char* c = text; *c; ++c) QTest::keyClick(QApplication::focusWidget(), *c);
      QTest::keyClick(QApplication::focusWidget(), key);
    }
    QCOMPARE(table->item(0, 0)->text() + ' ' + table->item(0, 1)->text(), QStringLiteral("12 150"));
    QCOMPARE(table->item(1, 0)->text() + ' ' + table->item(1, 1)->text(), QStringLiteral("11 140"));
    QVERIFY(!w->Searching());
  }

  // Nothing on the left moves when messages replace hints; at the default size nothing scrolls.
  void layoutStaysPutAsMessagesChange() {
    auto w = Open();
    const QStringList inputs = {"Teeth ranges", "Target", "Tolerance", "Best", "Max trains", "Owned gears",
                                "Module", "Search", "Results"};
    auto where = [&] {
      QList<QRect> places;
      for (const QString& name : inputs) {
        QWidget* input = Find<QWidget>(*w, name);
        places << QRect(input->mapTo(w.get(), QPoint()), input->size());
      }
      return places;
    };
    QVERIFY(!w->findChild<QScrollArea*>()->verticalScrollBar()->isVisible());
    const QList<QRect> before = where();
    TypeInto(*w, "Target", "a target no one could read, typed at some length to fill more than two lines");
    TypeInto(*w, "Tolerance", "-");
    TypeInto(*w, "Owned gears", "20, 30, 40, 50, 60, 70, 80, 90, 600");
    TypeInto(*w, "Module", "0");
    TypeSpin(*w, "Max trains", 0);
    TypeTeeth(*w, 0, 0, 700);
    QCOMPARE(where(), before);
  }

  // What cannot give a train is refused beside the input that says why, before any search.
  void honestRefusals() {
    auto w = Open();
    struct Case { const char* input; const char* text; const char* says; bool searchable; };
    const Case cases[] = {
        {"Target", "0", "the target must be above 0", false},
        {"Target", "-3", "the target must be above 0; \"-3\" is negative", false},
        {"Target", "1.5/3.175", "A decimal, or a fraction", true},
        {"Owned gears", "20 30 40", "3 owned gears cannot make a train of 6 gears", false},
        {"Owned gears", "100, 110 120 130 140 150", "no owned gear lies within N1's range, 10 to 25", false},
        {"Owned gears", "10 12 14 16 18 30", "too few owned gears within the ranges: none is left for N", false},
        {"Owned gears", "10 12 14 16 18 20", "Teeth counts separated", true},
    };
    auto* search = Find<QPushButton>(*w, "Search");
    for (const Case& c : cases) {
      TypeInto(*w, c.input, c.text);
      QVERIFY2(Message(*w, c.input).startsWith(QString::fromUtf8(c.says)), qPrintable(Message(*w, c.input)));
      QCOMPARE(search->isEnabled(), c.searchable);
    }
    TypeSpin(*w, "Max trains", 0);  // stays 0, refused
    QCOMPARE(Find<QSpinBox>(*w, "Max trains")->value(), 0);
    QVERIFY(Message(*w, "Max trains").startsWith("Max trains must be at least 1"));
    QVERIFY(!search->isEnabled());
  }

  // Labels never overlap, nor cover the legend, nor leave the drawing, down to an 800 x 600
  // window; the wheel zooms about the pointer, dragging pans, Fit shows the whole train.
  void drawingReadsAtAnySize() {
    auto w = Open();
    auto* drawing = Find<TrainDrawing>(*w, "Train drawing");
    const std::vector<std::vector<int>> trains = {{7, 127}, {8, 9, 8, 9, 8, 9, 8, 9, 8, 9, 8, 9}, {28, 97, 28, 97},
                                                  {12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23}, {120, 10, 7, 300, 9, 11}};
    for (QSize size : {QSize(800, 600), QSize(1180, 760)}) {
      w->resize(size);
      for (const auto& teeth : trains) {
        for (double module : {0.3, 2.0}) {
          drawing->SetTrain(teeth);
          drawing->SetModule(module);
          const DrawingPlan plan = drawing->Plan();
          QCOMPARE(plan.labels.size(), teeth.size() + teeth.size() / 2);
          const QRectF inside(drawing->rect());
          QVERIFY(inside.contains(plan.legend));
          for (std::size_t i = 0; i < plan.labels.size(); ++i) {
            const QRectF& box = plan.labels[i].box;
            QVERIFY2(inside.contains(box) && !box.intersects(plan.legend), qPrintable(plan.labels[i].text));
            for (std::size_t j = 0; j < i; ++j) QVERIFY(!box.intersects(plan.labels[j].box));
          }
          const QFontMetricsF metrics(DrawingFont());
          for (const QString& line : plan.legendLines) QVERIFY(metrics.horizontalAdvance(line) <= plan.legendColumnWidth);
        }
      }
    }
    const DrawingPlan fit = drawing->Plan();
    const QPointF at = fit.Place(0, 0);  // the input shaft stays under the pointer
    QWheelEvent wheel(at, drawing->mapToGlobal(at), {}, {0, 360}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QApplication::sendEvent(drawing, &wheel);
    QVERIFY(std::abs(drawing->Zoom() - std::pow(1.25, 3)) < 1e-9);
    QVERIFY(QLineF(drawing->Plan().Place(0, 0), at).length() < 1e-6);
    QTest::mousePress(drawing, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseMove(drawing, QPoint(130, 80));
    QTest::mouseRelease(drawing, Qt::LeftButton, {}, QPoint(130, 80));
    QVERIFY(QLineF(drawing->Plan().Place(0, 0), at + QPointF(30, -20)).length() < 1e-6);
    QTest::keyClick(drawing, Qt::Key_0);
    QCOMPARE(drawing->Plan().origin, fit.origin);
  }

  // F1 opens the help page at the control under focus; every input and column says what it is.
  void helpAndTooltipsExplainEveryInput() {
    auto w = Open();
    TypeInto(*w, "Tolerance", "0.5");
    QTest::keyClick(Find<QLineEdit>(*w, "Tolerance"), Qt::Key_F1);
    auto* help = w->findChild<DesignHelp*>();
    QVERIFY(help && help->isVisible());
    QCOMPARE(help->Topic(), QStringLiteral("tolerance"));
    for (QWidget* input : w->findChildren<QWidget*>()) {
      const QString topic = DesignInputs::HelpTopic(input);
      if (input->accessibleName().isEmpty() || qobject_cast<QLabel*>(input) || topic.isEmpty()) continue;
      QVERIFY2(!input->toolTip().isEmpty() && help->HasTopic(topic), qPrintable(input->accessibleName()));
    }
    QVERIFY(help->HasTopic("results") && help->HasTopic("drawing"));
    for (int column = 0; column < Model(*w)->columnCount(); ++column)
      QVERIFY(!Model(*w)->headerData(column, Qt::Horizontal, Qt::ToolTipRole).toString().isEmpty());
  }

  // The title names the setup file and marks changes; each kind of file dialog keeps its folder.
  void titleAndFoldersFollowTheFiles() {
    auto w = Open();
    QVERIFY(QDir().mkpath(File("setups")) && QDir().mkpath(File("exports")));
    m_answers = {File("setups/motion.json")};
    QTest::keyClick(w.get(), Qt::Key_S, Qt::ControlModifier);
    QVERIFY(w->windowTitle().startsWith("motion.json[*]") && !w->isWindowModified());
    TypeInto(*w, "Target", "12");
    QVERIFY(w->isWindowModified());
    QVERIFY(w->Search() && WaitFinished(*w));
    m_answers = {File("exports/a.csv"), File("setups/motion.json")};
    QTest::keyClick(w.get(), Qt::Key_E, Qt::ControlModifier);
    QTest::keyClick(w.get(), Qt::Key_O, Qt::ControlModifier);
    QVERIFY(!w->isWindowModified());
    m_answers.clear();
    m_confirms = {true};  // the opened setup is not the one searched
    QTest::keyClick(w.get(), Qt::Key_E, Qt::ControlModifier);
    QTest::keyClick(w.get(), Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(m_offered.mid(3), (QStringList{File("exports/trains.csv"), File("setups")}));
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
