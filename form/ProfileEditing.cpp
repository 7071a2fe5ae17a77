// The profile row: one train shown gear by gear, its reduction and difference kept up to
// date; the teeth limits kept consistent with each other and with the profile; a listed
// solution loaded into the profile.

#include <QListWidget>

#include <limits>

#include "ColorEdit.h"
#include "FormTables.h"
#include "QuenmarView.h"
#include "SolutionRow.h"
#include "SpinButton.h"
#include "TextFormat.h"

using namespace quenmar;
using namespace quenmar::form;

namespace {

// The same formatter as the list rows and the results file, so that one train reads the
// same in all three.
QString FormatReduction(double reduction) {
  return QString::fromStdString(text::Fixed(reduction, 14, 3));
}
QString FormatDifference(double difference) {
  return QString::fromStdString(text::Fixed(difference, 10, 3));
}

// A focus change caused by a message box that is telling the user about a bad field is not
// the user leaving a field: handling it would read the form again while the first message
// is still being dealt with.
bool FocusMovedByFailureMessage() { return DataExchange::IsReportingFailure(); }

}  // namespace

void CQuenmarView::ComputeReduction() {
  const Teeth& n = m_nProfileTeeth;
  if (n[0] == 0 || n[2] == 0 || n[4] == 0) {
    // A driving gear without teeth gives no reduction; show that rather than divide by zero.
    m_dReduction = std::numeric_limits<double>::quiet_NaN();
    m_dDifference = std::numeric_limits<double>::quiet_NaN();
    m_strReduction = QStringLiteral("%1").arg(QStringLiteral("-"), 14);
    m_strDifference = QStringLiteral("%1").arg(QStringLiteral("-"), 10);
    return;
  }
  m_dReduction = ProfileReduction(n);
  m_dDifference = Difference(m_dReduction, m_dTargetReduction);
  m_strReduction = FormatReduction(m_dReduction);
  m_strDifference = FormatDifference(m_dDifference);
}

void CQuenmarView::OnChangeProfileTeeth() {
  // The form's own writes before start-up must not recompute.
  if (!m_bFormReady) return;
  UpdateData(true);
  ComputeReduction();
  UpdateData(false);
}

void CQuenmarView::OnChangeMinTeeth(int gear) {
  UpdateData(true);
  m_nSolutionsFound = 0;
  // The minimum being typed is held down to the maximum.
  if (m_nMinTeeth[gear] >= m_nMaxTeeth[gear]) m_nMinTeeth[gear] = m_nMaxTeeth[gear];
  ApplyTeethLimits(gear);
}

void CQuenmarView::OnKillFocusMaxTeeth(int gear) {
  if (FocusMovedByFailureMessage()) return;
  UpdateData(true);
  m_nSolutionsFound = 0;
  // The maximum just left is raised to the minimum.
  if (m_nMinTeeth[gear] >= m_nMaxTeeth[gear]) m_nMaxTeeth[gear] = m_nMinTeeth[gear];
  ApplyTeethLimits(gear);
}

// After a change of a gear's limits: the profile is brought inside them, the reduction and
// the spin range follow, and the list, which belonged to the old limits, is emptied.
void CQuenmarView::ApplyTeethLimits(int gear) {
  const int min = m_nMinTeeth[gear];
  const int max = m_nMaxTeeth[gear];
  int& profile = m_nProfileTeeth[gear];
  if (profile <= min) profile = min;
  if (profile >= max) profile = max;
  ComputeReduction();
  m_wndSpin[gear]->setRange(min, max);
  ClearSolutionList();
  UpdateData(false);
}

void CQuenmarView::OnKillFocusTargetOrRange() {
  if (FocusMovedByFailureMessage()) return;
  UpdateData(true);
  ClearSolutionList();
  m_nSolutionsFound = 0;
  m_nProfileTeeth = m_nMinTeeth;
  ComputeReduction();
  UpdateData(false);
}

void CQuenmarView::OnDblClkSolutionList() {
  const QList<QListWidgetItem*> selected = m_wndSolutionList->selectedItems();
  if (selected.isEmpty()) return;
  m_strRow = selected.first()->text();
  LoadSolutionRow(m_strRow);
}

void CQuenmarView::LoadSolutionRow(const QString& row) {
  // The pattern follows the configuration in force, not the row. Whatever the row does not
  // supply keeps its value; the reduction and difference shown are the row's own.
  ParsedRow parsed{m_dDifference, m_dReduction, m_nProfileTeeth, 0};
  const QByteArray text = row.toLatin1();
  ParseSolutionRow(std::string_view(text.constData(), static_cast<size_t>(text.size())),
                   ConfigurationFamily(), parsed);
  if (parsed.count >= 1) m_dDifference = parsed.dDifference;
  if (parsed.count >= 2) m_dReduction = parsed.dReduction;
  for (int g = 0; g < kGearCount && g < parsed.count - 2; ++g) m_nProfileTeeth[g] = parsed.nTeeth[g];
  m_strReduction = FormatReduction(m_dReduction);
  m_strDifference = FormatDifference(m_dDifference);
  UpdateData(false);
}
