#include "NoConvergenceDlg.h"

#include "InfoDialogLook.h"
#include "ResourceIds.h"

using namespace quenmar;

CNoConvergenceDlg::CNoConvergenceDlg(QWidget* parent) : CDialog(IDD_NO_CONVERGENCE, parent) {}

void CNoConvergenceDlg::DoDataExchange(DataExchange& dx) {
  CDialog::DoDataExchange(dx);
  dx.Control(IDOK, m_btnOK);
}

bool CNoConvergenceDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetApplicationIcon(this);
  SetInfoButtonColors(m_btnOK);
  return true;
}
