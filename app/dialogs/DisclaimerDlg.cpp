#include "DisclaimerDlg.h"

#include "InfoDialogLook.h"
#include "ResourceIds.h"

using namespace quenmar;

bool g_bDisclaimerAccepted = false;

CDisclaimerDlg::CDisclaimerDlg(QWidget* parent) : CDialog(IDD_DISCLAIMER, parent) {}

void CDisclaimerDlg::DoDataExchange(DataExchange& dx) {
  CDialog::DoDataExchange(dx);
  dx.Control(IDCANCEL, m_btnDisagree);
  dx.Control(IDOK, m_btnAgree);
}

bool CDisclaimerDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetApplicationIcon(this);
  SetInfoButtonColors(m_btnAgree);
  SetInfoButtonColors(m_btnDisagree);
  return true;
}

void CDisclaimerDlg::OnCancel() { OnDisagree(); }

void CDisclaimerDlg::OnDisagree() {
  g_bDisclaimerAccepted = false;
  // The same result as "I AGREE": the caller looks at the flag, not at the result.
  EndDialog(IDOK);
}
