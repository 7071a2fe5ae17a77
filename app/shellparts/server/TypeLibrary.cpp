#include "TypeLibrary.h"

#include <QFileInfo>

namespace quenmar {

namespace {

// Stands for loading a type library from a file: the file must exist, and even then it cannot
// be loaded, since nothing here reads type libraries.
Status LoadTypeLibrary(const QString& path) {
  return QFileInfo(path).isFile() ? kUnsupportedFormat : kCannotLoadLibrary;
}

// The program holds no type library among its resources, so the load from the module itself
// fails and the file beside it is the only place left to look.
Status LoadFromModule(const QString& modulePath, const QString& index) {
  return LoadTypeLibrary(TypeLibraryFileBeside(modulePath + index));
}

}  // namespace

qsizetype GetDirLen(QStringView path) {
  for (qsizetype i = path.size(); i > 0; --i) {
    const QChar c = path[i - 1];
    if (c == QLatin1Char('\\') || c == QLatin1Char('/') || c == QLatin1Char(':')) return i;
  }
  return 0;
}

QString TypeLibraryFileBeside(const QString& modulePath) {
  const qsizetype nameStart = GetDirLen(modulePath);
  const qsizetype dot = modulePath.lastIndexOf(QLatin1Char('.'));
  const QString stem = dot >= nameStart ? modulePath.left(dot) : modulePath;
  return stem + QStringLiteral(".tlb");
}

// A library that loaded would be registered with its path and its help folder (the path up to
// GetDirLen); no load succeeds here, so the status of the load is the result.
Status RegisterTypeLibrary(const QString& modulePath, const QString& index) {
  return LoadFromModule(modulePath, index);
}

Status UnregisterTypeLibrary(const QString& modulePath, const QString& index) {
  return LoadFromModule(modulePath, index);
}

}  // namespace quenmar
