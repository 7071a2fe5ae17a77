#pragma once
// The part of the registry that the server registration writes: the classes root, kept in an
// INI file. Keys are addressed as registry paths with backslashes ("AppID\\Quenmar.EXE") and,
// as in the registry, are matched without regard to letter case. Every key has a default
// value that may be unset; a named value lives beside the key's subkeys.
//
// In the file a key is an INI group; its default value is the entry "@" (written as
// "@Invalid()" while unset, so that a key without values still exists).

#include "Status.h"

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace quenmar {

class ClassesRoot {
 public:
  // $QUENMAR_CLASSES_ROOT when set and not empty, else Quenmar/classes-root.ini under the
  // user's configuration folder.
  static QString DefaultPath();

  explicit ClassesRoot(const QString& iniPath = DefaultPath());

  QString FilePath() const { return m_settings.fileName(); }

  // Ok when the file could be read (or does not exist yet); changes are refused otherwise, so
  // that a file we cannot parse is never overwritten.
  Status ReadStatus() const;

  bool KeyExists(const QString& key) const;
  QStringList SubKeys(const QString& key) const;
  // An empty name stands for the key's default value. Invalid when the key or the value does
  // not exist, or the default value is unset.
  QVariant Value(const QString& key, const QString& name = {}) const;

  // Each creates the missing keys on the way.
  void CreateKey(const QString& key);
  void SetValue(const QString& key, const QString& name, const QVariant& value);
  // Removes a key with its values and everything below it; the parent stays.
  void DeleteKey(const QString& key);
  void DeleteValue(const QString& key, const QString& name);

  // Writes the changes to the file.
  Status Flush();

 private:
  // The settings group of a key, following names that already exist in any letter case.
  QString GroupOf(const QString& key) const;
  QString EntryOf(const QString& group, const QString& name) const;
  QStringList ChildGroups(const QString& group) const;
  QStringList ChildKeys(const QString& group) const;

  mutable QSettings m_settings;
};

}  // namespace quenmar
