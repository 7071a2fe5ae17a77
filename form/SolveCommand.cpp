#include "SolveCommand.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QKeyEvent>
#include <QListWidget>
#include <QProgressBar>

#include <algorithm>

#include "CalcStoppedDlg.h"
#include "FormTables.h"
#include "MaxSolutionsDlg.h"
#include "NoConvergenceDlg.h"
#include "Presenter.h"
#include "QuenmarView.h"
#include "SolutionRow.h"
#include "SpinButton.h"

using namespace quenmar;
using namespace quenmar::form;

namespace {

constexpr int kToneFrequency = 400;
constexpr int kToneMilliseconds = 50;
// How often rows found by the worker are moved into the list and the progress bar follows.
constexpr int kDrainIntervalMs = 40;

std::string ToStd(const QString& text) { return text.toStdString(); }

}  // namespace

// The three operations the search calls, on the worker thread.
class CSolveCommand::WorkerOperations : public SearchOperations {
 public:
  explicit WorkerOperations(CSolveCommand& command) : m_command(command) {}

  bool MessageStep() override {
    if (m_command.m_stepDelay.count() > 0) std::this_thread::sleep_for(m_command.m_stepDelay);
    return !m_command.m_stop.load();
  }
  void Progress(int position) override { m_command.m_progress.store(position); }
  void Output(const TrainSolution& solution) override {
    std::string row = FormatSolutionRow(m_family, solution);
    if (m_command.m_outputToFile) {
      m_command.m_file.WriteRow(row);
      return;
    }
    const std::lock_guard lock(m_command.m_batchMutex);
    m_command.m_batch.push_back(std::move(row));
  }

 private:
  CSolveCommand& m_command;
  Family m_family = Configuration(m_command.m_inputs.configuration).family;
};

CSolveCommand::CSolveCommand(CQuenmarView& view) : m_view(view) {
  m_tone = [this] { m_tonePlayer.Play(kToneFrequency, kToneMilliseconds); };
  m_drainTimer.setInterval(kDrainIntervalMs);
  connect(&m_drainTimer, &QTimer::timeout, this, &CSolveCommand::DrainBatches);
}

CSolveCommand::~CSolveCommand() {
  m_stop = true;
  if (m_worker.joinable()) m_worker.join();
  if (m_running) {
    qApp->removeEventFilter(this);
    QApplication::restoreOverrideCursor();
  }
}

bool CSolveCommand::IsStopKey(int key, Qt::KeyboardModifiers modifiers) {
  return key == Qt::Key_Alt || key == Qt::Key_F10 || modifiers.testFlag(Qt::AltModifier);
}

void CSolveCommand::Start() {
  if (m_running) return;
  CQuenmarView& v = m_view;

  // 1-3: wait cursor; the values as the form shows them (a failed read carries on with
  // the values as they stand); the method and column header of the configuration in force.
  QApplication::setOverrideCursor(Qt::WaitCursor);
  v.m_strRow.clear();
  v.UpdateData(true);
  const int configuration = v.ConfigurationIndex();
  const Family family = Configuration(configuration).family;
  v.m_strMethodName = QString::fromUtf8(Configuration(configuration).methodName);
  v.m_strColumnHeader = QString::fromUtf8(ColumnHeader(family));
  m_outputToFile = v.OutputToFile();
  m_inputs = SearchInputs{configuration,      v.m_nMinTeeth,     v.m_nMaxTeeth,
                          v.m_dTargetReduction, v.m_dConvergenceRange, v.m_nMaxSolutions,
                          v.m_nProfileTeeth};

  // 4: a results file that cannot be opened is reported and nothing is searched, so no run
  // ever writes through a stream that failed.
  if (m_outputToFile) {
    const FileStatus status = m_file.Open(ToStd(v.m_strOutputPath));
    if (!status.ok()) {
      MessageBox(QStringLiteral("The results file \"%1\" cannot be opened for writing: %2.\n"
                                "The search was not run.")
                     .arg(QString::fromStdString(status.path()), QString::fromStdString(status.reason())),
                 MessageIcon::Exclamation, MessageButtons::Ok, &v);
      QApplication::restoreOverrideCursor();
      emit finished();
      return;
    }
    m_file.WriteHeader(ResultsHeader{v.m_nDay, v.m_nMonth, v.m_nYear, ToStd(v.m_strMethodName),
                                     m_inputs.targetReduction, m_inputs.convergenceRange,
                                     m_inputs.maxSolutions, family});
  }

  // 5
  v.m_wndSolutionList->clear();
  v.m_nSolutionsFound = 0;
  v.m_bNoSolution = true;

  // 6
  RunSearch();
}

void CSolveCommand::RunSearch() {
  m_running = true;
  m_workerDoneSeen = false;
  m_stopDialogPending = false;
  m_stop = false;
  m_workerDone = false;
  m_progress = m_view.m_nProgress;
  m_batch.clear();
  SetInputsEnabled(false);
  qApp->installEventFilter(this);
  m_drainTimer.start();
  m_worker = std::thread([this] {
    WorkerOperations operations(*this);
    m_result = SearchSolutions(m_inputs, operations);
    m_workerDone = true;
    QMetaObject::invokeMethod(this, [this] { OnWorkerDone(); }, Qt::QueuedConnection);
  });
}

