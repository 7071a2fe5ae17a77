#include "DesignWindow.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "DesignFormat.h"
#include "DesignInputs.h"
#include "DesignSetup.h"
#include "SearchWorker.h"
#include "TrainDrawing.h"
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

QPushButton* NamedButton(const QString& text, const char* name) {
  auto* button = new QPushButton(text);
  button->setAccessibleName(QString::fromLatin1(name));
  return button;
}

}  // namespace

DesignWindow::DesignWindow(std::unique_ptr<DesignPrompter> prompter, QWidget* parent)
    : QMainWindow(parent),
      m_prompter(prompter ? std::move(prompter) : std::make_unique<DesignPrompter>()) {
  setWindowTitle(tr("Quenmar Design"));
  m_inputs = new DesignInputs;
  m_model = new TrainTableModel(this);
  m_worker = new SearchWorker(this);

  // Left: the inputs, Search and Stop, progress.
  auto* left = new QWidget;
  auto* leftLayout = new QVBoxLayout(left);
  auto* scroll = new QScrollArea;
  scroll->setWidget(m_inputs);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroll->setMinimumWidth(m_inputs->sizeHint().width() +
                          scroll->verticalScrollBar()->sizeHint().width() + 4);
  leftLayout->addWidget(scroll, 1);
  m_searchButton = NamedButton(tr("&Search"), "Search");
  m_stopButton = NamedButton(tr("S&top"), "Stop");
  m_resetButton = NamedButton(tr("Rese&t"), "Reset");
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
  m_table->setSortingEnabled(true);
  m_table->horizontalHeader()->setSortIndicator(TrainTableModel::Difference, Qt::AscendingOrder);
  m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
  m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
  m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  m_drawing = new TrainDrawing;
  m_drawing->setAccessibleName(tr("Train drawing"));
  m_exportButton = NamedButton(tr("&Export results..."), "Export");
  m_exportDrawingButton = NamedButton(tr("Export &drawing..."), "Export drawing");
  auto* drawingPane = new QWidget;
  auto* drawingLayout = new QVBoxLayout(drawingPane);
  drawingLayout->setContentsMargins(0, 0, 0, 0);
  drawingLayout->addWidget(m_drawing, 1);
  auto* exports = new QHBoxLayout;
  exports->addStretch(1);
  exports->addWidget(m_exportButton);
  exports->addWidget(m_exportDrawingButton);
  drawingLayout->addLayout(exports);
  m_rightSplit = new QSplitter(Qt::Vertical);
  m_rightSplit->addWidget(m_table);
  m_rightSplit->addWidget(drawingPane);
  m_rightSplit->setStretchFactor(0, 1);
  m_rightSplit->setStretchFactor(1, 1);

  m_split = new QSplitter(Qt::Horizontal);
  m_split->addWidget(left);
  m_split->addWidget(m_rightSplit);
  m_split->setStretchFactor(1, 1);
  setCentralWidget(m_split);

  m_status = new QLabel(tr("Ready"));
  m_status->setAccessibleName(tr("Status"));
  statusBar()->addWidget(m_status, 1);

  BuildActions();
  setTabOrder(m_inputs->LastInput(), m_searchButton);
  setTabOrder(m_searchButton, m_stopButton);
  setTabOrder(m_stopButton, m_resetButton);
  setTabOrder(m_resetButton, m_table);
  setTabOrder(m_table, m_exportButton);
  setTabOrder(m_exportButton, m_exportDrawingButton);

  connect(m_inputs, &DesignInputs::changed, this, &DesignWindow::UpdateStates);
  connect(m_inputs, &DesignInputs::moduleChanged, m_drawing, &TrainDrawing::SetModule);
  connect(m_inputs, &DesignInputs::searchRequested, this, &DesignWindow::Search);
  connect(m_inputs, &DesignInputs::readGearsFileRequested, this, &DesignWindow::ReadGearsFile);
  connect(m_searchButton, &QPushButton::clicked, this, &DesignWindow::Search);
  connect(m_stopButton, &QPushButton::clicked, this, &DesignWindow::Stop);
  connect(m_resetButton, &QPushButton::clicked, this, &DesignWindow::ResetInputs);
  connect(m_exportButton, &QPushButton::clicked, this, &DesignWindow::ExportResults);
  connect(m_exportDrawingButton, &QPushButton::clicked, this, &DesignWindow::ExportDrawing);
  connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          &DesignWindow::ShowSelectedTrain);
  connect(m_model, &QAbstractItemModel::modelReset, this, &DesignWindow::ShowSelectedTrain);
  connect(m_worker, &SearchWorker::progressed, m_progress, &QProgressBar::setValue);
  connect(m_worker, &SearchWorker::trainsFound, this,
          [this](const std::vector<DesignTrain>& batch) {
            m_model->Append(batch);
            ShowStatus();
          });
  connect(m_worker, &SearchWorker::finished, this, &DesignWindow::Finished);

  // Text fields take Ctrl+E as "end of line"; in this window it exports, wherever the focus is.
  for (QLineEdit* edit : findChildren<QLineEdit*>()) edit->installEventFilter(this);

  RestoreSettings();
  m_drawing->SetModule(m_inputs->Reading().module);
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
  file->addSeparator();
  file->addAction(tr("&Reset to defaults"), this, &DesignWindow::ResetInputs);
  file->addSeparator();
  QAction* quit = file->addAction(tr("&Quit"), this, &QWidget::close);
  quit->setShortcut(QKeySequence::Quit);

  QMenu* edit = menuBar()->addMenu(tr("&Edit"));
  m_copyAction = edit->addAction(tr("&Copy rows"), this, &DesignWindow::CopyRows);
  m_copyAction->setShortcut(QKeySequence::Copy);

  QMenu* search = menuBar()->addMenu(tr("&Search"));
  m_searchAction = search->addAction(tr("&Search"), this, &DesignWindow::Search);
  m_searchAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return));
  m_stopAction = search->addAction(tr("S&top"), this, &DesignWindow::Stop);
  m_stopAction->setShortcut(QKeySequence(Qt::Key_Escape));
}

