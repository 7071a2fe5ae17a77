#include "LayoutRegistry.h"

#include <map>

#include "layouts/InfoDialogLayouts.h"

namespace quenmar {
namespace {

std::map<int, const DialogLayout*>& Registered() {
  static std::map<int, const DialogLayout*> layouts;
  return layouts;
}

}  // namespace

LayoutRegistration::LayoutRegistration(const DialogLayout& layout) { Registered()[layout.id] = &layout; }

const DialogLayout* FindLayout(int id) {
  // The dialogs of this folder are listed, not registered, so they are found in every program.
  using LayoutFunction = const DialogLayout& (*)();
  static constexpr LayoutFunction kKnown[] = {
      &AboutLayout,         &DisclaimerLayout,   &InstructionsLayout,
      &NoConvergenceLayout, &MaxSolutionsLayout, &CalcStoppedLayout,
  };
  for (LayoutFunction layout : kKnown)
    if (layout().id == id) return &layout();
  const auto it = Registered().find(id);
  return it == Registered().end() ? nullptr : it->second;
}

}  // namespace quenmar
