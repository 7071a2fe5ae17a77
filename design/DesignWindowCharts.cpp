// The design window's part of Targets mode: the chart view beside the table of trains, the
// runs of a chart, the gears to buy and the fewest gears on the chart worker, their
// results, the chart's exports and its printed page.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QTableView>
#include <QTreeView>
#include <QVBoxLayout>
#include <cmath>

#include "ChartModel.h"
#include "DesignInputs.h"
#include "DesignWindow.h"
#include "TargetsPanel.h"
#include "TrainTableModel.h"
#include "WindowChecks.h"

namespace quenmar::design {

namespace {

constexpr qint64 kLargestTargetsFile = 1 << 20;

QString Join(const std::vector<int>& gears) {
  QStringList counts;
  for (int g : gears) counts << QString::number(g);
  return counts.join(QStringLiteral(", "));
}

}  // namespace

DesignSetup DesignWindow::CurrentSetup() const {
  DesignSetup setup = m_inputs->Setup();
  m_targets->Take(setup);
  return setup;
}

void DesignWindow::ShowSetup(const DesignSetup& setup) {
  m_targets->Show(setup);
  m_inputs->SetSetup(setup);
  InputsChanged();
}

void DesignWindow::BuildChartView(QWidget*& results) {
  m_chartModel = new ChartModel(this);
  m_chartView = new QTreeView;
  m_chartView->setModel(m_chartModel);
  m_chartView->setAccessibleName(tr("Chart"));
  m_chartView->setProperty("helpTopic", QStringLiteral("chart"));
  m_chartView->setToolTip(tr("A group per target, reached or NOT REACHED, its best trains under it: choose a "
                             "train to draw it"));
  m_chartView->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_chartView->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_chartView->setAlternatingRowColors(true);
  m_chartView->setUniformRowHeights(true);
  m_chartView->header()->setSectionResizeMode(QHeaderView::Interactive);
  m_chartSummary = new QLabel;
  m_chartSummary->setAccessibleName(tr("Chart summary"));
  m_chartSummary->setWordWrap(true);
  m_chartSummary->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* pane = new QWidget;
  auto* layout = new QVBoxLayout(pane);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_chartSummary);
  layout->addWidget(m_chartView, 1);
  layout->addWidget(results, 1);
  m_chartSummary->hide();
  m_chartView->hide();
  results = pane;
  connect(m_chartView->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          &DesignWindow::ShowSelectedTrain);
}

void DesignWindow::BuildChartActions() {
  QMenu* menu = menuBar()->addMenu(tr("Tar&gets"));
  QAction* mode = menu->addAction(tr("&Targets mode"));
  mode->setCheckable(true);
  connect(mode, &QAction::triggered, this, [this](bool on) {
    DesignSetup setup = CurrentSetup();
    setup.targetsMode = on;
    m_targets->Show(setup);
    InputsChanged();
  });
  connect(menu, &QMenu::aboutToShow, this, [this, mode] { mode->setChecked(TargetsMode()); });
  menu->addAction(tr("&Load targets..."), this, &DesignWindow::LoadTargetsFile);
  menu->addAction(tr("&Save targets..."), this, &DesignWindow::SaveTargetsFile);
  menu->addSeparator();
  m_buyAction = menu->addAction(tr("Gear to &buy"), this, &DesignWindow::BuyGears);
  m_coverAction = menu->addAction(tr("&Fewest gears"), this, &DesignWindow::FewestGears);
  menu->addSeparator();
  menu->addAction(tr("&Export chart..."), this, &DesignWindow::ExportChart);
  m_printAction = menu->addAction(tr("&Print chart..."), this, &DesignWindow::PrintChart);
  m_printAction->setShortcut(QKeySequence::Print);
  m_previewAction = menu->addAction(tr("Print pre&view..."), this, &DesignWindow::PreviewChart);
}

bool DesignWindow::TargetsMode() const { return m_targets->TargetsMode(); }

void DesignWindow::CheckTargets() {
  // The chart reads the inputs as the single search does, but for the target (each row has
  // its own) and Best (the trains listed per target, at least one).
  const DesignSetup setup = ChartPart(m_inputs->Setup());
  SetupReading reading = ReadSetup(setup);
  CheckForWindow(setup, reading);
  m_chartQuery = reading.query;
  m_targets->Check(ChartFallbackTolerance(setup, reading));
}

