#include "DesignWindow.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QRegularExpression>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "DesignFormat.h"
#include "PlanetaryDrawing.h"
#include "DesignHelp.h"
#include "DesignInputs.h"
#include "OutlineExport.h"
#include "SearchWorker.h"
#include "TrainDrawing.h"
#include "TrainLayout.h"
#include "ChartModel.h"
#include "TargetsPanel.h"
#include "TrainTableModel.h"

namespace quenmar::design {

namespace {

constexpr qint64 kLargestSetupFile = 1 << 20;
constexpr qint64 kLargestGearsFile = 1 << 20;

QSettings Settings() { return QSettings(QStringLiteral("Quenmar"), QStringLiteral("Quenmar Design")); }

// Reads a small text file; the error names the file and the reason.
std::variant<QByteArray, QString> ReadSmallFile(const QString& path, qint64 largest) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return QObject::tr("%1 cannot be read: %2").arg(path, file.errorString());
  if (file.size() > largest)
    return QObject::tr("%1 is too large (over %2 bytes)").arg(path).arg(largest);
  return file.readAll();
}

QPushButton* NamedButton(const QString& text, const char* name, const QString& tip) {
  auto* button = new QPushButton(text);
  button->setAccessibleName(QString::fromLatin1(name));
  button->setToolTip(tip);
  return button;
}

QString TimeLeft(double seconds) {
  if (seconds < 90) return QObject::tr("about %1 s left").arg(std::max(1, static_cast<int>(std::lround(seconds))));
  if (seconds < 90 * 60) return QObject::tr("about %1 min left").arg(std::lround(seconds / 60));
  return QObject::tr("about %1 h left").arg(std::lround(seconds / 3600));
}

}  // namespace

