#pragma once
// Targets mode of the design window: a table of named targets (ratios, or threads such as
// 1.5mm, 20tpi, module1.25, dp24 against the lead screw), each with an optional tolerance
// of its own, in the single target's place; and the inputs of the two questions a chart
// raises, the gears to buy and the fewest gears. Every row is read by the reader of
// quenmar-solve's --targets files, so a bad cell gets the message the command line gives,
// beside the table, and is marked where it stands.

#include <QWidget>
#include <optional>
#include <vector>

#include "DesignSetup.h"
#include "ThreadChart.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace quenmar::design {

class DesignInputs;
class InputMessage;

class TargetsPanel : public QWidget {
  Q_OBJECT
 public:
  explicit TargetsPanel(QWidget* parent = nullptr);

  // Puts the panel into the inputs in the single target's place, with the mode's check box
  // beside the target, and chains both into the Tab order after the target.
  void Attach(DesignInputs& inputs);

  bool TargetsMode() const;
  void Show(const DesignSetup& setup);   // the mode, lead screw and targets
  void Take(DesignSetup& setup) const;

  struct Reading {
    std::optional<LeadScrew> lead;
    std::vector<ChartTarget> targets;
    bool ok = false;                     // every row and the lead screw read
  };
  // Reads the lead screw and rows (`fallback`: the window's tolerance) and shows the problems.
  const Reading& Check(const std::optional<Tolerance>& fallback);
  const Reading& Current() const { return m_reading; }

  // The questions' inputs: a message beside them when one is wrong.
  int BuyCount() const;
  std::optional<std::vector<int>> Candidates();
  std::optional<CoverOptions> Cover();
  void ShowQuestionProblem(const QString& message);

  // The rows from a targets file's text, or its message ("line N: ...").
  std::optional<std::string> LoadTargets(const std::string& text);
  // The rows as a CSV file of targets that quenmar-solve --targets reads.
  std::string TargetsCsv() const;

 signals:
  void edited();
  void buyRequested();
  void coverRequested();
  void loadRequested();
  void saveRequested();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SetMode(bool on);
  void AddRow();
  void RemoveRow();
  void SetRows(const std::vector<TargetRow>& rows);
  std::vector<TargetRow> Rows() const;

  QCheckBox* m_mode = nullptr;
  QLineEdit* m_lead = nullptr;
  QTableWidget* m_table = nullptr;
  QPushButton *m_add = nullptr, *m_remove = nullptr, *m_load = nullptr, *m_save = nullptr;
  QSpinBox* m_buyCount = nullptr;
  QLineEdit* m_candidates = nullptr;
  QPushButton* m_buy = nullptr;
  QSpinBox* m_copies = nullptr;
  QLineEdit* m_required = nullptr;
  QSpinBox* m_timeLimit = nullptr;
  QPushButton* m_cover = nullptr;
  InputMessage *m_leadMessage = nullptr, *m_rowsMessage = nullptr, *m_questionMessage = nullptr;
  // The single target's own widgets, hidden in Targets mode.
  QWidget *m_target = nullptr, *m_targetMessage = nullptr;
  QLabel* m_targetLabel = nullptr;
  bool m_writing = false;
  Reading m_reading;
};

}  // namespace quenmar::design
