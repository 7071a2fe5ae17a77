#pragma once
// The legal disclaimer shown before every new document. Both buttons end the dialog with
// result 1; only g_bDisclaimerAccepted tells them apart: "I DISAGREE", Esc and the close
// box lower it, "I AGREE" leaves it as the caller set it.

#include "ColorButton.h"
#include "Dialog.h"

// The process-wide answer of the disclaimer; false when the process starts. The document
// raises it before it shows the disclaimer and reads it after the dialog has closed.
extern bool g_bDisclaimerAccepted;

class CDisclaimerDlg : public CDialog {
  Q_OBJECT
 public:
  explicit CDisclaimerDlg(QWidget* parent = nullptr);

  CColorButton* m_btnDisagree = nullptr;
  CColorButton* m_btnAgree = nullptr;

 protected:
  void DoDataExchange(quenmar::DataExchange& dx) override;
  bool OnInitDialog() override;
  // The cancel command: "I DISAGREE", Esc and the close box.
  void OnCancel() override;
  void OnDisagree();
};
