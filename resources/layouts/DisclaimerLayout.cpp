#include "InfoDialogLayouts.h"
#include "ResourceIds.h"

namespace quenmar {
namespace {

using K = ControlKind;

// "I AGREE" comes first in the tab order, so it has the focus when the dialog opens.
constexpr ControlSpec kControls[] = {
    {kNoId, K::Picture, nullptr, 22, 10, 0, 0, 0, kNoId, IDR_MAINFRAME},
    {kNoId, K::Picture, nullptr, 197, 0, 107, 83, 0, kNoId, IDB_GEARS},
    {kNoId, K::GroupBox, nullptr, 3, 30, 184, 130, 0},
    {kNoId, K::Label,
     "As is the case with any analysis tool, the accuracy of the solutions provided should be "
     "independently verified before incorporating into designs.",
     7, 68, 177, 26, 0},
    {kNoId, K::Label,
     "Brassmoor accepts no responsibility for any damages or liabilities to persons or "
     "properties resulting from the use of this product.",
     8, 98, 171, 26, 0},
    {IDOK, K::OwnerDrawButton, "I AGREE", 15, 132, 70, 20, kTabStop},
    {IDCANCEL, K::OwnerDrawButton, "I DISAGREE", 101, 132, 70, 20, kTabStop},
};

constexpr DialogLayout kLayout{IDD_DISCLAIMER, "                        Quenmar V1.01", 304, 161,
                               kInfoDialogFont, kInfoDialogPointSize, kControls};

}  // namespace

const DialogLayout& DisclaimerLayout() { return kLayout; }

}  // namespace quenmar
