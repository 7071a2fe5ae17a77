#pragma once
// What the command line asks of start-up: a document to open, or a start by the object system
// (embedding or automation). The registration switches are InitServer's; here they are only
// recognised as switches so that they are never taken for a file name.

#include <QString>
#include <QStringList>

namespace quenmar {

struct CommandLineInfo {
  enum class ShellCommand { FileNew, FileOpen, FileNothing };

  ShellCommand nShellCommand = ShellCommand::FileNew;
  QString strFileName;        // the document named on the line (FileOpen)
  bool bRunEmbedded = false;  // "-Embedding" / "/Embedding"
  bool bRunAutomated = false; // "-Automation" / "/Automation"
};

// `arguments` starts with the program itself. An argument starting with "-" is a switch; one
// starting with "/" is a switch only when the rest is a switch this program knows (any letter
// case, blanks around it ignored), because on this platform "/" also starts every absolute
// file name. The first argument that is not a switch names the document; later ones are
// ignored, as are unknown switches.
CommandLineInfo ParseCommandLine(const QStringList& arguments);

}  // namespace quenmar
