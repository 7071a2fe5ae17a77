#include "QuenmarView.h"

#include <QComboBox>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include "ColorButton.h"
#include "ColorEdit.h"
#include "FormTables.h"
#include "ResourceIds.h"
#include "SolveCommand.h"
#include "SpinButton.h"

using namespace quenmar;
using namespace quenmar::form;

namespace {

QColor ToColor(Rgb rgb) { return QColor(rgb.r, rgb.g, rgb.b); }


}  // namespace

CQuenmarView::CQuenmarView(QWidget* parent)
    : QWidget(parent), m_builder(std::make_unique<LayoutBuilder>(FormLayout())) {
  m_nMinTeeth.fill(10);
  m_nMaxTeeth.fill(25);
  m_nProfileTeeth = m_nMinTeeth;
  m_strMaxLegend = QStringLiteral("Cells to Input Maximum No. of Teeth");
  m_strMinLegend = QStringLiteral("Cells to Input Minimum No. of Teeth");
  m_strOutputPath = DefaultOutputPath();
  ComputeReduction();

  // The colour-coded fields are colour edits; every other control is the builder's own.
  for (const FieldColours& field : kFieldColours) {
    const QColor text = ToColor(field.text);
    const QColor back = ToColor(field.back);
    m_builder->setFactory(field.id, [text, back](QWidget* parent, const ControlSpec&) {
      return new CColorEdit(text, back, parent);
    });
  }
  m_built = m_builder->build(this);
  resize(m_built.clientSize);

  BindControls();
  SetAccessibleNames();
  BindHandlers();
  m_solve = std::make_unique<CSolveCommand>(*this);
}

CQuenmarView::~CQuenmarView() = default;

void CQuenmarView::BindControls() {
  const Controls& c = m_built.controls;
  m_wndConfiguration = c.get<QComboBox>(kConfigurationSelector);
  m_wndSolutionList = c.get<QListWidget>(kSolutionList);
  m_wndProgress = c.get<QProgressBar>(kProgress);
  m_btnSolve = c.get<CColorButton>(kSolve);
  m_btnContactRatio = c.get<QPushButton>(kContactRatio);
  m_btnOutputToList = c.get<QRadioButton>(kOutputToList);
  m_btnOutputToFile = c.get<QRadioButton>(kOutputToFile);
  m_wndMinLegend = c.get<CColorEdit>(kMinLegend);
  m_wndMaxLegend = c.get<CColorEdit>(kMaxLegend);
  // Rows are inserted at their place in the solver's order (InsertSolutionRows); Qt's own
  // sorting compares by character code, with case.
  m_wndSolutionList->setSortingEnabled(false);
  // The end of a search parks the keyboard focus on this label, so that no field is left
  // in editing; it is not part of the tab chain.
  c.widget(kLabelN2)->setFocusPolicy(Qt::ClickFocus);
  for (int g = 0; g < kGearCount; ++g) {
    m_wndMinTeeth[g] = c.get<CColorEdit>(kMinTeethIds[g]);
    m_wndMaxTeeth[g] = c.get<CColorEdit>(kMaxTeethIds[g]);
    m_wndProfileTeeth[g] = c.get<CColorEdit>(kProfileIds[g]);
    m_wndSpin[g] = c.get<SpinButton>(kSpinIds[g]);
  }
}

void CQuenmarView::SetAccessibleNames() {
  for (const ControlText& name : kAccessibleNames)
    if (QWidget* w = GetDlgItem(name.id)) w->setAccessibleName(QString::fromUtf8(name.text));
  for (int g = 0; g < kGearCount; ++g) {
    const QString gear = QStringLiteral("N%1 ").arg(g + 1);
    m_wndMinTeeth[g]->setAccessibleName(gear + QStringLiteral("minimum"));
    m_wndMaxTeeth[g]->setAccessibleName(gear + QStringLiteral("maximum"));
    m_wndProfileTeeth[g]->setAccessibleName(gear + QStringLiteral("profile"));
    m_wndSpin[g]->setAccessibleName(gear + QStringLiteral("spin"));
  }
}