bool DesignWindow::ChartReady() const { return m_chartQuery.has_value() && m_targets->Current().ok; }

bool DesignWindow::ChartShown() const { return m_chart.has_value() && m_chartJob.has_value(); }

bool DesignWindow::BuyGears() { return StartChart(ChartJob::Kind::Buy); }
bool DesignWindow::FewestGears() { return StartChart(ChartJob::Kind::Cover); }

bool DesignWindow::StartChart(ChartJob::Kind kind) {
  if (Searching() || !TargetsMode()) return false;
  CheckTargets();
  if (!ChartReady()) {
    m_status->setText(tr("The chart's inputs are not complete: see the messages beside them"));
    return false;
  }
  ChartJob job;
  job.kind = kind;
  job.query = *m_chartQuery;
  job.best = job.query.best;
  job.targets = m_targets->Current().targets;
  job.lead = m_targets->Current().lead;
  const QString title = kind == ChartJob::Kind::Chart ? tr("Chart") : kind == ChartJob::Kind::Buy ? tr("Gear to buy")
                                                                                                  : tr("Fewest gears");
  std::optional<std::string> problem = CheckChart(job.query, job.targets, job.best);
  if (!problem && kind == ChartJob::Kind::Buy) {
    auto candidates = m_targets->Candidates();
    if (!candidates) return false;
    job.buy = m_targets->BuyCount();
    job.candidates = *candidates;
    if ((problem = CheckPurchase(job.query, job.buy, job.candidates))) m_targets->ShowQuestionProblem(QString::fromStdString(*problem));
  }
  if (!problem && kind == ChartJob::Kind::Cover) {
    auto cover = m_targets->Cover();
    if (!cover) return false;
    job.cover = *cover;
    // The fewest gears choose the whole set from the candidates: the gears owned play no part.
    job.query.ownedGears.clear();
    if ((problem = CheckCover(job.query, job.cover))) m_targets->ShowQuestionProblem(QString::fromStdString(*problem));
  }
  if (problem) {
    m_status->setText(tr("%1: %2").arg(title, QString::fromStdString(*problem)));
    return false;
  }
  m_shownSetup = CurrentSetup();
  m_shownQuery.reset();
  m_outcome.reset();
  m_model->Reset(m_model->GearCount(), Rational());
  m_chart.reset();
  m_chartModel->Clear();
  m_chartJob = job;
  m_lastProgress.reset();
  m_progress->setRange(0, 100);
  m_progress->setValue(0);
  QWidget* focus = QApplication::focusWidget();
  m_focusBeforeSearch = focus && m_inputs->isAncestorOf(focus) ? focus : nullptr;
  m_table->hide();
  m_chartView->show();
  m_chartSummary->hide();
  m_chartWorker->Start(std::move(job));
  ShowSelectedTrain();
  UpdateStates();
  ShowStatus();
  return true;
}

void DesignWindow::ChartFinished() {
  ChartOutcome outcome = m_chartWorker->TakeOutcome();
  const int reached = m_lastProgress ? m_lastProgress->percent : 0;
  m_lastProgress.reset();
  m_progress->setRange(0, 100);
  m_progress->setValue(outcome.stopped || outcome.error ? reached : 100);
  if (outcome.error) {
    m_chartJob.reset();
    m_shownSetup.reset();
    m_chartView->hide();
    m_table->show();
    m_targets->ShowQuestionProblem(QString::fromStdString(*outcome.error));
    m_prompter->Error(this, tr("Fewest gears"), QString::fromStdString(*outcome.error));
    UpdateStates();
    m_status->setText(tr("Fewest gears: %1").arg(QString::fromStdString(*outcome.error)));
  } else {
    m_chartModel->Show(outcome.chart);
    m_chart = std::move(outcome);
    m_chartView->expandAll();
    for (int c = 0; c < ChartModel::ColumnCount; ++c) m_chartView->resizeColumnToContents(c);
    QString summary;
    if (m_chart->kind == ChartJob::Kind::Buy) {
      QStringList gained;
      for (std::size_t t : m_chart->gained) gained << TargetLabel(m_chart->chart.targets[t]);
      summary = tr("Gears to buy: %1. Status: %2. Gained: %3.")
                    .arg(Join(m_chart->gears), QString::fromStdString(m_chart->status),
                         gained.isEmpty() ? tr("none") : gained.join(QStringLiteral(", ")));
    } else if (m_chart->kind == ChartJob::Kind::Cover) {
      summary = tr("Fewest gears: %1 (%2 in all). Status: %3.")
                    .arg(m_chart->gears.empty() ? tr("none found") : Join(m_chart->gears))
                    .arg(m_chart->gears.size())
                    .arg(QString::fromStdString(m_chart->status));
    }
    m_chartSummary->setText(summary);
    m_chartSummary->setVisible(!summary.isEmpty());
    // The first train of the first target is drawn, as the first row of a search is.
    if (m_chartModel->rowCount() > 0 && m_chartModel->item(0)->rowCount() > 0)
      m_chartView->setCurrentIndex(m_chartModel->index(0, 0, m_chartModel->index(0, 0)));
    ShowSelectedTrain();
    UpdateStates();
    ShowStatus();
  }
  if (m_focusBeforeSearch) m_focusBeforeSearch->setFocus(Qt::OtherFocusReason);
  emit searchFinished();
}

