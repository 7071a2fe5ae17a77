#pragma once
// CQuenmarView: the solver form, the client area of the main window. It owns every value the
// user enters and every value the search reads or reports.
//
// Where things live:
//   QuenmarView.cpp          construction, controls, bindings, values and their exchange
//   ProfileEditing.cpp       the profile row: reduction, teeth limits, loading a listed row
//   ConfigurationSwitch.cpp  choosing a configuration: gears, labels, flags, dummy teeth
//   FormStartup.cpp          start-up of the form, the output file choice, instructions
//   SolveCommand.cpp         "Push To SOLVE" (CSolveCommand) and the list kept in row order
//   Tone.cpp                 the end-of-run tone
//   FormTables.h             per-gear and per-control tables the code above walks
//
// "Push To SOLVE" runs OnSolve unless another command is installed with SetSolveCommand;
// the contact ratio calculator and the instructions dialog are installed from outside with
// the Set...Command functions, so the form does not depend on the windows that provide them.

#include <QString>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "BindingTable.h"
#include "DataExchange.h"
#include "LayoutBuilder.h"
#include "TrainConfiguration.h"

class CColorButton;
class CSolveCommand;
class CColorEdit;
class QComboBox;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace quenmar {
class SpinButton;
}

class CQuenmarView : public QWidget, public quenmar::CommandTarget {
  Q_OBJECT
 public:
  explicit CQuenmarView(QWidget* parent = nullptr);
  ~CQuenmarView() override;

  // ---- Form values, bound to controls (DoDataExchange takes them in this order). ----
  double m_dTargetReduction = 3.624;
  double m_dConvergenceRange = 0.01;
  quenmar::Teeth m_nMinTeeth{};      // per gear, N1 first
  quenmar::Teeth m_nMaxTeeth{};
  int m_nMaxSolutions = 100;
  double m_dCandidateReduction = 0.0;
  QString m_strMaxLegend;
  QString m_strMinLegend;
  int m_nSolutionsFound = 0;
  QString m_strDifference;
  QString m_strReduction;
  int m_nDay = 0;
  int m_nMonth = 0;
  int m_nYear = 0;
  QString m_strOutputPath;
  quenmar::Teeth m_nProfileTeeth{};  // the profile row; also the search's loop counters

  // ---- Values not bound to a control. ----
  double m_dReduction = 1.0;
  double m_dDifference = 2.624;
  bool m_bFormReady = false;  // profile changes recompute only once start-up has begun
  int m_nProgress = 0;
  bool m_bNoSolution = true;
  QString m_strRow;
  QString m_strMethodName;
  QString m_strColumnHeader;

  // The configuration in force: exactly one of the first seven is true.
  bool m_bSingleReduction = true;
  bool m_bDoubleReduction = false;
  bool m_bDoubleN1EqN3 = false;
  bool m_bDoubleN2EqN4 = false;
  bool m_bDoubleBothEqual = false;
  bool m_bTripleEqualCompounds = false;
  bool m_bTripleReduction = false;
  bool m_bTripleFamily = false;

  // ---- Control objects. ----
  QComboBox* m_wndConfiguration = nullptr;
  QListWidget* m_wndSolutionList = nullptr;
  QProgressBar* m_wndProgress = nullptr;
  CColorButton* m_btnSolve = nullptr;
  QPushButton* m_btnContactRatio = nullptr;
  QRadioButton* m_btnOutputToList = nullptr;
  QRadioButton* m_btnOutputToFile = nullptr;
  std::array<CColorEdit*, quenmar::kGearCount> m_wndMinTeeth{};
  std::array<CColorEdit*, quenmar::kGearCount> m_wndMaxTeeth{};
  std::array<CColorEdit*, quenmar::kGearCount> m_wndProfileTeeth{};
  std::array<quenmar::SpinButton*, quenmar::kGearCount> m_wndSpin{};
  CColorEdit* m_wndMinLegend = nullptr;
  CColorEdit* m_wndMaxLegend = nullptr;

  // ---- Exchange and lookup. ----
  // Reads (true) or writes (false) every bound value; false when a read failed.
  bool UpdateData(bool bSaveAndValidate = true);
  QWidget* GetDlgItem(int id) const { return m_built.controls.widget(id); }
  const quenmar::Controls& controls() const { return m_built.controls; }
  QSize sizeHint() const override { return m_built.clientSize; }

  // ---- The configuration in force, from the flags. ----
  int ConfigurationIndex() const;
  quenmar::Family ConfigurationFamily() const;
  bool OutputToFile() const;

  // ---- Operations (handlers of the controls and commands). ----
  void OnInitialUpdate();
  void OnSelChangeConfiguration();
  // Makes the form match configuration `index` (0..6; 6 has no selector entry). Any other
  // index changes nothing.
  void ApplyConfiguration(int index);
  void ComputeReduction();
  void OnChangeProfileTeeth();
  void OnChangeMinTeeth(int gear);
  void OnKillFocusMaxTeeth(int gear);
  void OnKillFocusTargetOrRange();
  void OnDblClkSolutionList();
  void LoadSolutionRow(const QString& row);
  void OnChangeMaxSolutions();
  void OnBrowse();
  void OnInstructions();
  void OnCalculateContactRatio();
  // Starts a search of the committed values; it ends with the outcome dialogs once the
  // worker is done. Ignored while a search runs.
  void OnSolve();
  bool IsSolving() const;
  CSolveCommand& SolveCommand() const { return *m_solve; }
  // Adds rows to the solution list, each at its place in the list's order.
  void InsertSolutionRows(const std::vector<std::string>& rows);

  // ---- What other parts of the program plug in. ----
  // The document title the frame caption starts with ("Untitled" until set).
  void SetDocumentTitle(const QString& title) { m_strDocumentTitle = title; }
  QString DocumentTitle() const { return m_strDocumentTitle; }
  // Run by "Push To SOLVE".
  void SetSolveCommand(std::function<void()> command) { m_solveCommand = std::move(command); }
  // Run by "Calculate Contact Ratio" (shown only when the feature setting is on).
  void SetContactRatioCommand(std::function<void()> command) {
    m_contactRatioCommand = std::move(command);
  }
  // Shows the instructions dialog modally.
  void SetInstructionsCommand(std::function<void()> command) {
    m_instructionsCommand = std::move(command);
  }

  // The setting that shows "Calculate Contact Ratio": "Features/ContactRatio" in the
  // application's settings, off unless set.
  static bool ContactRatioFeatureEnabled();
  // The output path a new form starts with: Quenmar.txt in the home folder, or in the
  // working folder where the home path would not fit the field's limit.
  static QString DefaultOutputPath();

  // Longest output path the form accepts.
  static constexpr int kOutputPathLimit = 50;
  // Appended to the document title to make the frame caption.
  static const QString& CaptionSuffix();

 protected:
  virtual void DoDataExchange(quenmar::DataExchange& dx);

 private:
  void BindControls();
  void BindHandlers();
  void SetAccessibleNames();
  void SetConfigurationFlags(int index);
  void ApplyTeethLimits(int gear);
  void FitFrameAroundForm();
  void ClearSolutionList();

  std::unique_ptr<quenmar::LayoutBuilder> m_builder;
  quenmar::BuiltLayout m_built;
  QString m_strDocumentTitle = QStringLiteral("Untitled");
  bool m_bToolTipsInstalled = false;
  std::function<void()> m_solveCommand;
  std::function<void()> m_contactRatioCommand;
  std::function<void()> m_instructionsCommand;
  std::unique_ptr<CSolveCommand> m_solve;
};
