#include "ClassesRoot.h"

#include <QStandardPaths>

namespace quenmar {

namespace {

constexpr char kDefaultValueEntry[] = "@";

QStringList SplitKey(const QString& key) {
  return key.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
}

QString Join(const QString& group, const QString& name) {
  return group.isEmpty() ? name : group + QLatin1Char('/') + name;
}

QString FindIgnoringCase(const QStringList& names, const QString& name) {
  for (const QString& existing : names)
    if (existing.compare(name, Qt::CaseInsensitive) == 0) return existing;
  return name;
}

}  // namespace

QString ClassesRoot::DefaultPath() {
  const QString fromEnvironment = qEnvironmentVariable("QUENMAR_CLASSES_ROOT");
  if (!fromEnvironment.isEmpty()) return fromEnvironment;
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/Quenmar/classes-root.ini");
}

ClassesRoot::ClassesRoot(const QString& iniPath) : m_settings(iniPath, QSettings::IniFormat) {}

Status ClassesRoot::ReadStatus() const {
  switch (m_settings.status()) {
    case QSettings::NoError: return kOk;
    case QSettings::AccessError: return kAccessDenied;
    case QSettings::FormatError: return kFail;
  }
  return kFail;
}

QStringList ClassesRoot::ChildGroups(const QString& group) const {
  m_settings.beginGroup(group);
  QStringList groups = m_settings.childGroups();
  m_settings.endGroup();
  return groups;
}

QStringList ClassesRoot::ChildKeys(const QString& group) const {
  m_settings.beginGroup(group);
  QStringList keys = m_settings.childKeys();
  m_settings.endGroup();
  return keys;
}

QString ClassesRoot::GroupOf(const QString& key) const {
  QString group;
  for (const QString& part : SplitKey(key)) group = Join(group, FindIgnoringCase(ChildGroups(group), part));
  return group;
}

QString ClassesRoot::EntryOf(const QString& group, const QString& name) const {
  if (name.isEmpty()) return Join(group, QString::fromLatin1(kDefaultValueEntry));
  return Join(group, FindIgnoringCase(ChildKeys(group), name));
}

bool ClassesRoot::KeyExists(const QString& key) const {
  const QString group = GroupOf(key);
  if (group.isEmpty()) return true;  // the root itself
  return !ChildKeys(group).isEmpty() || !ChildGroups(group).isEmpty();
}

QStringList ClassesRoot::SubKeys(const QString& key) const { return ChildGroups(GroupOf(key)); }

QVariant ClassesRoot::Value(const QString& key, const QString& name) const {
  return m_settings.value(EntryOf(GroupOf(key), name));
}

void ClassesRoot::CreateKey(const QString& key) {
  QString group;
  for (const QString& part : SplitKey(key)) {
    group = Join(group, FindIgnoringCase(ChildGroups(group), part));
    const QString defaultEntry = EntryOf(group, {});
    if (!m_settings.contains(defaultEntry)) m_settings.setValue(defaultEntry, QVariant());
  }
}

void ClassesRoot::SetValue(const QString& key, const QString& name, const QVariant& value) {
  CreateKey(key);
  m_settings.setValue(EntryOf(GroupOf(key), name), value);
}

void ClassesRoot::DeleteKey(const QString& key) {
  const QString group = GroupOf(key);
  if (!group.isEmpty()) m_settings.remove(group);
}

void ClassesRoot::DeleteValue(const QString& key, const QString& name) {
  if (!KeyExists(key)) return;
  const QString group = GroupOf(key);
  if (name.isEmpty())
    m_settings.setValue(EntryOf(group, {}), QVariant());  // the key stays, its default unset
  else
    m_settings.remove(EntryOf(group, name));
}

Status ClassesRoot::Flush() {
  m_settings.sync();
  return m_settings.status() == QSettings::NoError ? kOk : kAccessDenied;
}

}  // namespace quenmar
