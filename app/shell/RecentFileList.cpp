#include "RecentFileList.h"

#include <QFileInfo>
#include <QSettings>

namespace {
QString EntryKey(int index) { return QStringLiteral("File%1").arg(index + 1); }
}  // namespace

void CRecentFileList::Add(const QString& path) {
  if (path.isEmpty()) return;
  const QString absolute = QFileInfo(path).absoluteFilePath();
  m_files.removeAll(absolute);
  m_files.prepend(absolute);
  while (m_files.size() > m_nSize) m_files.removeLast();
}

void CRecentFileList::ReadList(QSettings& settings) {
  m_files.clear();
  settings.beginGroup(QLatin1String(kSection));
  for (int i = 0; i < m_nSize; ++i) {
    const QString file = settings.value(EntryKey(i)).toString();
    if (!file.isEmpty() && !m_files.contains(file)) m_files.append(file);
  }
  settings.endGroup();
}

void CRecentFileList::WriteList(QSettings& settings) const {
  settings.beginGroup(QLatin1String(kSection));
  settings.remove(QString());  // entries beyond the current list go
  for (int i = 0; i < m_files.size(); ++i) settings.setValue(EntryKey(i), m_files[i]);
  settings.endGroup();
}
