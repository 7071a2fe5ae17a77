#include "CommandLineInfo.h"

namespace quenmar {
namespace {

constexpr const char* kKnownSwitches[] = {"Embedding", "Automation", "RegServer", "UnregServer"};

bool IsKnownSwitch(const QString& name) {
  for (const char* known : kKnownSwitches)
    if (name.compare(QLatin1String(known), Qt::CaseInsensitive) == 0) return true;
  return false;
}

}  // namespace

CommandLineInfo ParseCommandLine(const QStringList& arguments) {
  CommandLineInfo info;
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    // Blanks after a switch do not make it a file name: a line that ends in "/RegServer "
    // is not a registration run, and start-up goes on as without the switch.
    const QString name = argument.mid(1).trimmed();
    const bool isSwitch = argument.startsWith(u'-') || (argument.startsWith(u'/') && IsKnownSwitch(name));
    if (isSwitch) {
      if (name.compare(QLatin1String("Embedding"), Qt::CaseInsensitive) == 0) {
        info.bRunEmbedded = true;
        info.nShellCommand = CommandLineInfo::ShellCommand::FileNothing;
      } else if (name.compare(QLatin1String("Automation"), Qt::CaseInsensitive) == 0) {
        info.bRunAutomated = true;
        info.nShellCommand = CommandLineInfo::ShellCommand::FileNothing;
      }
    } else if (info.strFileName.isEmpty() && !argument.isEmpty()) {
      info.strFileName = argument;
      if (info.nShellCommand == CommandLineInfo::ShellCommand::FileNew)
        info.nShellCommand = CommandLineInfo::ShellCommand::FileOpen;
    }
  }
  return info;
}

}  // namespace quenmar
