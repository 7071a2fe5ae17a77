#pragma once
// Layouts found by their id, for dialogs built on a layout id (CDialog(int)).
//
// The information and outcome dialogs' layouts are always found. Other layout files may
// register theirs:
//
//   const quenmar::LayoutRegistration kRegistration(kLayout);
//
// but such a registration only runs when the program links that file (a static library
// drops a file nothing refers to), so windows that own their table should also hand it to
// the builder or the dialog base directly (CDialog(const DialogLayout&)).

#include "LayoutTable.h"

namespace quenmar {

class LayoutRegistration {
 public:
  explicit LayoutRegistration(const DialogLayout& layout);
};

// The layout with `id`, or nullptr when there is none.
const DialogLayout* FindLayout(int id);

}  // namespace quenmar
