#include "InfoDialogLook.h"

#include <QWidget>

#include "Artwork.h"
#include "ColorButton.h"

namespace quenmar {

void SetApplicationIcon(QWidget* window) {
  if (window) window->setWindowIcon(ApplicationIcon());
}

void SetInfoButtonColors(CColorButton* button) {
  if (button) button->SetColors(kInfoButtonText, kInfoButtonFace, kInfoButtonFaceDisabled);
}

}  // namespace quenmar
