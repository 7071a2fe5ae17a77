// Targets mode of the design window, driven as a person would: the targets typed into the
// table (a bad one told beside it with the command line's words), a lead screw and a small
// gear set, the chart grouped per target, the gear to buy and the fewest gears, each
// compared with what quenmar-solve prints for the same inputs; exports and the printed page.
#include <QCheckBox>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTreeView>

#include "ChartModel.h"
#include "DesignDriver.h"
#include "TrainDrawing.h"

using namespace designtest;
using namespace quenmar::design;

namespace {

const QString kOwned = QStringLiteral("20 25 30 40 50 60 127");

QByteArray Solve(const QStringList& options) {
  QProcess solve;
  solve.start(QStringLiteral(QUENMAR_SOLVE_PATH), options);
  if (!solve.waitForFinished(120000)) return "did not finish";
  return solve.readAllStandardOutput() + solve.readAllStandardError();
}

// Types a cell of the targets table and leaves it, as Tab would.
void TypeCell(QWidget& w, int row, int column, const QString& text) {
  auto* table = Find<QTableWidget>(w, QStringLiteral("Targets"));
  table->setFocus(Qt::TabFocusReason);
  table->setCurrentCell(row, column);
  table->editItem(table->item(row, column));
  auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  QVERIFY(editor);
  editor->selectAll();
  QTest::keyClicks(editor, text);
  Find<QLineEdit>(w, QStringLiteral("Lead screw"))->setFocus(Qt::TabFocusReason);
  QApplication::processEvents();
}

QString Group(QWidget& w, int group, int column) {
  return Find<QTreeView>(w, QStringLiteral("Chart"))->model()->index(group, column).data().toString();
}

}  // namespace

class TargetsWindowTest : public QObject {
  Q_OBJECT
  std::deque<QString> m_answers;
  QStringList m_errors, m_offered;
  std::deque<bool> m_confirms;
  QTemporaryDir m_files;

  // A two-stage free train of 20 to 127 teeth from kOwned, tolerance 0.01 %, in Targets mode
  // with an 8 TPI lead screw and `rows` typed into the table.
  std::unique_ptr<DesignWindow> Open(const std::vector<QStringList>& rows) {
    QSettings(QStringLiteral("Quenmar"), QStringLiteral("Quenmar Design")).clear();
    auto w = std::make_unique<DesignWindow>(std::make_unique<ScriptedPrompter>(&m_answers, &m_errors, &m_offered, &m_confirms));
    w->show();
    QApplication::setActiveWindow(w.get());
    [&] { QVERIFY(QTest::qWaitForWindowActive(w.get())); }();
    Choose(*w, "Configuration", quenmar::kConfigurationCount);
    TypeRanges(*w, {20, 20, 20, 20}, {127, 127, 127, 127});
    TypeInto(*w, "Owned gears", kOwned);
    TypeInto(*w, "Tolerance", "0.01");
    Choose(*w, "Tolerance unit", 2);
    auto* mode = Find<QCheckBox>(*w, "Targets mode");
    mode->setFocus(Qt::TabFocusReason);
    QTest::keyClick(mode, Qt::Key_Space);
    TypeInto(*w, "Lead screw", "8tpi");
    auto* table = Find<QTableWidget>(*w, QStringLiteral("Targets"));
    for (std::size_t r = 0; r < rows.size(); ++r) {
      table->setFocus(Qt::TabFocusReason);
      QTest::keyClick(table, Qt::Key_Insert);
      for (int c = 0; c < 3; ++c) TypeCell(*w, static_cast<int>(r), c, rows[r][c]);
    }
    return w;
  }
  static QStringList SolveOptions(const QString& targets) {
    return {"--stages", "2", "--min", "20,20,20,20", "--max", "127,127,127,127", "--gears",
            QString(kOwned).replace(' ', ','), "--lead-screw", "8tpi", "--targets", targets, "--range", "0.01%"};
  }

