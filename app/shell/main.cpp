#include <QApplication>

#include "Framework.h"
#include "MainWindow.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QCoreApplication::setOrganizationName(QStringLiteral("Local AppWizard-Generated Applications"));
  QCoreApplication::setApplicationName(QStringLiteral("Quenmar"));
  quenmar::SetAppTitle(QStringLiteral("Quenmar"));

  MainWindow window;
  quenmar::SetMainWindow(&window);
  window.newDocument();
  return app.exec();
}
