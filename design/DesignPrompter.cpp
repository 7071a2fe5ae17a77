#include "DesignPrompter.h"

#include <QFileDialog>
#include <QMessageBox>

namespace quenmar::design {

QString DesignPrompter::SaveFileName(QWidget* parent, const QString& title, const QString& filters,
                                     const QString& suggested) {
  return QFileDialog::getSaveFileName(parent, title, suggested, filters);
}

QString DesignPrompter::OpenFileName(QWidget* parent, const QString& title, const QString& filters) {
  return QFileDialog::getOpenFileName(parent, title, QString(), filters);
}

void DesignPrompter::Error(QWidget* parent, const QString& title, const QString& text) {
  QMessageBox::warning(parent, title, text);
}

}  // namespace quenmar::design
