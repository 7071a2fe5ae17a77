#pragma once
// Told at the end of a search that stopped at the maximum number of solutions.

#include "ColorButton.h"
#include "Dialog.h"

class CMaxSolutionsDlg : public CDialog {
  Q_OBJECT
 public:
  explicit CMaxSolutionsDlg(QWidget* parent = nullptr);

  CColorButton* m_btnOK = nullptr;

 protected:
  void DoDataExchange(quenmar::DataExchange& dx) override;
  bool OnInitDialog() override;
};
