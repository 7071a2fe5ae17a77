#include "InfoDialogLayouts.h"
#include "ResourceIds.h"

namespace quenmar {
namespace {

using K = ControlKind;

constexpr ControlSpec kControls[] = {
    {kNoId, K::Picture, nullptr, 4, 5, 0, 0, 0, kNoId, IDR_MAINFRAME},
    {kNoId, K::Label, "Quenmar V1.01", 28, 16, 118, 8, kNoPrefix},
    {kNoId, K::Label,
     "Quenmar is a simple analysis tool that solves for gear train solutions based on user "
     "defined ranges on the number of teeth on individual gears and a specified reduction.",
     4, 28, 223, 26, 0},
    {kNoId, K::Picture, nullptr, 233, 0, 107, 83, 0, kNoId, IDB_GEARS},
    {IDOK, K::OwnerDrawButton, "OK", 232, 91, 106, 25, kTabStop},
};

constexpr DialogLayout kLayout{IDD_ABOUTBOX, "About Quenmar", 341, 126, kInfoDialogFont,
                               kInfoDialogPointSize, kControls};

}  // namespace

const DialogLayout& AboutLayout() { return kLayout; }

}  // namespace quenmar
