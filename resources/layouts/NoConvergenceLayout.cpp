#include "InfoDialogLayouts.h"
#include "ResourceIds.h"

namespace quenmar {
namespace {

using K = ControlKind;

constexpr ControlSpec kControls[] = {
    {kNoId, K::Label, "The solution did not converge.", 5, 0, 99, 8, 0},
    {kNoId, K::Label, "TRY:", 5, 9, 191, 8, 0},
    {kNoId, K::Label, "1)  Increasing the value for the Convergence Range.", 11, 18, 191, 8, 0},
    {kNoId, K::Label, "2)  Increase the range of teeth on individual gears.", 11, 27, 191, 8, 0},
    {kNoId, K::Label, "3)  Increasing the number of gears.", 11, 36, 191, 8, 0},
    {IDOK, K::OwnerDrawButton, "OK", 8, 49, 183, 21, kTabStop},
};

constexpr DialogLayout kLayout{IDD_NO_CONVERGENCE, "                      No Convergence", 203, 79,
                               kInfoDialogFont, kInfoDialogPointSize, kControls};

}  // namespace

const DialogLayout& NoConvergenceLayout() { return kLayout; }

}  // namespace quenmar