DesignWindow::DesignWindow(std::unique_ptr<DesignPrompter> prompter, QWidget* parent)
    : QMainWindow(parent),
      m_prompter(prompter ? std::move(prompter) : std::make_unique<DesignPrompter>()) {
  m_inputs = new DesignInputs;
  m_model = new TrainTableModel(this);
  m_worker = new SearchWorker(this);
  m_chartWorker = new ChartWorker(this);
  // Targets mode takes the single target's place among the inputs.
  m_targets = new TargetsPanel;
  m_targets->Attach(*m_inputs);

  // Left: the inputs, Search and Stop, progress, at a width of their own, so that nothing
  // there moves when a message changes or a scroll bar comes and goes.
  auto* left = new QWidget;
  auto* leftLayout = new QVBoxLayout(left);
  leftLayout->setContentsMargins(6, 6, 6, 6);
  auto* scroll = new QScrollArea;
  m_inputs->setFixedWidth(m_inputs->sizeHint().width());
  scroll->setWidget(m_inputs);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroll->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  left->setFixedWidth(m_inputs->width() + scroll->verticalScrollBar()->sizeHint().width() + 14);
  leftLayout->addWidget(scroll, 1);
  m_searchButton = NamedButton(tr("&Search"), "Search", tr("Search with these inputs (Enter, Ctrl+Return)"));
  m_stopButton = NamedButton(tr("S&top"), "Stop", tr("Stop the search and keep what it found (Escape)"));
  m_resetButton = NamedButton(tr("Rese&t"), "Reset", tr("Put back the start-up inputs and clear the trains"));
  for (QPushButton* b : {m_searchButton, m_stopButton}) b->setProperty("helpTopic", QStringLiteral("searching"));
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(m_searchButton);
  buttons->addWidget(m_stopButton);
  buttons->addStretch(1);
  buttons->addWidget(m_resetButton);
  leftLayout->addLayout(buttons);
  m_progress = new QProgressBar;
  m_progress->setRange(0, 100);
  m_progress->setValue(0);
  m_progress->setAccessibleName(tr("Progress"));
  leftLayout->addWidget(m_progress);

  // Right: the trains over the drawing.
  m_table = new QTableView;
  m_table->setModel(m_model);
  m_table->setAccessibleName(tr("Results"));
  m_table->setProperty("helpTopic", QStringLiteral("results"));
  m_table->setToolTip(tr("The trains found: choose one to draw it, click a heading to sort by it"));
  m_table->setSortingEnabled(true);
  m_table->horizontalHeader()->setSortIndicator(TrainTableModel::Difference, Qt::AscendingOrder);
  m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
  m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_table->setTabKeyNavigation(false);  // Tab goes on to the drawing and the exports
  m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
  m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  m_table->horizontalHeader()->setResizeContentsPrecision(200);
  m_drawing = new TrainDrawing;
  m_drawing->setAccessibleName(tr("Train drawing"));
  m_drawing->setProperty("helpTopic", QStringLiteral("drawing"));
  m_drawing->setToolTip(tr("Wheel: zoom; drag: pan; + and \u2212 zoom, arrows pan, 0 fits"));
  m_fitButton = NamedButton(tr("&Fit"), "Fit drawing", tr("Show the whole train (0 in the drawing)"));
  m_exportButton = NamedButton(tr("&Export results..."), "Export results",
                               tr("Write the trains as CSV or JSON (Ctrl+E)"));
  m_exportDrawingButton = NamedButton(tr("Export &drawing..."), "Export drawing",
                                      tr("Write the drawing as SVG (true scale, 1 unit = 1 mm) or PNG"));
  m_fitButton->setProperty("helpTopic", QStringLiteral("drawing"));
  for (QPushButton* b : {m_exportButton, m_exportDrawingButton}) b->setProperty("helpTopic", QStringLiteral("files"));
  auto* drawingPane = new QWidget;
  auto* drawingLayout = new QVBoxLayout(drawingPane);
  drawingLayout->setContentsMargins(0, 0, 0, 0);
  drawingLayout->addWidget(m_drawing, 1);
  m_planetaryDrawing = new PlanetaryDrawing;
  m_planetaryDrawing->setAccessibleName(tr("Planetary drawing"));
  m_planetaryDrawing->setProperty("helpTopic", QStringLiteral("planetary-drawing"));
  m_planetaryDrawing->setToolTip(tr("The chosen planetary set to true scale: the first mesh, and the second beside it"));
  m_planetaryDrawing->hide();
  drawingLayout->addWidget(m_planetaryDrawing, 1);
  auto* exports = new QHBoxLayout;
  exports->addWidget(m_fitButton);
  exports->addStretch(1);
  exports->addWidget(m_exportButton);
  exports->addWidget(m_exportDrawingButton);
  drawingLayout->addLayout(exports);
  // Outlines to cut: one gear or the whole train, offset for the cutter's kerf.
  m_outlineOf = new QComboBox;
  m_outlineOf->setAccessibleName(tr("Outline of"));
  m_outlineOf->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  m_outlineOf->setToolTip(tr("Which outline Export outlines writes: the whole train in place, or one gear"));
  m_kerf = new QLineEdit(QStringLiteral("0"));
  m_kerf->setAccessibleName(tr("Kerf"));
  m_kerf->setToolTip(tr("The width a laser or cutter takes away, mm (0 to 2, below twice the smallest root "
                        "rounding): the outlines are offset by half of it, gears outward and bores inward"));
  m_kerf->setMaximumWidth(m_kerf->fontMetrics().horizontalAdvance(QStringLiteral("0.000000")));
  m_exportOutlinesButton = NamedButton(tr("Export o&utlines..."), "Export outlines",
                                       tr("Write the outline to cut, true scale, as SVG or DXF"));
  for (QWidget* w : std::initializer_list<QWidget*>{m_outlineOf, m_kerf, m_exportOutlinesButton})
    w->setProperty("helpTopic", QStringLiteral("outlines"));
  auto* outlines = new QHBoxLayout;
  outlines->addStretch(1);
  auto* outlineLabel = new QLabel(tr("Outli&ne of:"));
  outlineLabel->setBuddy(m_outlineOf);
  auto* kerfLabel = new QLabel(tr("&Kerf (mm):"));
  kerfLabel->setBuddy(m_kerf);
  for (QWidget* w : std::initializer_list<QWidget*>{outlineLabel, m_outlineOf, kerfLabel, m_kerf, m_exportOutlinesButton})
    outlines->addWidget(w);
  drawingLayout->addLayout(outlines);
  m_rightSplit = new QSplitter(Qt::Vertical);
  QWidget* results = m_table;
  BuildChartView(results);
  m_rightSplit->addWidget(results);
  m_rightSplit->addWidget(drawingPane);
  m_rightSplit->setStretchFactor(0, 1);
  m_rightSplit->setStretchFactor(1, 1);
  m_rightSplit->setChildrenCollapsible(false);

  auto* central = new QWidget;
  auto* centralLayout = new QHBoxLayout(central);
  centralLayout->setContentsMargins(0, 0, 6, 0);
  centralLayout->addWidget(left);
  centralLayout->addWidget(m_rightSplit, 1);
  setCentralWidget(central);

  // Its accessible name is its text, so a screen reader hears each change.
  m_status = new QLabel(tr("Ready"));
  statusBar()->addWidget(m_status, 1);

  BuildActions();
  setTabOrder(m_inputs->LastInput(), m_searchButton);
  setTabOrder(m_searchButton, m_stopButton);
  setTabOrder(m_stopButton, m_resetButton);
  setTabOrder(m_resetButton, m_table);
  setTabOrder(m_table, m_chartView);
  setTabOrder(m_chartView, m_drawing);
  setTabOrder(m_drawing, m_planetaryDrawing);
  setTabOrder(m_planetaryDrawing, m_fitButton);
  setTabOrder(m_fitButton, m_exportButton);
  setTabOrder(m_exportButton, m_exportDrawingButton);
  setTabOrder(m_exportDrawingButton, m_outlineOf);
  setTabOrder(m_outlineOf, m_kerf);
  setTabOrder(m_kerf, m_exportOutlinesButton);

  connect(m_inputs, &DesignInputs::changed, this, &DesignWindow::InputsChanged);
  connect(m_inputs, &DesignInputs::drawingChanged, this, &DesignWindow::ShowDrawingOptions);
  connect(m_inputs, &DesignInputs::searchRequested, this, &DesignWindow::Search);
  connect(m_inputs, &DesignInputs::readGearsFileRequested, this, &DesignWindow::ReadGearsFile);
  connect(m_searchButton, &QPushButton::clicked, this, &DesignWindow::Search);
  connect(m_stopButton, &QPushButton::clicked, this, &DesignWindow::Stop);
  connect(m_resetButton, &QPushButton::clicked, this, &DesignWindow::ResetInputs);
  connect(m_exportButton, &QPushButton::clicked, this, &DesignWindow::ExportResults);
  connect(m_exportDrawingButton, &QPushButton::clicked, this, &DesignWindow::ExportDrawing);
  connect(m_exportOutlinesButton, &QPushButton::clicked, this, &DesignWindow::ExportOutlines);
  // A gear clicked in the drawing is the outline chosen, and the one chosen is marked there.
  connect(m_drawing, &TrainDrawing::gearClicked, this, [this](int gear) { m_outlineOf->setCurrentIndex(gear + 1); });
  connect(m_outlineOf, &QComboBox::currentIndexChanged, this, [this](int index) { m_drawing->SetChosenGear(index - 1); });
  connect(m_fitButton, &QPushButton::clicked, m_drawing, &TrainDrawing::Fit);
  connect(m_fitButton, &QPushButton::clicked, m_planetaryDrawing, &PlanetaryDrawing::Fit);
  connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          &DesignWindow::ShowSelectedTrain);
  connect(m_model, &QAbstractItemModel::modelReset, this, &DesignWindow::ShowSelectedTrain);
  connect(m_model, &QAbstractItemModel::layoutChanged, this, &DesignWindow::ShowSelectedTrain);
  connect(m_model, &QAbstractItemModel::rowsRemoved, this, &DesignWindow::ShowSelectedTrain);
  connect(m_worker, &SearchWorker::progressed, this, &DesignWindow::ShowProgress);
  connect(m_worker, &SearchWorker::snapshotTaken, this, [this](const std::vector<DesignTrain>& trains) {
    m_model->Replace(trains);
    WidenColumns();
    ShowStatus();
  });
  connect(m_worker, &SearchWorker::trainsFound, this, [this](const std::vector<DesignTrain>& batch) {
    m_model->Append(batch);
    WidenColumns();
    ShowStatus();
  });
  connect(m_worker, &SearchWorker::finished, this, &DesignWindow::Finished);
  connect(m_chartWorker, &ChartWorker::progressed, this, &DesignWindow::ShowProgress);
  connect(m_chartWorker, &ChartWorker::finished, this, &DesignWindow::ChartFinished);
  connect(m_targets, &TargetsPanel::edited, this, &DesignWindow::InputsChanged);
  connect(m_targets, &TargetsPanel::buyRequested, this, &DesignWindow::BuyGears);
  connect(m_targets, &TargetsPanel::coverRequested, this, &DesignWindow::FewestGears);
  connect(m_targets, &TargetsPanel::loadRequested, this, &DesignWindow::LoadTargetsFile);
  connect(m_targets, &TargetsPanel::saveRequested, this, &DesignWindow::SaveTargetsFile);

  // Text fields take Ctrl+E as "end of line"; in this window it exports, wherever the focus is.
  for (QLineEdit* edit : findChildren<QLineEdit*>()) edit->installEventFilter(this);

  RestoreSettings();
  m_table->resizeColumnsToContents();
  ShowDrawingOptions();
  UpdateTitle();
  UpdateStates();
}

