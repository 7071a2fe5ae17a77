#include "ContactRatioDlg.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>

#include "Artwork.h"
#include "ContactRatio.h"
#include "ContactRatioLayout.h"
#include "DataExchange.h"
#include "ResourceIds.h"

using namespace quenmar;
namespace ids = quenmar::contact;

namespace {

// What a screen reader announces for the fields that share a row label with another field
// or have no label of their own (the value is labelled by the two radio buttons beside it).
// The centre distance and the contact ratio are named by their own labels.
constexpr struct {
  int id;
  const char* name;
} kFieldNames[] = {
    {ids::kTeeth1, "Number Of Teeth, first gear"},
    {ids::kTeeth2, "Number Of Teeth, second gear"},
    {ids::kPitchOrModule, "Pitch or Module"},
    {ids::kPitchDiameter1, "Pitch Diameter, first gear"},
    {ids::kPitchDiameter2, "Pitch Diameter, second gear"},
    {ids::kOuterRadius1, "Outer Radius, first gear"},
    {ids::kOuterRadius2, "Outer Radius, second gear"},
    {ids::kBaseRadius1, "Base Circle Radius, first gear"},
    {ids::kBaseRadius2, "Base Circle Radius, second gear"},
};

}  // namespace

CContactRatioDlg::CContactRatioDlg(QWidget* parent) : CDialog(ids::ContactRatioLayout(), parent) {
  BindingTable& table = bindings();
  table.on(ids::kCalculate, Notification::Clicked, [this] { OnCalculate(); });
  table.on(ids::kPitchMode, Notification::Clicked, [this] { OnPitch(); });
  table.on(ids::kModuleMode, Notification::Clicked, [this] { OnModule(); });
  // Only a person moving into an input clears: the window getting its focus back after a
  // message box (which left the focus in the field it named) keeps the results on screen.
  for (int input : {ids::kTeeth1, ids::kTeeth2, ids::kPitchOrModule, ids::kPressureAngle})
    table.on(input, Notification::Entered, [this] { OnClearResults(); });
}

void CContactRatioDlg::DoDataExchange(DataExchange& dx) {
  dx.Real(ids::kCenterDistance, m_dCenterDistance);
  dx.Real(ids::kPitchOrModule, m_dPitchOrModule);
  dx.Integer(ids::kTeeth1, m_nTeeth1);
  dx.Integer(ids::kTeeth2, m_nTeeth2);
  dx.Real(ids::kPitchDiameter1, m_dPitchDiameter1);
  dx.Real(ids::kPitchDiameter2, m_dPitchDiameter2);
  dx.Real(ids::kOuterRadius1, m_dOuterRadius1);
  dx.Real(ids::kOuterRadius2, m_dOuterRadius2);
  dx.Real(ids::kBaseRadius1, m_dBaseRadius1);
  dx.Real(ids::kBaseRadius2, m_dBaseRadius2);
  dx.Text(ids::kPressureAngle, m_strPressureAngle);
  dx.Real(ids::kContactRatio, m_dContactRatio);

  if (!dx.isReading()) {
    // Fifteen digits are wider than the fields: show each number from its first digit, as a
    // person reads it, except in the field being typed in, whose caret stays put.
    for (auto* field : findChildren<QLineEdit*>())
      if (!field->hasFocus()) field->setCursorPosition(0);
  }
}

bool CContactRatioDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  setWindowIcon(ApplicationIcon());
  for (const auto& field : kFieldNames)
    if (QWidget* w = controls().widget(field.id)) w->setAccessibleName(QString::fromLatin1(field.name));
  if (auto* combo = controls().get<QComboBox>(ids::kPressureAngle)) {
    // The box is a field with a list of suggestions: Enter in it calculates, it never adds
    // what was typed to the list.
    combo->setInsertPolicy(QComboBox::NoInsert);
  }
  if (auto* pitch = controls().get<QAbstractButton>(ids::kPitchMode)) pitch->setChecked(true);
  return true;  // the focus starts on "&CALCULATE", first in tab order
}

void CContactRatioDlg::OnCalculate() {
  // A failed read has told the user; the members as they stand are computed and written
  // back, which also puts the previous value into the field that failed.
  UpdateData(true);
  const auto* module = controls().get<QAbstractButton>(ids::kModuleMode);
  Compute(module && module->isChecked());
}

void CContactRatioDlg::OnPitch() {
  if (m_bPitchMode) return;
  UpdateData(true);
  m_bModuleMode = false;
  m_bPitchMode = true;
  m_dPitchOrModule = ConvertPitchOrModule(m_dPitchOrModule);
  Compute(false);
}

void CContactRatioDlg::OnModule() {
  if (m_bModuleMode) return;
  UpdateData(true);
  m_bModuleMode = true;
  m_bPitchMode = false;
  m_dPitchOrModule = ConvertPitchOrModule(m_dPitchOrModule);
  Compute(true);
}

void CContactRatioDlg::OnClearResults() {
  // The message about a field that does not read puts the focus into that field; that is the
  // program showing the field, not the user entering it, and the operation that failed goes
  // on to write its own results.
  if (DataExchange::IsReportingFailure()) return;
  // Only the centre distance and the ratio are cleared: the diameters and radii of the last
  // computation stay in view while an input is being changed.
  UpdateData(true);
  m_dCenterDistance = 0;
  m_dContactRatio = 0;
  UpdateData(false);
}

void CContactRatioDlg::OnOK() {
  if (!UpdateData(true)) return;
  EndDialog(IDOK);
}

void CContactRatioDlg::Compute(bool moduleMode) {
  m_dPressureAngle = ParsePressureAngle(m_strPressureAngle.toStdString());

  GearPairInput input;
  input.mode = moduleMode ? ToothSize::Module : ToothSize::Pitch;
  input.pitchOrModule = m_dPitchOrModule;
  input.teeth1 = m_nTeeth1;
  input.teeth2 = m_nTeeth2;
  input.pressureAngleDegrees = m_dPressureAngle;
  const GearPairGeometry g = ComputeGearPair(input);

  m_dPitchDiameter1 = g.pitchDiameter1;
  m_dPitchDiameter2 = g.pitchDiameter2;
  m_dPitchRadius1 = g.pitchRadius1;
  m_dPitchRadius2 = g.pitchRadius2;
  m_dBaseRadius1 = g.baseRadius1;
  m_dBaseRadius2 = g.baseRadius2;
  m_dOuterRadius1 = g.outerRadius1;
  m_dOuterRadius2 = g.outerRadius2;
  m_dCircularPitch = g.circularPitch;
  m_dCenterDistance = g.centerDistance;
  m_dContactRatio = g.contactRatio;
  UpdateData(false);
}
