#pragma once
// CContactRatioDlg: the modal calculator for one pair of external spur gears in mesh. The
// user gives the teeth of both gears, a diametral pitch or a module, and a pressure angle;
// the dialog shows pitch diameters, outer and base-circle radii, the nominal centre distance
// and the contact ratio. The arithmetic lives in ContactRatio.h; this class only moves
// values between the fields and the formulas.
//
// Show it with:  CContactRatioDlg dlg(parent); dlg.DoModal();

#include <QString>

#include "Dialog.h"

class CContactRatioDlg : public CDialog {
  Q_OBJECT
 public:
  explicit CContactRatioDlg(QWidget* parent = nullptr);

  double m_dCenterDistance = 0;
  double m_dPitchOrModule = 48;  // diametral pitch (pitch mode) or module in mm
  int m_nTeeth1 = 20;
  int m_nTeeth2 = 20;
  double m_dPitchRadius1 = 0;
  double m_dPitchRadius2 = 0;
  double m_dCircularPitch = 0;
  double m_dPitchDiameter1 = 0;
  double m_dPitchDiameter2 = 0;
  double m_dOuterRadius1 = 0;
  double m_dOuterRadius2 = 0;
  double m_dBaseRadius1 = 0;
  double m_dBaseRadius2 = 0;
  double m_dPressureAngle = 0;  // degrees, taken from the combo box text at each computation
  QString m_strPressureAngle = QStringLiteral("20");
  double m_dContactRatio = 0;
  bool m_bModuleMode = false;
  bool m_bPitchMode = true;

  void OnCalculate();
  void OnPitch();
  void OnModule();
  void OnClearResults();

 protected:
  void DoDataExchange(quenmar::DataExchange& dx) override;
  bool OnInitDialog() override;
  void OnOK() override;

 private:
  // Everything after the read: the pressure angle from its text, every output from the
  // members, then the fields are written. `moduleMode` says how to take m_dPitchOrModule.
  void Compute(bool moduleMode);
};
