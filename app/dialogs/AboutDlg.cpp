#include "AboutDlg.h"

#include "InfoDialogLook.h"
#include "ResourceIds.h"

using namespace quenmar;

CAboutDlg::CAboutDlg(QWidget* parent) : CDialog(IDD_ABOUTBOX, parent) {}

void CAboutDlg::DoDataExchange(DataExchange& dx) {
  CDialog::DoDataExchange(dx);
  dx.Control(IDOK, m_btnOK);
}

bool CAboutDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetApplicationIcon(this);
  SetInfoButtonColors(m_btnOK);
  return true;
}