bool CSolveCommand::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (m_running && (type == QEvent::KeyPress || type == QEvent::ShortcutOverride)) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (IsStopKey(key->key(), key->modifiers()) && !m_workerDone && !m_stop) {
      RequestStop();
      // The key that stopped the search does nothing else (no menu opens on it).
      event->accept();
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

void CSolveCommand::RequestStop() {
  m_stop = true;
  m_stopDialogPending = true;
  // Shown from the event loop rather than from inside the key's delivery.
  QMetaObject::invokeMethod(this, [this] { ShowStopDialog(); }, Qt::QueuedConnection);
}

void CSolveCommand::ShowStopDialog() {
  CCalcStoppedDlg dialog(&m_view);
  dialog.DoModal();
  m_stopDialogPending = false;
  TryFinish();
}

void CSolveCommand::OnWorkerDone() {
  m_workerDoneSeen = true;
  TryFinish();
}

void CSolveCommand::TryFinish() {
  if (m_running && m_workerDoneSeen && !m_stopDialogPending) Finish();
}

void CSolveCommand::DrainBatches() {
  std::vector<std::string> rows;
  {
    const std::lock_guard lock(m_batchMutex);
    rows.swap(m_batch);
  }
  if (!rows.empty()) m_view.InsertSolutionRows(rows);
  const int position = m_progress.load();
  if (position != m_view.m_nProgress) {
    m_view.m_nProgress = position;
    m_view.m_wndProgress->setValue(position);
  }
}

void CSolveCommand::Finish() {
  m_workerDoneSeen = false;
  m_drainTimer.stop();
  m_worker.join();
  qApp->removeEventFilter(this);
  DrainBatches();

  CQuenmarView& v = m_view;
  v.m_nSolutionsFound = m_result.nSolutionsFound;
  v.m_bNoSolution = m_result.bNoSolution;
  v.m_dCandidateReduction = m_result.dCandidateReduction;
  v.m_nMinTeeth = m_result.minTeeth;
  // Where the loops left their counters; the steps below overwrite the gears of the family.
  v.m_nProfileTeeth = m_result.counters;

  // 7-9
  v.m_nProgress = 0;
  v.m_wndProgress->setValue(0);
  // The focus goes to the gear label "N2", which takes no input, so that no field is left
  // being edited. The single reduction hides that label and a hidden widget cannot take the
  // focus; there no control of the form keeps it.
  QWidget* label = v.GetDlgItem(kLabelN2);
  if (label && label->isVisible()) label->setFocus(Qt::OtherFocusReason);
  else if (QWidget* focus = QApplication::focusWidget(); focus && v.isAncestorOf(focus))
    focus->clearFocus();
  PlayTone();

  // 10
  if (m_outputToFile) {
    m_file.WriteCountLine(v.m_nSolutionsFound);
    v.m_nProfileTeeth = v.m_nMinTeeth;
    v.ComputeReduction();
  }
  // 11, 12
  if (v.m_bNoSolution) {
    if (m_outputToFile) m_file.WriteNoSolutionLine();
    CNoConvergenceDlg dialog(&v);
    dialog.DoModal();
    v.m_nProfileTeeth = v.m_nMinTeeth;
    v.ComputeReduction();
    v.UpdateData(false);
  } else if (!m_outputToFile && v.m_wndSolutionList->count() > 0) {
    v.m_strRow = v.m_wndSolutionList->item(0)->text();
    v.LoadSolutionRow(v.m_strRow);
  }
  // 13
  v.UpdateData(false);
  // 14
  if (v.m_nSolutionsFound >= m_inputs.maxSolutions) {
    if (m_outputToFile) m_file.WriteMaximumLine();
    CMaxSolutionsDlg dialog(&v);
    dialog.DoModal();
  }
  // A partial list is never taken for a complete one.
  if (m_outputToFile && m_result.stopped) m_file.WriteStoppedLine();
  // 15: a write that failed during the run is told now, never passed over as success.
  if (m_outputToFile) {
    const FileStatus status = m_file.Close();
    if (!status.ok())
      MessageBox(QStringLiteral("The results file \"%1\" was not written completely: %2.")
                     .arg(QString::fromStdString(status.path()), QString::fromStdString(status.reason())),
                 MessageIcon::Exclamation, MessageButtons::Ok, &v);
  }
  // 16
  SetInputsEnabled(true);
  m_running = false;
  QApplication::restoreOverrideCursor();
  emit finished();
}

void CSolveCommand::SetInputsEnabled(bool enabled) {
  if (!enabled) {
    m_disabled.clear();
    for (QWidget* w : m_view.findChildren<QWidget*>()) {
      const bool input = qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
                         qobject_cast<QAbstractButton*>(w) || qobject_cast<SpinButton*>(w);
      if (!input || !w->isEnabled() || w->parentWidget() != &m_view) continue;
      w->setEnabled(false);
      m_disabled.emplace_back(w);
    }
    return;
  }
  for (const QPointer<QWidget>& w : m_disabled)
    if (w) w->setEnabled(true);
  m_disabled.clear();
}

void CSolveCommand::PlayTone() {
  if (m_tone) m_tone();
}

// ---- The form's side: the command, and the list kept in row order. ----

void CQuenmarView::OnSolve() { m_solve->Start(); }

bool CQuenmarView::IsSolving() const { return m_solve->IsRunning(); }

void CQuenmarView::InsertSolutionRows(const std::vector<std::string>& rows) {
  // Each row goes where the ordinal, case-insensitive order puts it, never by the locale's
  // collation or Qt's own sorting.
  QListWidget* list = m_wndSolutionList;
  for (const std::string& row : rows) {
    int low = 0;
    int high = list->count();
    while (low < high) {
      const int mid = low + (high - low) / 2;
      const QByteArray text = list->item(mid)->text().toLatin1();
      if (CompareSolutionRows(std::string_view(text.constData(), size_t(text.size())), row) <= 0)
        low = mid + 1;
      else
        high = mid;
    }
    list->insertItem(low, QString::fromLatin1(row.data(), qsizetype(row.size())));
  }
}