bool DesignWindow::Searching() const { return m_worker->Running(); }

void DesignWindow::UpdateStates() {
  const bool running = Searching();
  const bool valid = m_inputs->Reading().query.has_value();
  m_searchButton->setEnabled(valid && !running);
  m_searchAction->setEnabled(valid && !running);
  m_stopButton->setEnabled(running);
  m_stopAction->setEnabled(running);
  m_inputs->setEnabled(!running);
  m_resetButton->setEnabled(!running);
  const bool results = m_outcome.has_value() && !running;
  m_exportButton->setEnabled(results);
  m_exportAction->setEnabled(results);
  m_exportDrawingButton->setEnabled(m_drawing->HasTrain());
  m_exportDrawingAction->setEnabled(m_drawing->HasTrain());
}

bool DesignWindow::Search() {
  const std::optional<DesignQuery>& query = m_inputs->Reading().query;
  if (!query || Searching()) return false;
  m_shownQuery = *query;
  m_outcome.reset();
  m_model->Reset(GearCount(*query), query->target);
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
  m_status->setText(tr("Stopping..."));
}

void DesignWindow::Finished() {
  DesignResult outcome = m_worker->TakeResult();
  m_model->Replace(std::move(outcome.trains));
  outcome.trains.clear();
  m_outcome = std::move(outcome);
  // A finished search shows its bar full; a stopped one keeps where it stopped.
  if (!m_outcome->stopped) m_progress->setValue(100);
  if (m_model->rowCount() > 0) m_table->selectRow(0);  // the first train in the order shown
  UpdateStates();
  ShowStatus();
  if (m_focusBeforeSearch) m_focusBeforeSearch->setFocus(Qt::OtherFocusReason);
  emit searchFinished();
}

void DesignWindow::ShowStatus() {
  const int count = m_model->rowCount();
  const QString trains = count == 1 ? tr("1 train") : tr("%1 trains").arg(count);
  if (Searching()) {
    m_status->setText(tr("Searching... %1 so far").arg(trains));
    return;
  }
  if (!m_outcome) {
    m_status->setText(tr("Ready"));
    return;
  }
  QString how = tr("finished");
  if (m_outcome->stopped) how = tr("stopped");
  else if (m_outcome->outcome == DesignOutcome::MaximumExceeded) how = tr("cap reached");
  if (count == 0 && !m_outcome->stopped) how = tr("finished, none within the tolerance");
  m_status->setText(tr("%1; %2").arg(trains, how));
}

void DesignWindow::ShowSelectedTrain() {
  const QModelIndex current = m_table->selectionModel()->currentIndex();
  if (current.isValid() && current.row() < m_model->rowCount())
    m_drawing->SetTrain(m_model->Train(current.row()).teeth);
  else m_drawing->SetTrain({});
  UpdateStates();
}

