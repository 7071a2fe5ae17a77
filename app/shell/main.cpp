#include <QApplication>

#include "QuenmarApp.h"

int main(int argc, char* argv[]) {
  // QApplication takes its own options out of argv; the registration switches are looked for
  // in the command line as it was given.
  QStringList given;
  for (int i = 0; i < argc; ++i) given << QString::fromLocal8Bit(argv[i]);
  QApplication qapp(argc, argv);
  // The desktop entry's name, so the desktop groups the window with its launcher and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral(QUENMAR_APP_ID));
  CQuenmarApp app;
  if (app.InitInstance(QCoreApplication::arguments(), given)) QApplication::exec();
  return app.ExitInstance();
}
