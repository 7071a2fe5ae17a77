#include "InstructionsDlg.h"

#include "InfoDialogLook.h"
#include "ResourceIds.h"

using namespace quenmar;

CInstructionsDlg::CInstructionsDlg(QWidget* parent) : CDialog(IDD_INSTRUCTIONS, parent) {}

void CInstructionsDlg::DoDataExchange(DataExchange& dx) {
  CDialog::DoDataExchange(dx);
  dx.Control(IDOK, m_btnOK);
}

bool CInstructionsDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetApplicationIcon(this);
  SetInfoButtonColors(m_btnOK);
  return true;
}
