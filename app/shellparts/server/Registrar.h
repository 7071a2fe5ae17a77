#pragma once
// The registrar: applies a registry script to the classes root, in either direction.
//
// Script syntax (one root block, keys nested in braces):
//
//   HKCR
//   {
//       NoRemove AppID                      <- kept when unregistering
//       {
//           '{GUID}' = s 'Quenmar'           <- key with a string default value
//           'Quenmar.EXE'
//           {
//               val AppID = s '{GUID}'       <- named value (s: string, d: number)
//           }
//       }
//   }
//
// A key may carry NoRemove (kept on unregistration, only what is inside it is removed),
// ForceRemove (deleted with everything below it before it is written) or Delete (removed when
// registering, ignored when unregistering). Names and values are bare words or quoted with
// apostrophes, '' standing for one apostrophe. %NAME% is replaced by the value given to
// AddReplacement before the script is read, which is why values that may hold apostrophes
// are handed over with their apostrophes doubled; %% stands for one percent sign.
//
// A script is read whole before anything is changed: a script with an error, or a classes
// root that cannot be read, leaves the registry as it was.

#include "ClassesRoot.h"
#include "Status.h"

#include <QString>
#include <memory>
#include <utility>
#include <vector>

namespace quenmar {

class Registrar {
 public:
  explicit Registrar(ClassesRoot& root) : m_root(root) {}

  void AddReplacement(const QString& name, const QString& value);

  Status ApplyScript(const QString& script, bool bRegister);

  // Applies the script resource of type "REGISTRY" with the given id that is built into the
  // program (the Qt resource ":/REGISTRY/<id>").
  Status ApplyResource(int resourceId, bool bRegister);

 private:
  ClassesRoot& m_root;
  std::vector<std::pair<QString, QString>> m_replacements;
};

// Creates the registrar component; it needs the object system running on this thread.
Status CreateRegistrar(ClassesRoot& root, std::unique_ptr<Registrar>& registrar);

}  // namespace quenmar
