#pragma once
// Start and stop of the server around the process, and the two registration switches.
//
// At every start InitServer starts the object system and the server module record. When the
// command line ends with "-RegServer" or "/RegServer" (any letter case) it instead writes the
// server's AppID entries into the classes root; with "-UnregServer" or "/UnregServer" it
// removes them. A registration run stops the server again and returns false: the caller ends
// the process at once, without a window or a message.

#include "ServerModule.h"

#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quenmar {

// The AppID under which the server registers (in braces, as the registry writes it).
inline constexpr char kQuenmarAppId[] = "{902D301E-61F2-42BE-8FE1-F864B65699E1}";

// The position just after the first character of `text` that is one of `set`; none when no
// character of the text belongs to the set.
std::optional<std::size_t> FindOneOf(std::string_view text, std::string_view set);

enum class RegistrationSwitch { None, Register, Unregister };

// Scans the whole command line for the registration switches as InitServer does: each "-" or
// "/" that opens a word starts a token that runs to the end of the line, so a switch counts
// only when it is the last thing on the line, with nothing after it, not even a blank. A "/"
// inside a word (a path) starts nothing.
RegistrationSwitch FindRegistrationSwitch(std::string_view commandLine);

// The program path and its arguments joined by single blanks.
std::string WholeCommandLine(const QStringList& arguments);

// The running program's file.
QString ProgramFilePath();

struct ServerOptions {
  QString modulePath;                   // empty: ProgramFilePath()
  std::vector<ServerClass> classTable;  // Quenmar offers no classes
};

// `bServerInited` is the application's own flag: true while the object system and the module
// record are up, which tells the exit whether ShutdownServer has anything to do.
// Returns true when start-up goes on, false when the process must end (the object system
// could not start, a class object could not be registered, or a registration run is over).
bool InitServer(std::string_view commandLine, std::int32_t& bServerInited, ServerOptions options = {});

// The exit's part: revokes the class objects, releases the module record and stops the object
// system, when bServerInited says they are up; clears the flag.
void ShutdownServer(std::int32_t& bServerInited);

}  // namespace quenmar
