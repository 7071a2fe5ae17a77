// quenmar-design: the design searches in a window of their own.
#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>
#include <cstdio>

#include "DesignWindow.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("Quenmar"));
  QApplication::setApplicationName(QStringLiteral("Quenmar Design"));
  QApplication::setApplicationVersion(QStringLiteral(QUENMAR_VERSION));

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
  if (!parser.positionalArguments().isEmpty()) {
    if (auto error = window.OpenSetup(parser.positionalArguments().first())) {
      std::fprintf(stderr, "quenmar-design: %s\n", qPrintable(*error));
      return 2;
    }
  }
  window.show();
  if (parser.isSet(search)) QTimer::singleShot(0, &window, [&window] { window.Search(); });
  return app.exec();
}