DesignWindow::~DesignWindow() = default;

void DesignWindow::BuildActions() {
  QMenu* file = menuBar()->addMenu(tr("&File"));
  QAction* open = file->addAction(tr("&Open setup..."), this, &DesignWindow::OpenSetupFile);
  open->setShortcut(QKeySequence::Open);
  QAction* save = file->addAction(tr("&Save setup as..."), this, &DesignWindow::SaveSetupAs);
  save->setShortcut(QKeySequence::Save);
  file->addSeparator();
  m_exportAction = file->addAction(tr("&Export results..."), this, &DesignWindow::ExportResults);
  m_exportAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
  m_exportDrawingAction =
      file->addAction(tr("Export &drawing..."), this, &DesignWindow::ExportDrawing);
  m_exportOutlinesAction =
      file->addAction(tr("Export o&utlines..."), this, &DesignWindow::ExportOutlines);
  file->addSeparator();
  file->addAction(tr("&Reset to defaults"), this, &DesignWindow::ResetInputs);
  file->addSeparator();
  QAction* quit = file->addAction(tr("&Quit"), this, &QWidget::close);
  quit->setShortcut(QKeySequence::Quit);

  QMenu* edit = menuBar()->addMenu(tr("&Edit"));
  m_copyAction = edit->addAction(tr("&Copy rows"), this, &DesignWindow::CopyRows);
  m_copyAction->setShortcut(QKeySequence::Copy);

  QMenu* view = menuBar()->addMenu(tr("&View"));
  QMenu* unit = view->addMenu(tr("&Difference in"));
  auto* units = new QActionGroup(this);
  const std::pair<QString, TrainTableModel::Unit> choices[] = {
      {tr("&absolute (R \u2212 T)"), TrainTableModel::Unit::Absolute},
      {tr("&ppm of the target"), TrainTableModel::Unit::Ppm},
      {tr("&s/day (clock trains)"), TrainTableModel::Unit::SecondsPerDay}};
  for (const auto& [text, value] : choices) {
    QAction* action = unit->addAction(text, this, [this, value = value] {
      m_model->SetUnit(value);
      m_table->resizeColumnToContents(TrainTableModel::Difference);
    });
    action->setCheckable(true);
    action->setChecked(value == m_model->DifferenceUnit());
    action->setData(static_cast<int>(value));
    units->addAction(action);
  }
  view->addAction(tr("&Fit drawing"), m_drawing, &TrainDrawing::Fit);

  QMenu* search = menuBar()->addMenu(tr("&Search"));
  m_searchAction = search->addAction(tr("&Search"), this, &DesignWindow::Search);
  m_searchAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return));
  m_stopAction = search->addAction(tr("S&top"), this, &DesignWindow::Stop);
  m_stopAction->setShortcut(QKeySequence(Qt::Key_Escape));

  BuildChartActions();

  QMenu* help = menuBar()->addMenu(tr("&Help"));
  QAction* page = help->addAction(tr("Quenmar Design &Help"), this, &DesignWindow::ShowHelp);
  page->setShortcut(QKeySequence::HelpContents);
}

