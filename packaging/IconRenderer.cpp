// quenmar-icon-renderer OUTDIR NAME SIZE...: writes the application icon for the icon theme,
// OUTDIR/scalable/apps/NAME.svg and OUTDIR/SIZExSIZE/apps/NAME.png for each SIZE, from the
// drawing the window's icon uses. Run at build time; exit status 1 when a file cannot be
// written (its path goes to standard error).

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QSvgGenerator>

#include <cstdio>

#include "Artwork.h"

namespace {

constexpr int kScalableSize = 256;

bool WriteScalable(const QString& path) {
  QSvgGenerator svg;
  svg.setFileName(path);
  svg.setSize(QSize(kScalableSize, kScalableSize));
  svg.setViewBox(QRect(0, 0, kScalableSize, kScalableSize));
  svg.setTitle(QStringLiteral("Quenmar"));
  svg.setDescription(QStringLiteral("Two meshing spur gears"));
  QPainter p;
  if (!p.begin(&svg)) return false;
  quenmar::PaintApplicationIcon(p, kScalableSize);
  return p.end();
}

bool MakeFolderOf(const QString& path) { return QDir().mkpath(QFileInfo(path).absolutePath()); }

}  // namespace

int main(int argc, char* argv[]) {
  // Drawing needs no screen.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments();
  if (args.size() < 4) {
    std::fprintf(stderr, "usage: quenmar-icon-renderer OUTDIR NAME SIZE...\n");
    return 2;
  }
  const QString outDir = args[1];
  const QString name = args[2];

  QStringList failed;
  const QString scalable = outDir + QStringLiteral("/scalable/apps/") + name + QStringLiteral(".svg");
  if (!MakeFolderOf(scalable) || !WriteScalable(scalable)) failed << scalable;
  for (qsizetype i = 3; i < args.size(); ++i) {
    bool ok = false;
    const int size = args[i].toInt(&ok);
    if (!ok || size < 1 || size > 1024) {
      std::fprintf(stderr, "quenmar-icon-renderer: not a size: %s\n", qPrintable(args[i]));
      return 2;
    }
    const QString png = QStringLiteral("%1/%2x%2/apps/%3.png").arg(outDir).arg(size).arg(name);
    if (!MakeFolderOf(png) || !quenmar::ApplicationIconImage(size).save(png, "PNG")) failed << png;
  }
  for (const QString& path : failed)
    std::fprintf(stderr, "quenmar-icon-renderer: cannot write %s\n", qPrintable(path));
  return failed.isEmpty() ? 0 : 1;
}