void DesignWindow::ShowChartStatus() {
  if (m_chartWorker->Running()) {
    const ChartJob::Kind kind = m_chartJob ? m_chartJob->kind : ChartJob::Kind::Chart;
    QString text = kind == ChartJob::Kind::Chart ? tr("Charting the targets...")
                   : kind == ChartJob::Kind::Buy ? tr("Judging every choice of gears to buy...")
                                                 : tr("Solving for the fewest gears...");
    if (m_lastProgress) {
      text += tr(" %1% after %2 s").arg(m_lastProgress->percent).arg(std::lround(m_lastProgress->elapsedSeconds));
      if (m_lastProgress->secondsLeft >= 0)
        text += tr(", about %1 s left").arg(std::max(1L, std::lround(m_lastProgress->secondsLeft)));
    }
    m_status->setText(text);
    return;
  }
  const Chart& chart = m_chart->chart;
  QString text = tr("%1 of %2 targets reached").arg(chart.ReachedCount()).arg(chart.targets.size());
  text += m_chart->stopped ? tr("; stopped before the end: the chart holds what was found so far") : tr("; finished");
  if (ResultsStale()) text += tr("; inputs changed since this chart");
  m_status->setText(text);
}

std::vector<int> DesignWindow::SelectedChartTeeth() const {
  return m_chartModel->TeethAt(m_chartView->selectionModel()->currentIndex());
}

ChartPage DesignWindow::ChartPageOf() const {
  ChartPage page;
  const Chart& chart = m_chart->chart;
  page.title = chart.lead ? tr("Thread chart, lead screw %1").arg(QString::fromStdString(chart.lead->text))
                          : tr("Chart of targets");
  std::vector<int> set = m_chartJob->query.ownedGears;
  if (m_chart->kind == ChartJob::Kind::Buy) set.insert(set.end(), m_chart->gears.begin(), m_chart->gears.end());
  if (m_chart->kind == ChartJob::Kind::Cover) set = m_chart->gears;
  std::sort(set.begin(), set.end());
  QStringList counts;
  for (int g : set) counts << QString::number(g);
  page.gears = set.empty() ? tr("Gears: any count within the teeth ranges") : tr("Gears: %1").arg(counts.join(QLatin1Char(' ')));
  if (m_chart->kind == ChartJob::Kind::Buy) page.gears += tr("  (bought: %1)").arg(Join(m_chart->gears));
  page.note = tr("%1 of %2 targets reached; the closest train shown where none is within the tolerance. "
                 "The spindle drives N1, the lead screw carries the last gear.")
                  .arg(chart.ReachedCount())
                  .arg(chart.targets.size());
  if (chart.stopped) page.note += tr(" Stopped before the end.");
  return page;
}

