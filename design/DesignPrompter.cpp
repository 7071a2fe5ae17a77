#include "DesignPrompter.h"

#include <QFileDialog>
#include <QMessageBox>

namespace quenmar::design {

QString DesignPrompter::SaveFileName(QWidget* parent, const QString& title, const QString& filters,
                                     const QString& suggested) {
  return QFileDialog::getSaveFileName(parent, title, suggested, filters);
}

QString DesignPrompter::OpenFileName(QWidget* parent, const QString& title, const QString& filters,
                                     const QString& folder) {
  return QFileDialog::getOpenFileName(parent, title, folder, filters);
}

bool DesignPrompter::Confirm(QWidget* parent, const QString& title, const QString& question) {
  return QMessageBox::question(parent, title, question, QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) == QMessageBox::Yes;
}

void DesignPrompter::Error(QWidget* parent, const QString& title, const QString& text) {
  QMessageBox::warning(parent, title, text);
}

}  // namespace quenmar::design