bool DesignWindow::Searching() const { return m_worker->Running() || m_chartWorker->Running(); }

void DesignWindow::UpdateStates() {
  const bool running = Searching();
  const bool valid = TargetsMode() ? ChartReady() : m_inputs->Reading().query.has_value();
  m_searchButton->setEnabled(valid && !running);
  m_searchAction->setEnabled(valid && !running);
  m_stopButton->setEnabled(running);
  m_stopAction->setEnabled(running);
  m_inputs->setEnabled(!running);
  m_resetButton->setEnabled(!running);
  const bool results = (m_outcome.has_value() || ChartShown()) && !running;
  m_exportButton->setEnabled(results);
  m_exportAction->setEnabled(results);
  m_exportDrawingButton->setEnabled(HasDrawing());
  m_exportDrawingAction->setEnabled(HasDrawing());
  m_fitButton->setEnabled(HasDrawing());
  for (QWidget* w : std::initializer_list<QWidget*>{m_exportOutlinesButton, m_outlineOf, m_kerf})
    w->setEnabled(m_drawing->HasTrain());
  m_exportOutlinesAction->setEnabled(m_drawing->HasTrain());
  m_targets->setEnabled(!running);
  for (QAction* action : {m_buyAction, m_coverAction}) action->setEnabled(TargetsMode() && ChartReady() && !running);
  for (QAction* action : {m_printAction, m_previewAction}) action->setEnabled(ChartShown() && !running);
}

void DesignWindow::ShowDrawingOptions() {
  if (!m_inputs->Reading().problems.module.empty()) return;  // the last good module stays
  m_drawing->SetGeometry(m_inputs->Reading().drawing, m_inputs->Setup().coaxial);
}

bool DesignWindow::ResultsStale() const {
  return m_shownSetup && SearchedPart(*m_shownSetup) != SearchedPart(CurrentSetup());
}

void DesignWindow::InputsChanged() {
  CheckTargets();
  m_model->SetStale(ResultsStale());
  UpdateTitle();
  UpdateStates();
  ShowStatus();
}

void DesignWindow::UpdateTitle() {
  if (m_setupPath.isEmpty()) {
    setWindowTitle(tr("Quenmar Design"));
    setWindowModified(false);
    return;
  }
  setWindowTitle(tr("%1[*] \u2014 Quenmar Design").arg(QFileInfo(m_setupPath).fileName()));
  setWindowModified(CurrentSetup() != m_savedSetup);
}

