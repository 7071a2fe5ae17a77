#pragma once
// Layouts of the information and outcome dialogs: the about box, the disclaimer, the
// instructions and the three messages that end a search. Each is 8 pt "MS Sans Serif";
// its statics have no id, its buttons are 1 (OK, "I AGREE") and 2 ("I DISAGREE").

#include "LayoutTable.h"

namespace quenmar {

const DialogLayout& AboutLayout();          // 100, "About Quenmar"
const DialogLayout& DisclaimerLayout();     // 134, 24 blanks then "Quenmar V1.01"
const DialogLayout& InstructionsLayout();   // 139, "Quenmar Instructions..."
const DialogLayout& NoConvergenceLayout();  // 135, 22 blanks then "No Convergence"
const DialogLayout& MaxSolutionsLayout();   // 145, "Maximum Number of Solutions Exceeded..."
const DialogLayout& CalcStoppedLayout();    // 146, 10 blanks then "Calculation Stopped..."

// The font of all six.
inline constexpr const char* kInfoDialogFont = "MS Sans Serif";
inline constexpr int kInfoDialogPointSize = 8;

}  // namespace quenmar
