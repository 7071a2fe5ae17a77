// Planetary sets in the design window, driven as a person would: inputs checked beside
// their fields, a search listing a known set, exports byte for byte quenmar-solve's for the
// saved setup, and the drawing of the chosen set.
#include <QCheckBox>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <cmath>
#include <numbers>

#include "DesignDriver.h"
#include "PlanetaryDrawing.h"

using namespace designtest;
using namespace quenmar::design;

class PlanetaryWindowTest : public QObject {
  Q_OBJECT
  std::deque<QString> m_answers;
  QStringList m_errors, m_offered;
  std::deque<bool> m_confirms;
  QTemporaryDir m_files;

  std::unique_ptr<DesignWindow> Open() {
    QSettings(QStringLiteral("Quenmar"), QStringLiteral("Quenmar Design")).clear();
    auto window = std::make_unique<DesignWindow>(
        std::make_unique<ScriptedPrompter>(&m_answers, &m_errors, &m_offered, &m_confirms));
    window->show();
    return window;
  }
  // A planetary kind (0 simple, 1 stepped, 2 split ring) and its teeth ranges.
  static void Planetary(const QWidget& w, int kind, const char* sun, const char* planet, const char* ring) {
    Choose(w, "Configuration", quenmar::kConfigurationCount + 1 + kind);
    TypeInto(w, "Sun teeth", sun);
    TypeInto(w, "Planet teeth", planet);
    TypeInto(w, "Ring teeth", ring);
  }
  static QString Cell(const QWidget& w, int row, const char* header) {
    QAbstractItemModel* model = Results(w)->model();
    for (int c = 0; c < model->columnCount(); ++c)
      if (model->headerData(c, Qt::Horizontal).toString() == QLatin1String(header)) return model->index(row, c).data().toString();
    return QStringLiteral("<no column %1>").arg(header);
  }

 private slots:
  // A widely published simple set: sun 13, planets 17, ring 47, 3 planets; ring held and
  // sun in, the carrier turns 13/60 as fast (1 + 47/13). Found, listed and drawn with its
  // three planets evenly round the carrier, from the gears owned; its setup saved and the exports equal to
  // quenmar-solve's for that file.
  void simpleSetFoundDrawnAndExported() {
    auto w = Open();
    Planetary(*w, 0, "10..16", "15..20", "40..50");
    TypeInto(*w, "Planets", "3..4");
    TypeInto(*w, "Target", "60/13");
    TypeInto(*w, "Tolerance", "0.000001");
    // Owned gears count each planet once per planet, not as a compound train's gears.
    TypeInto(*w, "Owned gears", "13 17 17 17 47 20");
    QVERIFY(!Find<QWidget>(*w, "Teeth ranges")->isVisible() && !Find<QWidget>(*w, "Planet 2 teeth")->isVisible());
    QVERIFY(w->Search() && WaitFinished(*w));
    int found = -1;
    for (int r = 0; r < Results(*w)->model()->rowCount(); ++r)
      if (Cell(*w, r, "Sun") == "13" && Cell(*w, r, "Planet") == "17" && Cell(*w, r, "Ring") == "47" && Cell(*w, r, "Planets") == "3")
        found = r;
    QVERIFY(found >= 0);
    QCOMPARE(Cell(*w, found, "Fraction"), QStringLiteral("60/13"));
    QCOMPARE(Cell(*w, found, "Held") + Cell(*w, found, "Input") + Cell(*w, found, "Output"), QStringLiteral("ringsuncarrier"));
    QCOMPARE(Cell(*w, found, "Spacing"), QStringLiteral("even"));

    Results(*w)->selectRow(found);
    auto* drawing = Find<PlanetaryDrawing>(*w, "Planetary drawing");
    QVERIFY(drawing->isVisible() && drawing->HasSet());
    std::vector<double> angles;
    for (const PlanetaryDrawing::Gear& g : drawing->Gears())
      if (g.member == kPlanet) angles.push_back(std::round(std::atan2(g.y, g.x) * 180 / std::numbers::pi));
    QCOMPARE(angles, (std::vector<double>{0, 120, -120}));
    m_answers = {m_files.filePath("set.svg")};
    QTest::keyClick(Find<QWidget>(*w, "Export drawing"), Qt::Key_Space);
    QVERIFY2(m_errors.isEmpty() && QFile(m_files.filePath("set.svg")).size() > 1000, qPrintable(m_errors.join('\n')));

    const QString setup = m_files.filePath("planetary.json");
    m_answers = {setup};
    QTest::keyClick(w.get(), Qt::Key_S, Qt::ControlModifier);
    for (const char* format : {"csv", "json"}) {
      const QString path = m_files.filePath(QStringLiteral("export.") + format);
      m_answers = {path};
      QTest::keyClick(Results(*w), Qt::Key_E, Qt::ControlModifier);
      QProcess solve;
      solve.start(QStringLiteral(QUENMAR_SOLVE_PATH), {"--setup", setup, "--format", format});
      QVERIFY(solve.waitForFinished(60000));
      QCOMPARE(solve.exitCode(), 0);
      QFile file(path);
      QVERIFY(file.open(QIODevice::ReadOnly));
      QCOMPARE(file.readAll(), solve.readAllStandardOutput());
    }
    // The saved setup reopens as it was left.
    auto again = Open();
    QVERIFY(!again->OpenSetup(setup));
    QCOMPARE(Find<QLineEdit>(*again, "Planets")->text(), QStringLiteral("3..4"));
    QVERIFY(Find<QWidget>(*again, "Sun teeth")->isVisible());
  }