bool DesignWindow::Search() {
  if (TargetsMode()) return StartChart(ChartJob::Kind::Chart);
  const std::optional<DesignQuery>& query = m_inputs->Reading().query;
  if (!query || Searching()) return false;
  m_shownSetup = CurrentSetup();
  m_shownQuery = *query;
  m_outcome.reset();
  m_chart.reset();
  m_chartJob.reset();
  m_chartModel->Clear();
  m_chartView->hide();
  m_chartSummary->hide();
  m_table->show();
  m_lastProgress.reset();
  m_model->SetPlanetary(query->planetary);
  m_model->Reset(GearCount(*query), query->target);
  m_table->resizeColumnsToContents();
  // Every search starts ordered by the difference, whatever the last one was sorted by.
  m_table->horizontalHeader()->setSortIndicator(TrainTableModel::Difference, Qt::AscendingOrder);
  m_progress->setValue(0);
  QWidget* focus = QApplication::focusWidget();
  m_focusBeforeSearch = focus && m_inputs->isAncestorOf(focus) ? focus : nullptr;
  m_worker->Start(*query);
  UpdateStates();
  ShowStatus();
  return true;
}

void DesignWindow::Stop() {
  if (!Searching()) return;
  m_worker->Stop();
  m_chartWorker->Stop();
  m_status->setText(tr("Stopping..."));
}

void DesignWindow::ShowProgress(const DesignProgress& progress) {
  m_lastProgress = progress;
  // Until the search can say how far it has come, the bar shows that it is busy.
  if (progress.percent == 0) m_progress->setRange(0, 0);
  else m_progress->setRange(0, 100);
  m_progress->setValue(progress.percent);
  ShowStatus();
}

void DesignWindow::WidenColumns() {
  // Columns only grow while trains come in, so that nothing jumps under the pointer.
  QHeaderView* header = m_table->horizontalHeader();
  for (int column = 0; column < m_model->columnCount(); ++column) {
    const int wanted = std::max(static_cast<QAbstractItemView*>(m_table)->sizeHintForColumn(column),
                                header->sectionSizeHint(column));
    if (wanted > header->sectionSize(column)) header->resizeSection(column, wanted);
  }
}

void DesignWindow::Finished() {
  DesignResult outcome = m_worker->TakeResult();
  m_model->Replace(std::move(outcome.trains));
  outcome.trains.clear();
  m_outcome = std::move(outcome);
  const int reached = m_lastProgress ? m_lastProgress->percent : 0;
  m_lastProgress.reset();
  // A finished search shows its bar full; a stopped one keeps where it stopped.
  m_progress->setRange(0, 100);
  m_progress->setValue(m_outcome->stopped ? reached : 100);
  m_table->resizeColumnsToContents();
  // The train chosen while the search ran stays chosen; otherwise the first in the order shown.
  if (m_model->rowCount() > 0 && !m_table->selectionModel()->currentIndex().isValid()) m_table->selectRow(0);
  UpdateStates();
  ShowStatus();
  if (m_focusBeforeSearch) m_focusBeforeSearch->setFocus(Qt::OtherFocusReason);
  emit searchFinished();
}

void DesignWindow::ShowStatus() {
  if (m_chartWorker->Running() || ChartShown()) return ShowChartStatus();
  const int count = m_model->rowCount();
  const QString trains = count == 1 ? tr("1 train") : tr("%1 trains").arg(count);
  if (Searching()) {
    QString text = tr("Searching... %1 so far").arg(trains);
    if (m_lastProgress) {
      text += tr("; %1% after %2 s").arg(m_lastProgress->percent).arg(std::lround(m_lastProgress->elapsedSeconds));
      if (m_lastProgress->secondsLeft >= 0) text += QStringLiteral(", ") + TimeLeft(m_lastProgress->secondsLeft);
    }
    m_status->setText(text);
    return;
  }
  if (!m_outcome) {
    m_status->setText(tr("Ready"));
    return;
  }
  QString how = tr("finished");
  if (m_outcome->stopped) {
    how = tr("stopped");
  } else if (m_outcome->outcome == DesignOutcome::MaximumExceeded) {
    how = tr("Max trains reached, more trains qualify");
  } else if (count == 0) {
    QStringList filters;
    if (m_shownQuery->huntingTooth) filters << tr("hunting tooth");
    if (m_shownQuery->coaxial) filters << tr("coaxial");
    if (!m_shownQuery->ownedGears.empty()) filters << tr("the owned gears");
    how = filters.isEmpty() ? tr("finished, none within the tolerance")
                            : tr("finished, none within the tolerance with %1").arg(filters.join(tr(" and ")));
  }
  QString text = tr("%1; %2").arg(trains, how);
  if (ResultsStale()) text += tr("; inputs changed since this search");
  m_status->setText(text);
}

bool DesignWindow::HasDrawing() const { return m_drawing->HasTrain() || m_planetaryDrawing->HasSet(); }

