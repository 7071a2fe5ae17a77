#pragma once
// Process-wide settings of the framework layer, set once by the application at start-up:
// the application title (caption of every message box), the main window (owner of dialogs
// that name no parent) and the colours of every dialog and message box.

#include <QColor>
#include <QString>

class QWidget;

namespace quenmar {

void SetAppTitle(const QString& title);
QString AppTitle();  // "Quenmar" until set otherwise

// The window that owns modal dialogs and message boxes that name no parent; nullptr for
// none (they are then centred on the screen).
void SetMainWindow(QWidget* window);
QWidget* MainWindow();

// Background and text colours of every dialog and message box shown from now on.
// Until this is called dialogs keep the system's colours.
void SetDialogColors(const QColor& background, const QColor& text);
bool HasDialogColors();
QColor DialogBackColor();
QColor DialogTextColor();
// Gives `window` the dialog colours (when set): its background and plain texts.
void ApplyDialogColors(QWidget* window);

}  // namespace quenmar
