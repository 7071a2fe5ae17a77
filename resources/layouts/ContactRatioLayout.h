#pragma once
// The contact ratio calculator (layout 147): its control ids and its layout table.

#include "LayoutTable.h"

namespace quenmar::contact {

constexpr int kLayoutId = 147;

// Inputs.
constexpr int kTeeth1 = 1014;
constexpr int kTeeth2 = 1015;
constexpr int kPressureAngle = 1040;   // combo box with an edit field
constexpr int kPitchOrModule = 1018;
constexpr int kPitchMode = 1009;       // radio "&Pitch"
constexpr int kModuleMode = 1010;      // radio "&Module"

// Outputs (read-only fields).
constexpr int kPitchDiameter1 = 1002;
constexpr int kPitchDiameter2 = 1013;
constexpr int kOuterRadius1 = 1008;
constexpr int kOuterRadius2 = 1019;
constexpr int kBaseRadius1 = 1012;
constexpr int kBaseRadius2 = 1020;
constexpr int kCenterDistance = 1016;
constexpr int kContactRatio = 1011;

// Buttons.
constexpr int kCalculate = 1006;
constexpr int kOk = 1;
constexpr int kCancel = 2;

// Labels.
constexpr int kLabelFirstGear = 1038;
constexpr int kLabelSecondGear = 1039;
constexpr int kLabelPressureAngle = 1005;
constexpr int kLabelTeeth = 1003;
constexpr int kLabelPitchDiameter = 1021;
constexpr int kLabelOuterRadius = 1023;
constexpr int kLabelBaseRadius = 1024;
constexpr int kLabelCenterDistance = 1001;
constexpr int kLabelContactRatio = 1000;

// 294 x 124 dialog units in MS Sans Serif 8 pt, caption "Quenmar".
const DialogLayout& ContactRatioLayout();

}  // namespace quenmar::contact