void DesignWindow::ShowSelectedTrain() {
  const QModelIndex current = m_table->selectionModel()->currentIndex();
  const bool picked = current.isValid() && current.row() < m_model->rowCount();
  std::vector<int> teeth = picked ? m_model->Train(current.row()).teeth : std::vector<int>{};
  // A chart's train is the one chosen in the chart.
  if (ChartShown()) teeth = SelectedChartTeeth();
  const DesignQuery* searched = m_chartJob ? &m_chartJob->query : m_shownQuery ? &*m_shownQuery : nullptr;
  // A planetary set is drawn by its own drawing, in the compound trains' place.
  const bool planetary = searched && searched->planetary;
  m_drawing->setVisible(!planetary);
  m_planetaryDrawing->setVisible(planetary);
  m_drawing->SetTrain(!planetary ? teeth : std::vector<int>{});
  if (planetary) m_planetaryDrawing->SetSet(*searched->planetary, teeth);
  // The outlines offered: the train's, then each gear's.
  const int chosen = m_outlineOf->currentIndex();
  QStringList entries;
  if (m_drawing->HasTrain()) entries << tr("the whole train");
  for (std::size_t g = 0; g < m_drawing->Teeth().size(); ++g)
    entries << tr("N%1, %2 teeth").arg(g + 1).arg(m_drawing->Teeth()[g]);
  QStringList shown;
  for (int i = 0; i < m_outlineOf->count(); ++i) shown << m_outlineOf->itemText(i);
  if (shown != entries) {
    m_outlineOf->clear();
    m_outlineOf->addItems(entries);
    m_outlineOf->setCurrentIndex(chosen >= 0 && chosen < entries.size() ? chosen : 0);
  }
  UpdateStates();
}

void DesignWindow::ClearResults() {
  m_shownSetup.reset();
  m_shownQuery.reset();
  m_outcome.reset();
  m_chart.reset();
  m_chartJob.reset();
  m_chartModel->Clear();
  m_chartView->hide();
  m_chartSummary->hide();
  m_table->show();
  m_model->Reset(m_model->GearCount(), Rational());
  m_progress->setRange(0, 100);
  m_progress->setValue(0);
  ShowStatus();
}

QString DesignWindow::Folder(const QString& kind) const {
  const QString folder = Settings().value(QStringLiteral("folders/") + kind).toString();
  return folder.isEmpty() || !QDir(folder).exists() ? QDir::homePath() : folder;
}

void DesignWindow::Remember(const QString& kind, const QString& path) const {
  Settings().setValue(QStringLiteral("folders/") + kind, QFileInfo(path).absolutePath());
}

std::optional<QString> DesignWindow::WriteFile(const QString& path, const QByteArray& bytes) const {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
    return tr("%1 cannot be written: %2").arg(path, file.errorString());
  return std::nullopt;
}

void DesignWindow::ExportResults() {
  if (ChartShown()) return ExportChart();
  if (!m_outcome || !m_shownQuery || Searching()) return;
  if (ResultsStale() &&
      !m_prompter->Confirm(this, tr("Export results"),
                           tr("The inputs have changed since this search. Export the trains it "
                              "found, for the inputs it had?")))
    return;
  const QString path = m_prompter->SaveFileName(this, tr("Export results"), tr("CSV (*.csv);;JSON (*.json)"),
                                                QDir(Folder(QStringLiteral("results"))).filePath(QStringLiteral("trains.csv")));
  if (path.isEmpty()) return;
  Remember(QStringLiteral("results"), path);
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix != QLatin1String("csv") && suffix != QLatin1String("json")) {
    m_prompter->Error(this, tr("Export results"),
                      tr("%1: choose a name ending in .csv or .json for the format.").arg(path));
    return;
  }
  DesignResult result = *m_outcome;
  result.trains = m_model->TrainsInSearchOrder();
  const std::string text = suffix == QLatin1String("json") ? DesignJson(*m_shownQuery, result)
                                                           : DesignCsv(*m_shownQuery, result);
  if (auto error = WriteFile(path, QByteArray::fromStdString(text)))
    m_prompter->Error(this, tr("Export results"), *error);
  else m_status->setText(tr("%1 written").arg(path));
}

void DesignWindow::ExportDrawing() {
  if (!HasDrawing()) return;
  const QString path = m_prompter->SaveFileName(this, tr("Export drawing"), tr("SVG (*.svg);;PNG (*.png)"),
                                                QDir(Folder(QStringLiteral("drawing"))).filePath(QStringLiteral("train.svg")));
  if (path.isEmpty()) return;
  Remember(QStringLiteral("drawing"), path);
  const QString suffix = QFileInfo(path).suffix().toLower();
  std::optional<QString> error;
  const bool planetary = m_planetaryDrawing->HasSet();
  if (suffix == QLatin1String("svg")) error = planetary ? m_planetaryDrawing->ExportSvg(path) : m_drawing->ExportSvg(path);
  else if (suffix == QLatin1String("png")) error = planetary ? m_planetaryDrawing->ExportPng(path) : m_drawing->ExportPng(path);
  else error = tr("%1: choose a name ending in .svg or .png for the format.").arg(path);
  if (error) m_prompter->Error(this, tr("Export drawing"), *error);
  else m_status->setText(tr("%1 written").arg(path));
}