 private slots:
  void chartOfTypedTargets() {
    auto w = Open({{"M10", "1.5mm", ""}, {"", "20tpi", ""}, {"odd", "0.37mm", "0.001%"}, {"worm", "module1.25", "2%"},
                   {"bad", "3furlong", ""}, {"flat", "module1", "0"}});
    // Each bad row is told with the file reader's words, and Search waits for it to be mended.
    const QString message = Message(*w, "Targets");
    for (const auto& [row, line] : {std::pair{5, "name,target,tolerance\nbad,3furlong,"}, std::pair{6, "name,target,tolerance\nflat,module1,0"}}) {
      QFile file(m_files.filePath("bad.txt"));
      QVERIFY(file.open(QIODevice::WriteOnly) && file.write(line) > 0);
      file.close();
      const QString said = QString::fromUtf8(Solve(SolveOptions(file.fileName()))).section(": line 2: ", 1).trimmed();
      QVERIFY2(!said.isEmpty() && message.contains(QStringLiteral("Row %1: ").arg(row) + said), qPrintable(message + " | " + said));
    }
    QVERIFY(!Find<QPushButton>(*w, "Search")->isEnabled());
    auto* table = Find<QTableWidget>(*w, QStringLiteral("Targets"));
    for (int row : {5, 4}) {
      table->setFocus(Qt::TabFocusReason);
      table->setCurrentCell(row, 1);
      QTest::keyClick(table, Qt::Key_Delete);
    }
    QVERIFY2(!Message(*w, "Targets").contains("Row"), qPrintable(Message(*w, "Targets")));
    QVERIFY(w->Search() && WaitFinished(*w));

    // One group per target, reached or not in words, the closest train under each.
    struct Expected { const char* label; const char* reached; const char* reduction; };
    const Expected groups[] = {{"M10 (1.5mm)", "reached", "127/60"}, {"20tpi", "reached", "5/2"},
                               {"odd (0.37mm)", "NOT REACHED", nullptr}, {"worm (module1.25)", "reached", nullptr}};
    auto* view = Find<QTreeView>(*w, QStringLiteral("Chart"));
    QCOMPARE(view->model()->rowCount(), 4);
    for (int g = 0; g < 4; ++g) {
      QCOMPARE(Group(*w, g, ChartModel::Target), QString(groups[g].label));
      QCOMPARE(Group(*w, g, ChartModel::Reached), QString(groups[g].reached));
      const QModelIndex first = view->model()->index(0, ChartModel::Reduction, view->model()->index(g, 0));
      if (groups[g].reduction) QCOMPARE(first.data().toString(), QString(groups[g].reduction));
    }
    QVERIFY(Status(*w).startsWith("3 of 4 targets reached"));
    // The train chosen in the chart is drawn.
    view->setCurrentIndex(view->model()->index(0, 0, view->model()->index(0, 0)));
    const std::vector<int> teeth = Find<TrainDrawing>(*w, "Train drawing")->Teeth();
    QCOMPARE(teeth.size(), std::size_t{4});
    QCOMPARE(60 * teeth[1] * teeth[3], 127 * teeth[0] * teeth[2]);

    // The targets saved are what quenmar-solve reads; the CSV and JSON exports are its output.
    const QString targets = m_files.filePath("targets.csv");
    m_answers = {targets};
    QTest::keyClick(Find<QWidget>(*w, "Save targets"), Qt::Key_Space);
    for (const char* format : {"csv", "json"}) {
      const QString path = m_files.filePath(QStringLiteral("chart.") + format);
      m_answers = {path};
      QTest::keyClick(Find<QWidget>(*w, "Export results"), Qt::Key_Space);
      QFile file(path);
      QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(m_errors.join('\n')));
      QCOMPARE(file.readAll(), Solve(SolveOptions(targets) + QStringList{"--format", format}));
    }
    // The printed page, through the PDF printer.
    m_answers = {m_files.filePath("chart.pdf")};
    QTest::keyClick(Find<QWidget>(*w, "Export results"), Qt::Key_Space);
    QFile pdf(m_files.filePath("chart.pdf"));
    QVERIFY(pdf.open(QIODevice::ReadOnly) && pdf.size() > 1000 && pdf.read(5) == "%PDF-");
    QVERIFY(m_errors.isEmpty());
  }

  // The two questions on a tiny case, their gears and status as quenmar-solve gives them.
  void gearToBuyAndFewestGears() {
    struct Case { const char* button; QStringList solve; const char* candidates; };
    const Case cases[] = {{"Gear to buy", {"--buy", "1", "--candidates", "100,127"}, "100,127"},
                          {"Fewest gears", {"--cover", "--candidates", "20,30,40,50,60,127"}, "20,30,40,50,60,127"}};
    for (const Case& c : cases) {
      auto w = Open({{"M10", "1.5mm", ""}, {"", "1mm", ""}, {"", "10tpi", ""}});
      if (QString(c.button) == "Gear to buy") TypeInto(*w, "Owned gears", "20 25 30 40 50 60");
      TypeInto(*w, "Candidates", c.candidates);
      const QString targets = m_files.filePath("tiny.csv");
      m_answers = {targets};
      QTest::keyClick(Find<QWidget>(*w, "Save targets"), Qt::Key_Space);
      QTest::keyClick(Find<QWidget>(*w, c.button), Qt::Key_Space);
      QVERIFY(WaitFinished(*w));
      QStringList options = SolveOptions(targets) + c.solve;
      if (QString(c.button) == "Gear to buy") options.replace(options.indexOf("--gears") + 1, "20,25,30,40,50,60");
      else options.remove(options.indexOf("--gears"), 2);
      const QStringList lines = QString::fromUtf8(Solve(options)).split('\n');
      const QString summary = Find<QLabel>(*w, "Chart summary")->text();
      QVERIFY2(summary.contains(lines[0].mid(7)) && summary.contains("Status: " + lines[1].mid(8)),
               qPrintable(summary + " | " + Status(*w) + " | " + Message(*w, "Candidates") + " | " + lines.join('|')));
      QVERIFY2(Status(*w).contains("3 of 3 targets reached"), qPrintable(Status(*w)));
    }
  }

  // Every input of the mode by Tab, in order; Stop keeps the chart so far and says so.
  void keyboardAndStop() {
    auto w = Open({{"", "1.5mm", ""}, {"", "module2", ""}});
    QWidget* focus = Find<QWidget>(*w, "Targets mode");
    focus->setFocus(Qt::TabFocusReason);
    QStringList reached;
    for (int i = 0; i < 14; ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      reached << QApplication::focusWidget()->accessibleName();
    }
    QCOMPARE(reached, QStringList({"Lead screw", "Targets", "Add target", "Remove target", "Load targets", "Save targets",
                                   "Candidates", "Gears to buy", "Gear to buy", "Max copies", "Time limit",
                                   "Required gears", "Fewest gears", "Tolerance"}));
    // Three free stages of any teeth take far longer than a stop does.
    TypeInto(*w, "Owned gears", "");
    Find<QSpinBox>(*w, "Stages")->setValue(3);
    TypeRanges(*w, {10, 10, 10, 10, 10, 10}, {200, 200, 200, 200, 200, 200});
    QVERIFY(w->Search());
    w->Stop();
    QVERIFY(WaitFinished(*w));
    QVERIFY2(Status(*w).contains("stopped before the end: the chart holds what was found so far"), qPrintable(Status(*w)));
    QCOMPARE(Find<QTreeView>(*w, QStringLiteral("Chart"))->model()->rowCount(), 2);
  }

  // A setup keeps the mode, lead screw and targets; a setup of one target writes as before.
  void setupCarriesTargets() {
    auto w = Open({{"M10", "1.5mm", "0.1%"}, {"", "127/90", ""}});
    const QString path = m_files.filePath("targets-setup.json");
    m_answers = {path};
    for (QAction* a : w->findChildren<QAction*>())
      if (a->text() == "&Save setup as...") a->trigger();
    auto fresh = Open({});
    QVERIFY(!fresh->OpenSetup(path));
    auto* table = Find<QTableWidget>(*fresh, QStringLiteral("Targets"));
    QCOMPARE(table->rowCount(), 2);
    QCOMPARE(table->item(0, 2)->text(), QStringLiteral("0.1%"));
    QCOMPARE(Find<QLineEdit>(*fresh, "Lead screw")->text(), QStringLiteral("8tpi"));
    QVERIFY(Find<QCheckBox>(*fresh, "Targets mode")->isChecked());

    const std::string plain = SetupToJson(DesignSetup());
    for (const char* key : {"targetsMode", "leadScrew", "\"targets\""}) QVERIFY(plain.find(key) == std::string::npos);
    const struct { const char* json; const char* problem; } bad[] = {
        {R"({"targets": "1.5mm"})", "\"targets\" must be"}, {R"({"targets": [{"target": 3}]})", "\"targets\" must be"},
        {R"({"leadScrew": 8})", "\"leadScrew\" must be"}};
    for (const auto& b : bad) {
      const auto read = SetupFromJson(b.json);
      QVERIFY(std::holds_alternative<std::string>(read) && std::get<std::string>(read).starts_with(b.problem));
    }
  }
};

QTEST_MAIN(TargetsWindowTest)
#include "TargetsWindowTest.moc"
