#pragma once
// Which help context a widget of the frame stands for.

class QWidget;

namespace quenmar {

// The id of `widget` or of its nearest parent below `stopAt` that has a help page of its own
// (widgets of a layout are named by their id); 0 when none has.
int HelpContextIdOf(QWidget* widget, QWidget* stopAt);

}  // namespace quenmar
