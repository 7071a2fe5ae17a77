// quenmar-design: the design searches in a window of their own.
#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>

#include "DesignWindow.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("Quenmar"));
  QApplication::setApplicationName(QStringLiteral("Quenmar Design"));
  QApplication::setApplicationVersion(QStringLiteral(QUENMAR_VERSION));
  // The desktop entry's name, so the desktop groups the window with its launcher and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral(QUENMAR_DESIGN_APP_ID));

  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Finds the teeth of spur gear trains for a wanted reduction, and draws them."));
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption search(QStringLiteral("search"),
                                  QStringLiteral("Start the search of the setup at once."));
  parser.addOption(search);
  parser.addPositionalArgument(QStringLiteral("setup"),
                               QStringLiteral("A setup file (JSON) to open instead of the last setup."),
                               QStringLiteral("[setup]"));
  parser.process(app);

  quenmar::design::DesignWindow window;
  window.show();
  // A setup that cannot be opened is reported; the window keeps the last setup and stays.
  std::optional<QString> error;
  if (!parser.positionalArguments().isEmpty())
    error = window.OpenSetup(parser.positionalArguments().first());
  if (error) {
    std::fprintf(stderr, "quenmar-design: %s\n", qPrintable(*error));
    QMessageBox::warning(&window, QStringLiteral("Open setup"), *error);
  } else if (parser.isSet(search)) {
    QTimer::singleShot(0, &window, [&window] { window.Search(); });
  }
  return app.exec();
}
