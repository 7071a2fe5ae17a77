#include <QApplication>

#include "QuenmarApp.h"

int main(int argc, char* argv[]) {
  QApplication qapp(argc, argv);
  CQuenmarApp app;
  if (app.InitInstance(QCoreApplication::arguments())) QApplication::exec();
  return app.ExitInstance();
}