void DesignWindow::ExportOutlines() {
  const std::shared_ptr<const TrainLayout> layout = m_drawing->Layout();
  if (!layout) return;
  const geometry::TrainGeometry& train = layout->geometry;
  const QString title = tr("Export outlines");
  // The kerf must leave the tightest curve of an outline, its root rounding, a curve.
  double smallest = 2;
  for (const geometry::PlacedGear& gear : train.gears) smallest = std::min(smallest, 2 * gear.cut.RackRounding());
  const QString kerfText = m_kerf->text().trimmed();
  bool number = false;
  const double kerf = kerfText.toDouble(&number);
  if (!number || kerfText.contains(QRegularExpression(QStringLiteral("[^0-9.]"))) || !(kerf < smallest)) {
    m_prompter->Error(this, title, tr("Kerf: a width from 0 to 2 mm, below %1 mm here (twice the smallest root "
                                      "rounding); \u201c%2\u201d is not one.").arg(QString::number(smallest, 'g', 6), kerfText));
    m_kerf->setFocus(Qt::OtherFocusReason);
    return;
  }
  const int which = m_outlineOf->currentIndex() - 1;  // -1: the whole train
  for (std::size_t g = 0; g < train.gears.size(); ++g) {
    if (which >= 0 && static_cast<int>(g) != which) continue;
    const geometry::GearCut& cut = train.gears[g].cut;
    const double bore = train.shaftDiameters[train.gears[g].shaft];
    if (!(cut.RootRadius() > bore / 2) || !(bore > kerf)) {
      m_prompter->Error(this, title, tr("N%1 (%2 teeth) cannot hold its %3 mm bore %4: no outline written.")
                                         .arg(g + 1).arg(cut.teeth).arg(QString::number(bore, 'g', 6))
                                         .arg(bore > kerf ? tr("inside its root circle") : tr("after the kerf")));
      return;
    }
  }
  const QString name = which < 0 ? QStringLiteral("train.svg")
                                 : QStringLiteral("N%1-%2.svg").arg(which + 1).arg(train.gears[which].cut.teeth);
  const QString path = m_prompter->SaveFileName(this, title, tr("SVG (*.svg);;DXF (*.dxf)"),
                                                QDir(Folder(QStringLiteral("outlines"))).filePath(name));
  if (path.isEmpty()) return;
  Remember(QStringLiteral("outlines"), path);
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix != QLatin1String("svg") && suffix != QLatin1String("dxf")) {
    m_prompter->Error(this, title, tr("%1: choose a name ending in .svg or .dxf for the format.").arg(path));
    return;
  }
  const auto files = geometry::TrainOutlineFiles(
      train, suffix == QLatin1String("dxf") ? geometry::OutlineFormat::Dxf : geometry::OutlineFormat::Svg, kerf);
  const std::string& text = files[which < 0 ? files.size() - 1 : static_cast<std::size_t>(which)].text;
  if (auto error = WriteFile(path, QByteArray::fromStdString(text))) m_prompter->Error(this, title, *error);
  else m_status->setText(tr("%1 written").arg(path));
}

void DesignWindow::CopyRows() {
  std::vector<int> rows;
  for (const QModelIndex& index : m_table->selectionModel()->selectedRows()) rows.push_back(index.row());
  if (rows.empty()) return;
  std::sort(rows.begin(), rows.end());
  QApplication::clipboard()->setText(m_model->TabSeparated(rows));
  m_status->setText(rows.size() == 1 ? tr("1 row copied") : tr("%1 rows copied").arg(rows.size()));
}

void DesignWindow::SaveSetupAs() {
  const QString suggested = m_setupPath.isEmpty()
                                ? QDir(Folder(QStringLiteral("setup"))).filePath(QStringLiteral("setup.json"))
                                : m_setupPath;
  const QString path = m_prompter->SaveFileName(this, tr("Save setup"), tr("Quenmar Design setup (*.json)"), suggested);
  if (path.isEmpty()) return;
  Remember(QStringLiteral("setup"), path);
  if (auto error = WriteFile(path, QByteArray::fromStdString(SetupToJson(CurrentSetup())))) {
    m_prompter->Error(this, tr("Save setup"), *error);
    return;
  }
  m_setupPath = path;
  m_savedSetup = CurrentSetup();
  UpdateTitle();
  m_status->setText(tr("%1 saved").arg(path));
}

