#include "InfoDialogLayouts.h"
#include "ResourceIds.h"

namespace quenmar {
namespace {

using K = ControlKind;

constexpr ControlSpec kControls[] = {
    {kNoId, K::Label, "Calculation was terminated prematurely.", 11, 2, 126, 8, 0},
    {kNoId, K::Label, "Other solutions may exist.", 30, 14, 80, 8, 0},
    {IDOK, K::OwnerDrawButton, "OK", 10, 29, 124, 20, kTabStop},
};

constexpr DialogLayout kLayout{IDD_CALC_STOPPED, "          Calculation Stopped...", 148, 52,
                               kInfoDialogFont, kInfoDialogPointSize, kControls};

}  // namespace

const DialogLayout& CalcStoppedLayout() { return kLayout; }

}  // namespace quenmar
