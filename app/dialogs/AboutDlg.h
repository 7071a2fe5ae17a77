#pragma once
// The about box: version, a line on what the program does, the icon and the gears picture.

#include "ColorButton.h"
#include "Dialog.h"

class CAboutDlg : public CDialog {
  Q_OBJECT
 public:
  explicit CAboutDlg(QWidget* parent = nullptr);

  CColorButton* m_btnOK = nullptr;

 protected:
  void DoDataExchange(quenmar::DataExchange& dx) override;
  bool OnInitDialog() override;
};