std::optional<QString> DesignWindow::OpenSetup(const QString& path) {
  if (Searching()) return tr("a search is running; stop it first");
  const auto bytes = ReadSmallFile(path, kLargestSetupFile);
  if (const QString* error = std::get_if<QString>(&bytes)) return *error;
  auto setup = SetupFromJson(std::get<QByteArray>(bytes).toStdString());
  if (const std::string* error = std::get_if<std::string>(&setup))
    return tr("%1 is not a Quenmar Design setup: %2").arg(path, QString::fromStdString(*error));
  m_setupPath = QFileInfo(path).absoluteFilePath();
  m_savedSetup = std::get<DesignSetup>(setup);
  ShowSetup(m_savedSetup);
  UpdateTitle();
  return std::nullopt;
}

void DesignWindow::OpenSetupFile() {
  const QString path = m_prompter->OpenFileName(this, tr("Open setup"),
                                                tr("Quenmar Design setup (*.json);;All files (*)"),
                                                Folder(QStringLiteral("setup")));
  if (path.isEmpty()) return;
  Remember(QStringLiteral("setup"), path);
  if (auto error = OpenSetup(path)) m_prompter->Error(this, tr("Open setup"), *error);
}

void DesignWindow::ReadGearsFile() {
  const QString path = m_prompter->OpenFileName(this, tr("Read owned gears"),
                                                tr("Text files (*.txt);;All files (*)"), Folder(QStringLiteral("gears")));
  if (path.isEmpty()) return;
  Remember(QStringLiteral("gears"), path);
  const auto bytes = ReadSmallFile(path, kLargestGearsFile);
  if (const QString* error = std::get_if<QString>(&bytes)) {
    m_prompter->Error(this, tr("Read owned gears"), *error);
    return;
  }
  const Parsed<std::vector<int>> gears = ParseGearFile(std::get<QByteArray>(bytes).toStdString());
  if (const std::string* error = std::get_if<std::string>(&gears)) {
    m_prompter->Error(this, tr("Read owned gears"),
                      tr("%1: %2").arg(path, QString::fromStdString(*error)));
    return;
  }
  QStringList counts;
  for (int teeth : std::get<std::vector<int>>(gears)) counts << QString::number(teeth);
  m_inputs->SetOwnedGears(counts.join(QLatin1Char(',')));
}

void DesignWindow::ResetInputs() {
  if (Searching()) return;
  ClearResults();
  ShowSetup(DesignSetup());
}

void DesignWindow::ShowHelp() {
  QWidget* focus = QApplication::focusWidget();
  QString topic = DesignInputs::HelpTopic(focus);
  if (!m_help) m_help = new DesignHelp(this);
  m_help->ShowTopic(topic);
}

void DesignWindow::RestoreSettings() {
  QSettings settings = Settings();
  const QByteArray geometry = settings.value(QStringLiteral("window/geometry")).toByteArray();
  if (geometry.isEmpty() || !restoreGeometry(geometry)) resize(1180, 760);
  m_rightSplit->restoreState(settings.value(QStringLiteral("window/rightSplit")).toByteArray());
  const int unit = settings.value(QStringLiteral("view/unit"), 0).toInt();
  for (QAction* action : findChildren<QAction*>())
    if (action->isCheckable() && action->data().isValid() && action->data().toInt() == unit) action->trigger();
  auto setup = SetupFromJson(settings.value(QStringLiteral("setup/last")).toString().toStdString());
  if (auto* restored = std::get_if<DesignSetup>(&setup)) ShowSetup(*restored);
  m_setupPath = settings.value(QStringLiteral("setup/file")).toString();
  auto saved = SetupFromJson(settings.value(QStringLiteral("setup/saved")).toString().toStdString());
  if (auto* restored = std::get_if<DesignSetup>(&saved)) m_savedSetup = *restored;
  else m_setupPath.clear();
}

void DesignWindow::StoreSettings() const {
  QSettings settings = Settings();
  settings.setValue(QStringLiteral("window/geometry"), saveGeometry());
  settings.setValue(QStringLiteral("window/rightSplit"), m_rightSplit->saveState());
  settings.setValue(QStringLiteral("view/unit"), static_cast<int>(m_model->DifferenceUnit()));
  settings.setValue(QStringLiteral("setup/last"), QString::fromStdString(SetupToJson(CurrentSetup())));
  settings.setValue(QStringLiteral("setup/file"), m_setupPath);
  settings.setValue(QStringLiteral("setup/saved"), QString::fromStdString(SetupToJson(m_savedSetup)));
}

bool DesignWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride &&
      static_cast<QKeyEvent*>(event)->keyCombination() == QKeyCombination(Qt::CTRL | Qt::Key_E))
    return true;  // not accepted by the field, so the window's shortcut runs
  return QMainWindow::eventFilter(watched, event);
}

void DesignWindow::closeEvent(QCloseEvent* event) {
  if (Searching()) {
    m_worker->Stop();
    m_chartWorker->Stop();
    // The worker thread ends soon once stopped; its result is no longer wanted.
  }
  StoreSettings();
  if (m_help) m_help->close();
  event->accept();
}

}  // namespace quenmar::design