std::optional<QString> DesignWindow::WriteFile(const QString& path, const QByteArray& bytes) const {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
    return tr("%1 cannot be written: %2").arg(path, file.errorString());
  return std::nullopt;
}

void DesignWindow::ExportResults() {
  if (!m_outcome || !m_shownQuery || Searching()) return;
  const QString path = m_prompter->SaveFileName(
      this, tr("Export results"), tr("CSV (*.csv);;JSON (*.json)"), QStringLiteral("trains.csv"));
  if (path.isEmpty()) return;
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
  if (!m_drawing->HasTrain()) return;
  const QString path = m_prompter->SaveFileName(
      this, tr("Export drawing"), tr("SVG (*.svg);;PNG (*.png)"), QStringLiteral("train.svg"));
  if (path.isEmpty()) return;
  const QString suffix = QFileInfo(path).suffix().toLower();
  std::optional<QString> error;
  if (suffix == QLatin1String("svg")) error = m_drawing->ExportSvg(path);
  else if (suffix == QLatin1String("png")) error = m_drawing->ExportPng(path);
  else error = tr("%1: choose a name ending in .svg or .png for the format.").arg(path);
  if (error) m_prompter->Error(this, tr("Export drawing"), *error);
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
  const QString path = m_prompter->SaveFileName(
      this, tr("Save setup"), tr("Quenmar Design setup (*.json)"), QStringLiteral("setup.json"));
  if (path.isEmpty()) return;
  if (auto error = WriteFile(path, QByteArray::fromStdString(SetupToJson(m_inputs->Setup()))))
    m_prompter->Error(this, tr("Save setup"), *error);
  else m_status->setText(tr("%1 saved").arg(path));
}

std::optional<QString> DesignWindow::OpenSetup(const QString& path) {
  if (Searching()) return tr("a search is running; stop it first");
  const auto bytes = ReadSmallFile(path, kLargestSetupFile);
  if (const QString* error = std::get_if<QString>(&bytes)) return *error;
  auto setup = SetupFromJson(std::get<QByteArray>(bytes).toStdString());
  if (const std::string* error = std::get_if<std::string>(&setup))
    return tr("%1 is not a Quenmar Design setup: %2").arg(path, QString::fromStdString(*error));
  m_inputs->SetSetup(std::get<DesignSetup>(setup));
  return std::nullopt;
}

void DesignWindow::OpenSetupFile() {
  const QString path =
      m_prompter->OpenFileName(this, tr("Open setup"), tr("Quenmar Design setup (*.json);;All files (*)"));
  if (path.isEmpty()) return;
  if (auto error = OpenSetup(path)) m_prompter->Error(this, tr("Open setup"), *error);
}

void DesignWindow::ReadGearsFile() {
  const QString path =
      m_prompter->OpenFileName(this, tr("Read owned gears"), tr("Text files (*.txt);;All files (*)"));
  if (path.isEmpty()) return;
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
  m_inputs->SetSetup(DesignSetup());
}

void DesignWindow::RestoreSettings() {
  QSettings settings = Settings();
  const QByteArray geometry = settings.value(QStringLiteral("window/geometry")).toByteArray();
  if (geometry.isEmpty() || !restoreGeometry(geometry)) resize(1180, 760);
  m_split->restoreState(settings.value(QStringLiteral("window/split")).toByteArray());
  m_rightSplit->restoreState(settings.value(QStringLiteral("window/rightSplit")).toByteArray());
  const std::string json = settings.value(QStringLiteral("setup/last")).toString().toStdString();
  auto setup = SetupFromJson(json);
  if (auto* restored = std::get_if<DesignSetup>(&setup)) m_inputs->SetSetup(*restored);
}

void DesignWindow::StoreSettings() const {
  QSettings settings = Settings();
  settings.setValue(QStringLiteral("window/geometry"), saveGeometry());
  settings.setValue(QStringLiteral("window/split"), m_split->saveState());
  settings.setValue(QStringLiteral("window/rightSplit"), m_rightSplit->saveState());
  settings.setValue(QStringLiteral("setup/last"), QString::fromStdString(SetupToJson(m_inputs->Setup())));
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
    // The worker thread ends soon once stopped; its result is no longer wanted.
  }
  StoreSettings();
  event->accept();
}

}  // namespace quenmar::design
