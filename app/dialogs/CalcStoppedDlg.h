#pragma once
// Told when the user stops a search with ALT: other solutions may exist.

#include "ColorButton.h"
#include "Dialog.h"

class CCalcStoppedDlg : public CDialog {
  Q_OBJECT
 public:
  explicit CCalcStoppedDlg(QWidget* parent = nullptr);

  CColorButton* m_btnOK = nullptr;

 protected:
  void DoDataExchange(quenmar::DataExchange& dx) override;
  bool OnInitDialog() override;
};