void DesignWindow::ExportChart() {
  if (!ChartShown() || Searching()) return;
  const QString title = tr("Export chart");
  if (ResultsStale() &&
      !m_prompter->Confirm(this, title, tr("The inputs have changed since this chart. Export the chart as it "
                                           "was made, for the inputs it had?")))
    return;
  const QString path = m_prompter->SaveFileName(this, title, tr("CSV (*.csv);;JSON (*.json);;PDF (*.pdf)"),
                                                QDir(Folder(QStringLiteral("results"))).filePath(QStringLiteral("chart.csv")));
  if (path.isEmpty()) return;
  Remember(QStringLiteral("results"), path);
  const QString suffix = QFileInfo(path).suffix().toLower();
  std::optional<QString> error;
  if (suffix == QLatin1String("pdf")) {
    error = PrintChartPdf(path);
  } else if (suffix == QLatin1String("csv") || suffix == QLatin1String("json")) {
    const std::string text = suffix == QLatin1String("csv")
                                 ? ChartCsv(m_chartJob->query, m_chart->chart)
                                 : ChartJson(m_chartJob->query, m_chart->chart, m_chart->ExtraJson());
    error = WriteFile(path, QByteArray::fromStdString(text));
  } else {
    error = tr("%1: choose a name ending in .csv, .json or .pdf for the format.").arg(path);
  }
  if (error) m_prompter->Error(this, title, *error);
  else m_status->setText(tr("%1 written").arg(path));
}

std::optional<QString> DesignWindow::PrintChartPdf(const QString& path) {
  if (!ChartShown()) return tr("no chart to print: run one in Targets mode first");
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(path);
  if (PaintChart(printer, ChartPageOf(), m_chart->chart) == 0 || !QFileInfo(path).isFile())
    return tr("%1 cannot be written").arg(path);
  return std::nullopt;
}

void DesignWindow::PrintChart() {
  if (!ChartShown() || Searching()) return;
  QPrinter printer(QPrinter::HighResolution);
  QPrintDialog dialog(&printer, this);
  dialog.setWindowTitle(tr("Print chart"));
  if (dialog.exec() != QDialog::Accepted) return;
  if (PaintChart(printer, ChartPageOf(), m_chart->chart) == 0)
    m_prompter->Error(this, tr("Print chart"), tr("The printer could not be started."));
}

void DesignWindow::PreviewChart() {
  if (!ChartShown() || Searching()) return;
  QPrinter printer(QPrinter::HighResolution);
  QPrintPreviewDialog preview(&printer, this);
  preview.setWindowTitle(tr("Print preview: chart"));
  connect(&preview, &QPrintPreviewDialog::paintRequested, this,
          [this](QPrinter* p) { PaintChart(*p, ChartPageOf(), m_chart->chart); });
  preview.exec();
}

void DesignWindow::LoadTargetsFile() {
  if (Searching()) return;
  const QString title = tr("Load targets");
  const QString path = m_prompter->OpenFileName(this, title, tr("Targets (*.txt *.csv);;All files (*)"),
                                                Folder(QStringLiteral("targets")));
  if (path.isEmpty()) return;
  Remember(QStringLiteral("targets"), path);
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return m_prompter->Error(this, title, tr("%1 cannot be read: %2").arg(path, file.errorString()));
  if (file.size() > kLargestTargetsFile)
    return m_prompter->Error(this, title, tr("%1 is too large (over %2 bytes)").arg(path).arg(kLargestTargetsFile));
  if (auto error = m_targets->LoadTargets(file.readAll().toStdString()))
    return m_prompter->Error(this, title, tr("%1: %2").arg(path, QString::fromStdString(*error)));
  if (!TargetsMode()) {
    DesignSetup setup = CurrentSetup();
    setup.targetsMode = true;
    m_targets->Show(setup);
    InputsChanged();
  }
  m_status->setText(tr("%1 read").arg(path));
}

void DesignWindow::SaveTargetsFile() {
  const QString title = tr("Save targets");
  const QString path = m_prompter->SaveFileName(this, title, tr("Targets, CSV (*.csv)"),
                                                QDir(Folder(QStringLiteral("targets"))).filePath(QStringLiteral("targets.csv")));
  if (path.isEmpty()) return;
  Remember(QStringLiteral("targets"), path);
  if (auto error = WriteFile(path, QByteArray::fromStdString(m_targets->TargetsCsv())))
    m_prompter->Error(this, title, *error);
  else m_status->setText(tr("%1 written").arg(path));
}

}  // namespace quenmar::design
