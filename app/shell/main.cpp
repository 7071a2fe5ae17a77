#include <QApplication>

#include "QuenmarApp.h"

int main(int argc, char* argv[]) {
  QApplication qapp(argc, argv);
  // The desktop entry's name, so the desktop groups the window with its launcher and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral(QUENMAR_APP_ID));
  CQuenmarApp app;
  if (app.InitInstance(QCoreApplication::arguments())) QApplication::exec();
  return app.ExitInstance();
}