void CQuenmarView::BindHandlers() {
  BindingTable& table = bindings();
  table.on(kConfigurationSelector, Notification::SelChange, [this] { OnSelChangeConfiguration(); });
  table.on(kSolve, Notification::Clicked, [this] {
    if (m_solveCommand) m_solveCommand();
    else OnSolve();
  });
  for (int g = 0; g < kGearCount; ++g) {
    table.on(kMinTeethIds[g], Notification::Changed, [this, g] { OnChangeMinTeeth(g); });
    table.on(kMaxTeethIds[g], Notification::KillFocus, [this, g] { OnKillFocusMaxTeeth(g); });
    table.on(kProfileIds[g], Notification::Changed, [this] { OnChangeProfileTeeth(); });
  }
  table.on(kTargetReduction, Notification::KillFocus, [this] { OnKillFocusTargetOrRange(); });
  table.on(kConvergenceRange, Notification::KillFocus, [this] { OnKillFocusTargetOrRange(); });
  table.on(kMaxSolutions, Notification::Changed, [this] { OnChangeMaxSolutions(); });
  table.on(kSolutionList, Notification::DoubleClicked, [this] { OnDblClkSolutionList(); });
  table.on(kContactRatio, Notification::Clicked, [this] { OnCalculateContactRatio(); });
  table.on(kBrowse, Notification::Clicked, [this] { OnBrowse(); });
  table.onCommand(ID_INSTRUCTIONS, [this] { OnInstructions(); });
  table.attach(m_built.controls);
}

void CQuenmarView::DoDataExchange(DataExchange& dx) {
  // Reading order matters: when a value fails, those before it have already been taken.
  dx.Real(kTargetReduction, m_dTargetReduction, 0.0, 1000.0);
  dx.Real(kConvergenceRange, m_dConvergenceRange, 0.0, 500.0);
  for (int g : {1, 2, 3, 4, 5, 0}) dx.Integer(kMinTeethIds[g], m_nMinTeeth[g], 1, 500);
  for (int g : {5, 0, 1, 2, 3, 4}) dx.Integer(kMaxTeethIds[g], m_nMaxTeeth[g], 1, 500);
  dx.Integer(kMaxSolutions, m_nMaxSolutions, 0, 500);
  dx.Real(kCandidateReduction, m_dCandidateReduction);
  dx.Text(kMaxLegend, m_strMaxLegend);
  dx.Text(kMinLegend, m_strMinLegend);
  dx.Integer(kSolutionsFound, m_nSolutionsFound, 0, 500);
  dx.Text(kDifference, m_strDifference);
  dx.Text(kReduction, m_strReduction);
  dx.Integer(kDay, m_nDay);
  dx.Integer(kMonth, m_nMonth);
  dx.Integer(kYear, m_nYear);
  dx.Text(kOutputPath, m_strOutputPath, kOutputPathLimit);
  for (int g : {1, 2, 3, 4}) dx.Integer(kProfileIds[g], m_nProfileTeeth[g]);
  dx.Integer(kProfileIds[0], m_nProfileTeeth[0], 1, 500);
  dx.Integer(kProfileIds[5], m_nProfileTeeth[5], 1, 500);
}

bool CQuenmarView::UpdateData(bool bSaveAndValidate) {
  DataExchange dx(m_built.controls,
                  bSaveAndValidate ? DataExchange::Direction::Read : DataExchange::Direction::Write);
  DoDataExchange(dx);
  return dx.ok();
}

int CQuenmarView::ConfigurationIndex() const {
  const std::array<bool, kConfigurationCount> flags{
      m_bSingleReduction, m_bDoubleReduction,      m_bDoubleN1EqN3,   m_bDoubleN2EqN4,
      m_bDoubleBothEqual, m_bTripleEqualCompounds, m_bTripleReduction};
  for (int i = 0; i < kConfigurationCount; ++i)
    if (flags[i]) return i;
  return 0;
}

Family CQuenmarView::ConfigurationFamily() const { return Configuration(ConfigurationIndex()).family; }

bool CQuenmarView::OutputToFile() const { return m_btnOutputToFile->isChecked(); }

void CQuenmarView::OnChangeMaxSolutions() {
  // Reading checks the new maximum at every keystroke; the values themselves are taken
  // when the search starts.
  UpdateData(true);
}

void CQuenmarView::OnCalculateContactRatio() {
  if (m_contactRatioCommand) m_contactRatioCommand();
}

void CQuenmarView::ClearSolutionList() { m_wndSolutionList->clear(); }
