#include "InfoDialogLayouts.h"
#include "ResourceIds.h"

namespace quenmar {
namespace {

using K = ControlKind;

// A label column numbers the steps: "1)" to "5)" at x 18, "A)" and "B)" at x 28, each on the
// first line of its step.
constexpr ControlSpec kControls[] = {
    {kNoId, K::Label,
     "Quenmar is a simple analysis tool that solves for gear train solutions based on user "
     "defined ranges on the number of teeth on individual gears and a specified reduction.",
     9, 7, 301, 17, 0},
    {kNoId, K::Label, "Edit controls are used to represent gears shown in profile. ", 9, 26, 301, 8, 0},
    {kNoId, K::Label, "To run Quenmar, simply:", 9, 40, 301, 9, 0},
    {kNoId, K::Label, "1)", 18, 50, 9, 8, 0},
    {kNoId, K::Label,
     "Specify single, double or triple (if applicable) reduction in the combo box labeled "
     "\"Choose Number of Gears\".  Each solution is mutually exclusive in that no single "
     "reduction solutions will be shown within the double reduction solution, etc.",
     28, 50, 273, 25, 0},
    {kNoId, K::Label, "2)", 18, 80, 9, 8, 0},
    {kNoId, K::Label, "Specify the desired target gear ratio.", 28, 80, 247, 8, 0},
    {kNoId, K::Label, "3)", 18, 92, 9, 8, 0},
    {kNoId, K::Label,
     "Specify the convergence range (real).  This value represents the accuracy of the actual "
     "solutions output in the form of:",
     28, 92, 247, 17, 0},
    {kNoId, K::Label, "calculated reduction = target reduction +/- convergence range", 43, 110, 218, 8, 0},
    {kNoId, K::Label, "4)", 18, 123, 9, 8, 0},
    {kNoId, K::Label,
     "Input the maximum number of solutions to be output (integer; default = 200, maximum = "
     "500).  If the maximum number of solutions is found before checking all possible "
     "combinations, a dialog box will pop-up to alert the analyst.",
     28, 123, 273, 25, 0},
    {kNoId, K::Label, "5)", 18, 152, 9, 8, 0},
    {kNoId, K::Label,
     "Specify a maximum and minimum number of teeth on each gear by inputting integer values in "
     "the controls above each gear.",
     28, 152, 273, 16, 0},
    {kNoId, K::Label, "A)", 28, 172, 10, 8, 0},
    {kNoId, K::Label, "The minimum number of teeth on a gear can not exceed the maximum.", 39, 172, 249, 8, 0},
    {kNoId, K::Label, "B)", 28, 183, 10, 8, 0},
    {kNoId, K::Label,
     "The number of teeth on a gear can be fixed by setting the maximum equal to the minimum "
     "number of teeth.",
     39, 183, 249, 15, 0},
    {kNoId, K::Label,
     "Quenmar lists the solutions that meet the specified criteria.  The solutions shown in the "
     "scroll view are sorted for accuracy based on the absolute value of the difference between "
     "the actual reduction and target reduction. ",
     9, 205, 301, 26, 0},
    {kNoId, K::Label,
     "Double-click on any solution to make it appear in the profile view of the gear train.  The "
     "spin control buttons can be used to manipulate the numbers of teeth on individual gears.  "
     "The calcuated gear ratio and difference are updated dynamically.",
     9, 237, 301, 26, 0},
    {kNoId, K::Label,
     "The unsorted solutions can also be output to a file by selecting the \"Output to File\" "
     "radio button and inputting the desired file name or selecting \"Browse\".  ",
     9, 269, 301, 17, 0},
    {kNoId, K::Label,
     "The data in the output file can be easily imported into a spreadsheet using the space "
     "delimited format.  The spreadsheet can be used for different sorting algorithms, contact "
     "ratio calculation, etc.",
     9, 292, 301, 26, 0},
    {IDOK, K::OwnerDrawButton, "OK", 41, 322, 229, 18, kTabStop},
};

constexpr DialogLayout kLayout{IDD_INSTRUCTIONS, "Quenmar Instructions...", 311, 350, kInfoDialogFont,
                               kInfoDialogPointSize, kControls};

}  // namespace

const DialogLayout& InstructionsLayout() { return kLayout; }

}  // namespace quenmar
