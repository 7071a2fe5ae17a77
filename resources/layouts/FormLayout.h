#pragma once
// The solver form (layout 101): its control ids and its layout table.
// The per-gear id arrays are indexed by gear, N1 first, so code walks them in loops.

#include <array>

#include "LayoutTable.h"

namespace quenmar::form {

constexpr int kLayoutId = 101;

// Input area.
constexpr int kConfigurationSelector = 1231;
constexpr int kTargetReduction = 1060;
constexpr int kConvergenceRange = 1064;
constexpr int kMaxSolutions = 1154;

// Teeth area.
constexpr int kMinLegend = 1179;
constexpr int kMaxLegend = 1180;
constexpr int kLabelPinion = 1090;        // "N1 = Pinion"
constexpr int kLabelN2Output = 1186;      // "N2 = Output"
constexpr int kLabelFirstCompound = 1091;
constexpr int kLabelSecondCompound = 1092;
constexpr int kLabelN6Output = 1093;      // "N6 = Output Gear"
constexpr int kLabelN2 = 1182;
constexpr int kLabelN5 = 1185;
constexpr int kLabelN3 = 1183;
constexpr int kLabelN4 = 1184;
constexpr int kLabelN4Output = 1187;      // "N4 = Output"

constexpr std::array<int, 6> kMinTeethIds{1106, 1108, 1109, 1110, 1112, 1113};
constexpr std::array<int, 6> kMaxTeethIds{1099, 1102, 1103, 1104, 1105, 1098};
constexpr std::array<int, 6> kProfileIds{1042, 1043, 1044, 1052, 1046, 1045};
constexpr std::array<int, 6> kSpinIds{1041, 1055, 1058, 1057, 1056, 1059};

// Reduction and difference of the profile row.
constexpr int kLabelReductionShown = 1063;
constexpr int kReduction = 1061;
constexpr int kLabelDifference = 1095;
constexpr int kDifference = 1094;

// Solution area.
constexpr int kHeadingN3 = 1188;
constexpr int kHeadingN4 = 1189;
constexpr int kHeadingN5 = 1190;
constexpr int kHeadingN6 = 1191;
constexpr int kSolutionList = 1156;
constexpr int kSolve = 1049;
constexpr int kSolutionsFound = 1155;
constexpr int kOutputToList = 1242;
constexpr int kOutputToFile = 1240;
constexpr int kBrowse = 1143;
constexpr int kOutputPath = 1243;
constexpr int kProgress = 1169;
constexpr int kAltHint = 1192;
constexpr int kContactRatio = 1146;

// Value holders that are never shown.
constexpr int kCandidateReduction = 1172;
constexpr int kDay = 1237;
constexpr int kMonth = 1238;
constexpr int kYear = 1239;

// The form's layout: 331 x 224 dialog units in Arial 10 pt.
const DialogLayout& FormLayout();

}  // namespace quenmar::form
