#pragma once
// The form's data tables: which labels each configuration family shows, the colour
// code of the fields, the tooltips and the accessible names of controls without a text.
// Code walks these tables instead of repeating itself per gear or per control.

#include <array>

#include "layouts/FormLayout.h"

namespace quenmar::form {

// Which labels and column headings are shown, by the configuration's family: single,
// double, triple (the order of quenmar::Family). "N1 = Pinion" and the solution area
// caption are never touched. Which gears a configuration uses is the solver's
// GearsInUse.
struct LabelVisibility {
  int id;
  std::array<bool, 3> shownByFamily;
};

constexpr std::array<LabelVisibility, 13> kLabelVisibility{{
    {kLabelN2Output, {true, false, false}},
    {kLabelN2, {false, true, true}},
    {kLabelFirstCompound, {false, true, true}},
    {kLabelN3, {false, true, true}},
    {kLabelN4Output, {false, true, false}},
    {kLabelN4, {false, false, true}},
    {kLabelSecondCompound, {false, false, true}},
    {kLabelN5, {false, false, true}},
    {kLabelN6Output, {false, false, true}},
    {kHeadingN3, {false, true, true}},
    {kHeadingN4, {false, true, true}},
    {kHeadingN5, {false, false, true}},
    {kHeadingN6, {false, false, true}},
}};

struct Rgb {
  int r, g, b;
};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kGrey{192, 192, 192};

// Colour pair of each colour-coded field: minima black on white, maxima white on black,
// the profile coloured by shaft (pinion yellow, first compound green, second compound
// blue, output grey).
struct FieldColours {
  int id;
  Rgb text;
  Rgb back;
};

constexpr std::array<FieldColours, 20> kFieldColours{{
    {1106, kBlack, kWhite}, {1108, kBlack, kWhite}, {1109, kBlack, kWhite},
    {1110, kBlack, kWhite}, {1112, kBlack, kWhite}, {1113, kBlack, kWhite},
    {kMinLegend, kBlack, kWhite},
    {1099, kWhite, kBlack}, {1102, kWhite, kBlack}, {1103, kWhite, kBlack},
    {1104, kWhite, kBlack}, {1105, kWhite, kBlack}, {1098, kWhite, kBlack},
    {kMaxLegend, kWhite, kBlack},
    {1042, kBlack, {255, 255, 0}},
    {1043, kBlack, {0, 255, 0}}, {1044, kBlack, {0, 255, 0}},
    {1052, kWhite, {0, 0, 255}}, {1046, kWhite, {0, 0, 255}},
    {1045, kBlack, kGrey},
}};

// Colours of "Push To SOLVE": text, face, face while disabled.
constexpr Rgb kSolveText = kBlack;
constexpr Rgb kSolveFace = kGrey;
constexpr Rgb kSolveFaceDisabled = kWhite;

struct ControlText {
  int id;
  const char* text;
};

constexpr const char* kTipProfile =
    "Number of teeth on this gear; Manipulate value with spin control.";
constexpr const char* kTipMinBelow = "Input MINIMUM number of teeth for gear shown below.";
constexpr const char* kTipMinAbove = "Input MINIMUM number of teeth for gear shown above.";
constexpr const char* kTipMaxBelow = "Input MAXIMUM number of teeth for gear shown below.";
constexpr const char* kTipMaxAbove = "Input MAXIMUM number of teeth for gear shown above.";

// "below" and "above" refer to the profile row: the teeth fields of N1, N2, N5 and N6
// lie above it, those of N3 and N4 below it.
constexpr std::array<ControlText, 29> kToolTips{{
    {kSolutionList, "Double-Click to have solution shown above."},
    {1042, kTipProfile}, {1043, kTipProfile}, {1044, kTipProfile},
    {1052, kTipProfile}, {1046, kTipProfile}, {1045, kTipProfile},
    {1106, kTipMinBelow}, {1108, kTipMinBelow}, {1112, kTipMinBelow}, {1113, kTipMinBelow},
    {1109, kTipMinAbove}, {1110, kTipMinAbove},
    {1099, kTipMaxBelow}, {1102, kTipMaxBelow}, {1105, kTipMaxBelow}, {1098, kTipMaxBelow},
    {1103, kTipMaxAbove}, {1104, kTipMaxAbove},
    {kMaxSolutions, "Input the maximum number of solutions to be found (>0, <500)"},
    {kSolutionsFound, "The actual number of solutions found. "},
    {kReduction, "Shows the reduction of the solution shown above."},
    {kTargetReduction, "Input the desired gear train reduction."},
    {kDifference, "Absolute value of target reduction less calculated reduction."},
    {kConvergenceRange, "Input the desired accuracy of Target +/- Convergence Range."},
    {kSolve, "Press to find solution."},
    {kMaxLegend, "Color code for maximum number of teeth to input for each gear below."},
    {kMinLegend, "Color code for minimum number of teeth to input for each gear below."},
    {kConfigurationSelector,
     "Choose gear train configuration.  Each is mutually exclusive of the other."},
}};

// Accessible names of the controls that show no text of their own (screen readers and
// test robots find controls by them). The gear fields are named per gear in code:
// "N1 minimum", "N1 maximum", "N1 profile", "N1 spin" and so on.
constexpr std::array<ControlText, 16> kAccessibleNames{{
    {kMinLegend, "Cells to Input Minimum No. of Teeth"},
    {kMaxLegend, "Cells to Input Maximum No. of Teeth"},
    {kConfigurationSelector, "Choose Number of Gears"},
    {kTargetReduction, "Target Reduction"},
    {kConvergenceRange, "Convergence Range"},
    {kMaxSolutions, "Max # of Solutions"},
    {kReduction, "Reduction Shown Above"},
    {kDifference, "Difference"},
    {kSolutionsFound, "# of Solutions Found"},
    {kSolutionList, "Solutions"},
    {kOutputPath, "Output file"},
    {kProgress, "SOLUTION PROGRESS"},
    {kCandidateReduction, "Candidate Reduction"},
    {kDay, "Day"},
    {kMonth, "Month"},
    {kYear, "Year"},
}};

}  // namespace quenmar::form
