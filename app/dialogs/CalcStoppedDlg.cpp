#include "CalcStoppedDlg.h"

#include "InfoDialogLook.h"
#include "ResourceIds.h"

using namespace quenmar;

CCalcStoppedDlg::CCalcStoppedDlg(QWidget* parent) : CDialog(IDD_CALC_STOPPED, parent) {}

void CCalcStoppedDlg::DoDataExchange(DataExchange& dx) {
  CDialog::DoDataExchange(dx);
  dx.Control(IDOK, m_btnOK);
}

bool CCalcStoppedDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetApplicationIcon(this);
  SetInfoButtonColors(m_btnOK);
  return true;
}