  // Profile shift ticked for a simple set: a ring one tooth long found with its shifts (those
  // of PlanetaryTest's ShiftedSets), exported as quenmar-solve exports the saved setup; a
  // largest shift out of range refused beside its field.
  void profileShiftBridgesARing() {
    auto w = Open();
    Planetary(*w, 0, "20", "12", "44..45");
    TypeInto(*w, "Planets", "4..5");
    TypeInto(*w, "Target", "13/4");
    TypeInto(*w, "Tolerance", "0");
    auto* shift = Find<QCheckBox>(*w, "Planetary profile shift");
    QVERIFY(shift->isVisible() && !Find<QWidget>(*w, "Largest shift")->isEnabled());
    shift->setFocus();
    QTest::keyClick(shift, Qt::Key_Space);
    TypeInto(*w, "Largest shift", "2.5");
    QVERIFY2(Message(*w, "Largest shift").contains("accepts the largest shift"), qPrintable(Message(*w, "Largest shift")));
    QVERIFY(!w->Search());
    TypeInto(*w, "Largest shift", "1");
    QVERIFY(w->Search() && WaitFinished(*w));
    QCOMPARE(Results(*w)->model()->rowCount(), 1);
    QCOMPARE(Cell(*w, 0, "Ring") + " " + Cell(*w, 0, "x sun") + " " + Cell(*w, 0, "x planet") + " " + Cell(*w, 0, "Centre (mm)"),
             QStringLiteral("45 0.3459 0.2075 16.5"));
    const QString setup = m_files.filePath("shifted.json"), csv = m_files.filePath("shifted.csv");
    m_answers = {setup};
    QTest::keyClick(w.get(), Qt::Key_S, Qt::ControlModifier);
    m_answers = {csv};
    QTest::keyClick(Results(*w), Qt::Key_E, Qt::ControlModifier);
    QProcess solve;
    solve.start(QStringLiteral(QUENMAR_SOLVE_PATH), {"--setup", setup, "--format", "csv"});
    QVERIFY(solve.waitForFinished(60000));
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), solve.readAllStandardOutput());
    // Drawn at the ring mesh's centre distance.
    Results(*w)->selectRow(0);
    for (const PlanetaryDrawing::Gear& g : Find<PlanetaryDrawing>(*w, "Planetary drawing")->Gears())
      if (g.member == kPlanet) QCOMPARE(std::round(std::hypot(g.x, g.y) * 1000), 16500.0);
  }

  // What cannot be searched is refused beside the input it names, Search disabled.
  void badInputRefusedBesideItsField() {
    struct Case { int kind; const char* sun; const char* planet; const char* ring; const char* planets;
                  int held; const char* field; const char* says; };
    const Case cases[] = {
        {0, "", "15..20", "40..50", "3", 1, "Sun teeth", "needs a teeth range"},
        {0, "13", "17", "47", "13", 1, "Planets", "accepts 2 to 12 planets"},
        {0, "13", "17", "47", "1", 1, "Planets", "accepts 2 to 12 planets"},
        {0, "13", "17", "47", "3", 0, "Held member", "sun is also the input"},
        {0, "13", "17", "30..40", "3", 1, "Ring teeth", "cannot be coaxial"},
        {1, "13", "17", "60", "3", 1, "Planet 2 teeth", "two teeth ranges"},
    };
    auto w = Open();
    for (const Case& c : cases) {
      Planetary(*w, c.kind, c.sun, c.planet, c.ring);
      TypeInto(*w, "Planets", c.planets);
      Choose(*w, "Held member", c.held);
      TypeInto(*w, "Planet 2 teeth", "");
      QVERIFY2(Message(*w, c.field).contains(c.says), qPrintable(QString(c.field) + ": " + Message(*w, c.field)));
      QVERIFY(!w->Search());
    }
  }
};

QTEST_MAIN(PlanetaryWindowTest)
#include "PlanetaryWindowTest.moc"
