#pragma once
// Registration of the type library that describes a server's objects. This program carries
// none, and there is no loader for type libraries on this platform: the lookup still follows
// the usual road (the program file itself, then a file with the program's name and the
// extension ".tlb" beside it) so that the outcome is the same as on a system without one,
// namely a failed load that nothing reports.

#include "Status.h"

#include <QString>
#include <QStringView>

namespace quenmar {

// The number of characters up to and including the last '\\', '/' or ':' of a path; 0 when
// there is none.
qsizetype GetDirLen(QStringView path);

// The ".tlb" file looked for beside a module: the extension of the file name (not of a folder
// on the way) replaced by ".tlb", or ".tlb" appended when the name has none.
QString TypeLibraryFileBeside(const QString& modulePath);

// Both return the status of the load: kCannotLoadLibrary when no type library file is found,
// kUnsupportedFormat when one is found (it cannot be read here). `index` is appended to the
// module path as a resource index, as the object system does; empty for none.
Status RegisterTypeLibrary(const QString& modulePath, const QString& index = {});
Status UnregisterTypeLibrary(const QString& modulePath, const QString& index = {});

}  // namespace quenmar
