#include "ContactRatioLayout.h"

#include "LayoutRegistry.h"

namespace quenmar::contact {
namespace {

using K = ControlKind;

constexpr std::uint32_t kInput = kBorder | kTabStop | kCentered | kAutoHScroll;
constexpr std::uint32_t kTeethInput = kInput | kDigitsOnly;
constexpr std::uint32_t kOutput = kBorder | kTabStop | kCentered | kReadOnly | kAutoHScroll;

// Table order is tab order: "&CALCULATE" comes first so the dialog opens with the focus on
// it, and each mnemonic label comes just before the field it leads to.
constexpr ControlSpec kControls[] = {
    {kCalculate, K::PushButton, "&CALCULATE", 195, 65, 77, 26, kTabStop | kDefault},
    {kLabelFirstGear, K::Label, "&FIRST GEAR", 73, 2, 53, 10, 0},
    {kTeeth1, K::Edit, nullptr, 71, 15, 47, 13, kTeethInput},
    {kLabelSecondGear, K::Label, "&SECOND GEAR", 131, 2, 65, 10, 0},
    {kTeeth2, K::Edit, nullptr, 131, 15, 47, 13, kTeethInput},
    {kLabelPressureAngle, K::Label, "Pressure &Angle", 207, 2, 59, 10, 0},
    {kPressureAngle, K::DropDown, "     14.5\n     20\n     25", 200, 15, 63, 50,
     kSorted | kVScroll | kTabStop | kAutoHScroll},
    {kPitchOrModule, K::Edit, nullptr, 201, 37, 47, 14, kInput},
    {kPitchMode, K::RadioButton, "&Pitch", 250, 31, 37, 12, kGroupStart | kTabStop},
    {kModuleMode, K::RadioButton, "&Module", 250, 44, 37, 12, 0},
    {kLabelTeeth, K::Label, "Number Of Teeth ", 3, 15, 58, 11, 0},
    {kLabelPitchDiameter, K::Label, "Pitch Diameter", 3, 34, 48, 11, 0},
    {kPitchDiameter1, K::Edit, nullptr, 71, 33, 47, 13, kOutput},
    {kPitchDiameter2, K::Edit, nullptr, 131, 33, 47, 13, kOutput},
    {kLabelOuterRadius, K::Label, "Outer Radius", 3, 52, 45, 10, 0},
    {kOuterRadius1, K::Edit, nullptr, 71, 51, 47, 13, kOutput},
    {kOuterRadius2, K::Edit, nullptr, 131, 51, 47, 13, kOutput},
    {kLabelBaseRadius, K::Label, "Base Circle Radius", 3, 70, 64, 10, 0},
    {kBaseRadius1, K::Edit, nullptr, 71, 69, 47, 13, kOutput},
    {kBaseRadius2, K::Edit, nullptr, 131, 69, 47, 13, kOutput},
    {kLabelCenterDistance, K::Label, "Nominal Center Distance", 5, 87, 81, 10, 0, kCenterDistance},
    {kCenterDistance, K::Edit, nullptr, 101, 87, 47, 13, kOutput},
    {kLabelContactRatio, K::Label, "Contact Ratio", 4, 103, 55, 10, 0, kContactRatio},
    {kContactRatio, K::Edit, nullptr, 101, 105, 47, 13, kOutput},
    {kOk, K::PushButton, "OK", 175, 102, 50, 14, kTabStop},
    {kCancel, K::PushButton, "Cancel", 237, 102, 50, 14, kTabStop},
};

constexpr DialogLayout kLayout{kLayoutId, "Quenmar", 294, 124, "MS Sans Serif", 8, kControls, true};
const LayoutRegistration kRegistration(kLayout);

}  // namespace

const DialogLayout& ContactRatioLayout() { return kLayout; }

}  // namespace quenmar::contact
