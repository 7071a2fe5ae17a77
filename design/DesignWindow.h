#pragma once
// The design window: the inputs on the left, the trains found and the drawing of the
// chosen one on the right, the count, progress and outcome in the status bar.
//   DesignInputs   the inputs and their checks       TrainTableModel  the trains
//   SearchWorker   the search on its own thread      TrainDrawing     the drawing
//   DesignSetup    the setup as typed, JSON files    DesignPrompter   file names, errors
//   DesignHelp     the help page (F1)                WindowChecks     what the window refuses
//   TargetsPanel   Targets mode's table and questions ChartWorker      charts on their own thread
//   ChartModel     the chart, a group per target     ChartPrinter     the chart as a printed page
//   DesignWindowCharts.cpp  the window's part of Targets mode (runs, results, exports, printing)

#include <QMainWindow>
#include <QPointer>
#include <memory>

#include "ChartPrinter.h"
#include "ChartWorker.h"
#include "DesignPrompter.h"
#include "DesignSearch.h"
#include "DesignSetup.h"

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSplitter;
class QTableView;
class QTreeView;

namespace quenmar::design {

class DesignHelp;
class DesignInputs;
class PlanetaryDrawing;
class SearchWorker;
class TrainDrawing;
class TrainTableModel;
class ChartModel;
class TargetsPanel;

class DesignWindow : public QMainWindow {
  Q_OBJECT
 public:
  // The prompter answers file dialogs and shows errors; null: the real dialogs.
  explicit DesignWindow(std::unique_ptr<DesignPrompter> prompter = nullptr,
                        QWidget* parent = nullptr);
  ~DesignWindow() override;

  // Opens a setup file; an error message, or nothing when it was opened.
  std::optional<QString> OpenSetup(const QString& path);
  // Starts a search of the inputs shown; false when they are invalid or one runs.
  bool Search();
  void Stop();
  bool Searching() const;
  // Opens the help page at the topic of the control that has the focus.
  void ShowHelp();
  // Targets mode: the gears to buy and the fewest gears for the targets shown (false when
  // the inputs are invalid or a run is going on); a chart, as it prints, to a PDF file.
  bool BuyGears();
  bool FewestGears();
  std::optional<QString> PrintChartPdf(const QString& path);

 signals:
  void searchFinished();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildActions();
  void UpdateStates();
  void InputsChanged();
  void UpdateTitle();
  void ShowStatus();
  void ShowProgress(const DesignProgress& progress);
  void WidenColumns();
  void Finished();
  void ShowSelectedTrain();
  bool HasDrawing() const;
  void ClearResults();
  bool ResultsStale() const;
  void ExportResults();
  void ExportDrawing();
  void ExportOutlines();
  void ShowDrawingOptions();
  void CopyRows();
  void SaveSetupAs();
  void OpenSetupFile();
  void ReadGearsFile();
  void ResetInputs();
  void RestoreSettings();
  void StoreSettings() const;
  // File dialogs start where the last file of the same kind was chosen.
  QString Folder(const QString& kind) const;
  void Remember(const QString& kind, const QString& path) const;
  std::optional<QString> WriteFile(const QString& path, const QByteArray& bytes) const;
  // The whole setup: the inputs' and Targets mode's.
  DesignSetup CurrentSetup() const;
  void ShowSetup(const DesignSetup& setup);
  // Targets mode (DesignWindowCharts.cpp).
  void BuildChartView(QWidget*& results);
  void BuildChartActions();
  bool TargetsMode() const;
  void CheckTargets();
  bool ChartReady() const;
  bool StartChart(ChartJob::Kind kind);
  void ChartFinished();
  void ShowChartStatus();
  bool ChartShown() const;
  std::vector<int> SelectedChartTeeth() const;
  void ExportChart();
  void PrintChart();
  void PreviewChart();
  void LoadTargetsFile();
  void SaveTargetsFile();
  ChartPage ChartPageOf() const;

  std::unique_ptr<DesignPrompter> m_prompter;
  DesignInputs* m_inputs = nullptr;
  TrainTableModel* m_model = nullptr;
  QTableView* m_table = nullptr;
  TrainDrawing* m_drawing = nullptr;
  PlanetaryDrawing* m_planetaryDrawing = nullptr;  // in the drawing's place for planetary sets
  SearchWorker* m_worker = nullptr;
  DesignHelp* m_help = nullptr;
  QPushButton* m_searchButton = nullptr;
  QPushButton* m_stopButton = nullptr;
  QPushButton* m_exportButton = nullptr;
  QPushButton* m_exportDrawingButton = nullptr;
  QPushButton* m_fitButton = nullptr;
  QPushButton* m_exportOutlinesButton = nullptr;
  QComboBox* m_outlineOf = nullptr;
  QLineEdit* m_kerf = nullptr;
  QPushButton* m_resetButton = nullptr;
  QProgressBar* m_progress = nullptr;
  QLabel* m_status = nullptr;
  QSplitter* m_rightSplit = nullptr;
  QAction* m_searchAction = nullptr;
  QAction* m_stopAction = nullptr;
  QAction* m_exportAction = nullptr;
  QAction* m_exportDrawingAction = nullptr;
  QAction* m_exportOutlinesAction = nullptr;
  QAction* m_copyAction = nullptr;

  // The setup and query of the trains shown, and how their search ended.
  std::optional<DesignSetup> m_shownSetup;
  std::optional<DesignQuery> m_shownQuery;
  std::optional<DesignResult> m_outcome;  // trains left out: the model holds them
  std::optional<DesignProgress> m_lastProgress;  // of the search running

  // Targets mode: its inputs, the chart shown and the run that made it.
  TargetsPanel* m_targets = nullptr;
  ChartWorker* m_chartWorker = nullptr;
  ChartModel* m_chartModel = nullptr;
  QTreeView* m_chartView = nullptr;
  QLabel* m_chartSummary = nullptr;
  std::optional<DesignQuery> m_chartQuery;  // the inputs read for a chart; none when wrong
  std::optional<ChartJob> m_chartJob;       // of the chart shown or running
  std::optional<ChartOutcome> m_chart;      // the chart shown
  QAction* m_buyAction = nullptr;
  QAction* m_coverAction = nullptr;
  QAction* m_printAction = nullptr;
  QAction* m_previewAction = nullptr;
  QPointer<QWidget> m_focusBeforeSearch;   // given back when the inputs come back
  // The setup file the inputs came from or went to, and the setup it holds.
  QString m_setupPath;
  DesignSetup m_savedSetup;
};

}  // namespace quenmar::design
