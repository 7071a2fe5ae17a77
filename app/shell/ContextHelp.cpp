#include "ContextHelp.h"

#include <QWidget>

#include "help/HelpContext.h"

namespace quenmar {

int HelpContextIdOf(QWidget* widget, QWidget* stopAt) {
  for (QWidget* w = widget; w && w != stopAt; w = w->parentWidget()) {
    bool ok = false;
    const int id = w->objectName().toInt(&ok);
    if (ok && !HelpPageForContext(id).isEmpty()) return id;
  }
  return 0;
}

}  // namespace quenmar
