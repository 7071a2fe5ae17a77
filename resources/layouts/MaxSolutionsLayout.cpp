#include "InfoDialogLayouts.h"
#include "ResourceIds.h"

namespace quenmar {
namespace {

using K = ControlKind;

constexpr ControlSpec kControls[] = {
    {kNoId, K::Label,
     "The maximum number of solutions was found.  Solutions other than those shown may exist. ",
     14, 1, 148, 18, 0},
    {kNoId, K::Label, "TRY:  1. Increasing the maximum number of solutions sought.", 8, 20, 193, 8, 0},
    {kNoId, K::Label, "2. Decreasing the value of the convergence range.", 29, 28, 172, 8, 0},
    {kNoId, K::Label, "3. Narrowing the range of gear teeth", 29, 36, 172, 8, 0},
    {kNoId, K::Label, "4. Decrease the number of gears.", 29, 44, 106, 8, 0},
    {IDOK, K::OwnerDrawButton, "OK", 7, 54, 186, 20, kTabStop},
};

constexpr DialogLayout kLayout{IDD_MAX_SOLUTIONS, "Maximum Number of Solutions Exceeded...", 201, 81,
                               kInfoDialogFont, kInfoDialogPointSize, kControls};

}  // namespace

const DialogLayout& MaxSolutionsLayout() { return kLayout; }

}  // namespace quenmar
