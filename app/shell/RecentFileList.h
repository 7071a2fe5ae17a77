#pragma once
// The recently used documents, newest first, kept in the application's settings under
// "Recent File List" as File1, File2, ... No menu shows them; every opened or saved document
// is still recorded, and the list is stored when the process exits.

#include <QString>
#include <QStringList>

class QSettings;

class CRecentFileList {
 public:
  explicit CRecentFileList(int nSize = 4) : m_nSize(nSize) {}

  // Puts the file (made absolute) at the top; an entry already there moves up instead of
  // appearing twice; the oldest entry drops out beyond the list's size.
  void Add(const QString& path);
  const QStringList& Files() const { return m_files; }
  int Size() const { return m_nSize; }

  void ReadList(QSettings& settings);
  void WriteList(QSettings& settings) const;

  static constexpr const char* kSection = "Recent File List";

 private:
  int m_nSize;
  QStringList m_files;
};
