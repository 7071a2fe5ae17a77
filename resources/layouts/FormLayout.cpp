#include "FormLayout.h"

namespace quenmar::form {
namespace {

using K = ControlKind;

constexpr std::uint32_t kTeethField = kBorder | kTabStop | kCentered | kDigitsOnly;
constexpr std::uint32_t kProfileField = kBorder | kReadOnly | kCentered | kDigitsOnly;
constexpr std::uint32_t kSpin = kSpinWrap | kSpinArrowKeys;
constexpr std::uint32_t kNeverShown = kHidden | kDisabled;

// The solution area's caption heads the first two columns of the list; the headings of
// N3..N6 are labels of their own so that the configuration switch can show or hide them.
constexpr const char* kSolutionCaption =
    "Difference  Reduction  N1    N2                                     ";

// The selector's entries in configuration order; start-up appends the sixth, so that a
// selector position is always the configuration's index.
constexpr const char* kSelectorEntries =
    "Single Reduction Only\n"
    "Double Reduction Only\n"
    "Double Reduction with N1 = N3\n"
    "Double Reduction with N2 = N4\n"
    "Double with N1 = N3; N2 = N4";

// Table order is tab order. A label that names one control gives its id as buddy.
constexpr ControlSpec kControls[] = {
    // Input area.
    {kNoId, K::GroupBox, "Input Solution Constraints...", 0, 1, 327, 33, 0},
    {kNoId, K::Label, "Choose Number of Gears", 15, 9, 84, 8, 0, kConfigurationSelector},
    {kConfigurationSelector, K::DropDownList, kSelectorEntries, 2, 17, 121, 79, kVScroll | kTabStop},
    {kNoId, K::Label, "Target Reduction", 129, 9, 57, 8, 0, kTargetReduction},
    {kTargetReduction, K::Edit, nullptr, 138, 17, 40, 12, kBorder | kTabStop | kCentered},
    {kNoId, K::Label, "+/-", 198, 19, 9, 8, kCentered},
    {kNoId, K::Label, "Convergence Range", 193, 9, 67, 8, 0, kConvergenceRange},
    {kConvergenceRange, K::Edit, nullptr, 209, 17, 40, 12, kBorder | kTabStop | kCentered},
    {kNoId, K::Label, "Max # of Solutions", 263, 9, 63, 8, 0, kMaxSolutions},
    {kMaxSolutions, K::Edit, nullptr, 276, 17, 40, 12,
     kBorder | kTabStop | kCentered | kDigitsOnly},

    // Teeth area.
    {kNoId, K::GroupBox,
     "Specify the maximum and minimum number of teeth on each gear and press \"SOLVE\" button...",
     0, 36, 327, 93, 0},
    {kMinLegend, K::Edit, nullptr, 10, 45, 146, 12, kBorder | kReadOnly | kCentered},
    {kMaxLegend, K::Edit, nullptr, 166, 45, 146, 12, kBorder | kReadOnly | kCentered},
    {kLabelPinion, K::Label, "N1 = Pinion", 12, 59, 40, 8, 0},
    {kLabelN2Output, K::Label, "N2 = Output", 71, 59, 42, 8, 0},
    {kLabelFirstCompound, K::Label, "First Compound", 67, 59, 54, 8, kHidden},
    {kLabelSecondCompound, K::Label, "Second Compound", 135, 59, 64, 8, kHidden},
    {kLabelN6Output, K::Label, "N6 = Output Gear", 218, 59, 60, 8, kHidden},
    {kLabelN2, K::Label, "N2", 60, 70, 10, 8, kHidden},
    {kLabelN5, K::Label, "N5", 135, 70, 10, 8, kHidden},
    {kLabelN3, K::Label, "N3", 55, 103, 10, 8, kHidden},
    {kLabelN4, K::Label, "N4", 138, 104, 10, 8, kHidden},
    {kLabelN4Output, K::Label, "N4 = Output", 192, 104, 42, 8, kHidden},

    // Minimum and maximum teeth, one pair per gear, minimum on the left.
    {1106, K::Edit, nullptr, 13, 68, 17, 12, kTeethField},
    {1099, K::Edit, nullptr, 30, 68, 17, 12, kTeethField},
    {1108, K::Edit, nullptr, 70, 68, 19, 12, kTeethField},
    {1102, K::Edit, nullptr, 89, 68, 19, 12, kTeethField},
    {1109, K::Edit, nullptr, 66, 103, 17, 12, kTeethField | kHidden},
    {1103, K::Edit, nullptr, 84, 103, 17, 12, kTeethField | kHidden},
    {1110, K::Edit, nullptr, 152, 103, 19, 12, kTeethField | kHidden},
    {1104, K::Edit, nullptr, 171, 103, 19, 12, kTeethField | kHidden},
    {1112, K::Edit, nullptr, 147, 68, 17, 12, kTeethField | kHidden},
    {1105, K::Edit, nullptr, 164, 68, 17, 12, kTeethField | kHidden},
    {1113, K::Edit, nullptr, 224, 68, 19, 12, kTeethField | kHidden},
    {1098, K::Edit, nullptr, 243, 68, 19, 12, kTeethField | kHidden},

    // The profile row: one read-only field per gear, its spin button on the given side.
    {1042, K::Edit, nullptr, 13, 79, 34, 12, kProfileField},
    {1041, K::SpinButton, nullptr, 4, 79, 9, 12, kSpin | kSpinLeft, 1042},
    {1043, K::Edit, nullptr, 48, 79, 86, 12, kProfileField},
    {1055, K::SpinButton, nullptr, 138, 79, 9, 12, kSpin, 1043},
    {1044, K::Edit, nullptr, 67, 91, 34, 12, kProfileField | kHidden},
    {1058, K::SpinButton, nullptr, 58, 91, 9, 12, kSpin | kSpinLeft | kHidden, 1044},
    {1052, K::Edit, nullptr, 100, 91, 142, 12, kProfileField | kHidden},
    {1057, K::SpinButton, nullptr, 242, 91, 9, 12, kSpin | kHidden, 1052},
    {1046, K::Edit, nullptr, 147, 79, 34, 12, kProfileField | kHidden},
    {1056, K::SpinButton, nullptr, 146, 79, 9, 12, kSpin | kSpinLeft | kHidden, 1046},
    {1045, K::Edit, nullptr, 182, 79, 124, 12, kProfileField | kHidden},
    {1059, K::SpinButton, nullptr, 307, 79, 9, 12, kSpin | kHidden, 1045},

    // Reduction and difference of the profile row.
    {kNoId, K::GroupBox, nullptr, 37, 113, 237, 16, 0},
    {kLabelReductionShown, K::Label, "Reduction Shown Above", 41, 119, 81, 8, 0, kReduction},
    {kReduction, K::Edit, nullptr, 123, 117, 45, 12, kBorder | kReadOnly | kCentered},
    {kLabelDifference, K::Label, "Difference", 193, 119, 34, 8, kRightAligned, kDifference},
    {kDifference, K::Edit, nullptr, 229, 117, 45, 12, kBorder | kReadOnly | kCentered},

    // Solution area.
    {kNoId, K::GroupBox, kSolutionCaption, 0, 134, 327, 86, 0},
    {kHeadingN3, K::Label, "N3", 119, 134, 10, 8, kHidden},
    {kHeadingN4, K::Label, "N4", 137, 134, 10, 8, kHidden},
    {kHeadingN5, K::Label, "N5", 156, 134, 10, 8, kHidden},
    {kHeadingN6, K::Label, "N6", 176, 134, 10, 8, kHidden},
    {kSolutionList, K::ListBox, nullptr, 9, 143, 191, 54,
     kBorder | kVScroll | kTabStop | kNotify | kSorted},
    {kSolve, K::OwnerDrawButton, "Push To SOLVE", 207, 140, 112, 14, kTabStop},
    {kNoId, K::Label, "# of Solutions Found", 207, 157, 69, 8, 0, kSolutionsFound},
    {kSolutionsFound, K::Edit, nullptr, 283, 155, 37, 12,
     kBorder | kReadOnly | kDigitsOnly | kCentered},
    {kOutputToList, K::RadioButton, "Output to list box", 202, 167, 79, 8, kGroupStart | kTabStop},
    {kOutputToFile, K::RadioButton, "Output to file:", 202, 176, 58, 8, 0},
    {kBrowse, K::PushButton, "Browse", 283, 174, 41, 12, kTabStop},
    {kOutputPath, K::Edit, nullptr, 203, 187, 121, 12, kBorder | kTabStop | kAutoHScroll},
    {kNoId, K::Label, "SOLUTION PROGRESS=>", 6, 200, 91, 8, 0, kProgress},
    {kProgress, K::ProgressBar, nullptr, 99, 200, 225, 8, kBorder},
    {kAltHint, K::Label, "PRESS \"ALT\" KEY TO TERMINATE CALCULATION", 118, 209, 176, 8, 0},
    {kContactRatio, K::PushButton, "Calculate Contact Ratio", 11, 212, 86, 9,
     kTabStop | kHidden | kDisabled},

    // Value holders that exist only to carry values through the exchange.
    {kCandidateReduction, K::Edit, nullptr, 239, 211, 40, 12, kNeverShown},
    {kDay, K::Edit, nullptr, 249, 0, 19, 12, kNeverShown},
    {kMonth, K::Edit, nullptr, 271, 0, 19, 12, kNeverShown},
    {kYear, K::Edit, nullptr, 293, 0, 32, 12, kNeverShown},
};

constexpr DialogLayout kLayout{kLayoutId, "", 331, 224, "Arial", 10, kControls};

}  // namespace

const DialogLayout& FormLayout() { return kLayout; }

}  // namespace quenmar::form
