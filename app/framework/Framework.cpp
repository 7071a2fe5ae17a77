#include "Framework.h"

#include <QPalette>
#include <QPointer>
#include <QWidget>

namespace quenmar {
namespace {

struct Settings {
  QString title = QStringLiteral("Quenmar");
  QPointer<QWidget> mainWindow;
  bool hasDialogColors = false;
  QColor back;
  QColor text;
};

Settings& settings() {
  static Settings s;
  return s;
}

}  // namespace

void SetAppTitle(const QString& title) { settings().title = title; }
QString AppTitle() { return settings().title; }

void SetMainWindow(QWidget* window) { settings().mainWindow = window; }
QWidget* MainWindow() { return settings().mainWindow.data(); }

void SetDialogColors(const QColor& background, const QColor& text) {
  settings().hasDialogColors = true;
  settings().back = background;
  settings().text = text;
}

bool HasDialogColors() { return settings().hasDialogColors; }
QColor DialogBackColor() { return settings().back; }
QColor DialogTextColor() { return settings().text; }

void ApplyDialogColors(QWidget* window) {
  if (!window || !settings().hasDialogColors) return;
  QPalette pal = window->palette();
  for (auto group : {QPalette::Active, QPalette::Inactive}) {
    pal.setColor(group, QPalette::Window, settings().back);
    pal.setColor(group, QPalette::WindowText, settings().text);
  }
  pal.setColor(QPalette::Disabled, QPalette::Window, settings().back);
  window->setPalette(pal);
  window->setAutoFillBackground(true);
}

}  // namespace quenmar
