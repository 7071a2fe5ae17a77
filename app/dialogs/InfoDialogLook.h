#pragma once
// What the information and outcome dialogs share when they open: the application icon on
// the window, and the colours of their buttons (black text on a grey face, white when
// disabled).

#include <QColor>

class CColorButton;
class QWidget;

namespace quenmar {

inline const QColor kInfoButtonText(0, 0, 0);
inline const QColor kInfoButtonFace(192, 192, 192);
inline const QColor kInfoButtonFaceDisabled(255, 255, 255);

// Sets the window's icon to the application icon.
void SetApplicationIcon(QWidget* window);
// Gives `button` the dialogs' button colours; nothing when it is null.
void SetInfoButtonColors(CColorButton* button);

}  // namespace quenmar
