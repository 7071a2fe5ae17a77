// Choosing a gear train configuration: the form shows the gears, labels and column
// headings the configuration uses, gives the other gears fixed equal teeth so that the one
// six-gear reduction formula serves every configuration, resets the profile and empties
// the list.

#include <QComboBox>

#include "ColorEdit.h"
#include "FormTables.h"
#include "QuenmarView.h"
#include "SpinButton.h"
#include "TrainConfiguration.h"

using namespace quenmar;
using namespace quenmar::form;

void CQuenmarView::OnSelChangeConfiguration() {
  ApplyConfiguration(m_wndConfiguration->currentIndex());
}

void CQuenmarView::SetConfigurationFlags(int index) {
  m_bSingleReduction = index == 0;
  m_bDoubleReduction = index == 1;
  m_bDoubleN1EqN3 = index == 2;
  m_bDoubleN2EqN4 = index == 3;
  m_bDoubleBothEqual = index == 4;
  m_bTripleEqualCompounds = index == 5;
  m_bTripleReduction = index == 6;
  m_bTripleFamily = Configuration(index).family == Family::Triple;
}

void CQuenmarView::ApplyConfiguration(int index) {
  if (index < 0 || index >= kConfigurationCount) return;
  // A failed read leaves the values as they stand; the write at the end puts them back.
  UpdateData(true);
  m_nSolutionsFound = 0;
  SetConfigurationFlags(index);

  const int gearsInUse = GearsInUse(index);
  for (int g = 0; g < kGearCount; ++g) {
    const bool inUse = g < gearsInUse;
    for (QWidget* field : {static_cast<QWidget*>(m_wndProfileTeeth[g]),
                           static_cast<QWidget*>(m_wndMinTeeth[g]),
                           static_cast<QWidget*>(m_wndMaxTeeth[g])}) {
      field->setEnabled(inUse);
      field->setVisible(inUse);
    }
  }
  for (int g = 0; g < kGearCount; ++g) {
    const bool inUse = g < gearsInUse;
    m_wndSpin[g]->setEnabled(inUse);
    m_wndSpin[g]->setVisible(inUse);
  }

  const int column = static_cast<int>(Configuration(index).family);
  for (const LabelVisibility& label : kLabelVisibility)
    GetDlgItem(label.id)->setVisible(label.shownByFamily[column]);

  for (int g = 0; g < kGearCount; ++g) {
    const bool inUse = g < gearsInUse;
    m_wndSpin[g]->setRange(m_nMinTeeth[g], inUse ? m_nMaxTeeth[g] : m_nMinTeeth[g]);
  }
  for (int g = gearsInUse; g < kGearCount; ++g) m_nMinTeeth[g] = kUnusedGearTeeth;
  m_nProfileTeeth = m_nMinTeeth;

  ComputeReduction();
  ClearSolutionList();
  UpdateData(false);
}
