#pragma once
// The instructions: how to set up and run a search and what the results mean.

#include "ColorButton.h"
#include "Dialog.h"

class CInstructionsDlg : public CDialog {
  Q_OBJECT
 public:
  explicit CInstructionsDlg(QWidget* parent = nullptr);

  CColorButton* m_btnOK = nullptr;

 protected:
  void DoDataExchange(quenmar::DataExchange& dx) override;
  bool OnInitDialog() override;
};
