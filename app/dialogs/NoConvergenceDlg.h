#pragma once
// Told at the end of a search that found no solution, with what to try instead.

#include "ColorButton.h"
#include "Dialog.h"

class CNoConvergenceDlg : public CDialog {
  Q_OBJECT
 public:
  explicit CNoConvergenceDlg(QWidget* parent = nullptr);

  CColorButton* m_btnOK = nullptr;

 protected:
  void DoDataExchange(quenmar::DataExchange& dx) override;
  bool OnInitDialog() override;
};
