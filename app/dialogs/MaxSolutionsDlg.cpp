#include "MaxSolutionsDlg.h"

#include "InfoDialogLook.h"
#include "ResourceIds.h"

using namespace quenmar;

CMaxSolutionsDlg::CMaxSolutionsDlg(QWidget* parent) : CDialog(IDD_MAX_SOLUTIONS, parent) {}

void CMaxSolutionsDlg::DoDataExchange(DataExchange& dx) {
  CDialog::DoDataExchange(dx);
  dx.Control(IDOK, m_btnOK);
}

bool CMaxSolutionsDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetApplicationIcon(this);
  SetInfoButtonColors(m_btnOK);
  return true;
}
