#pragma once
// Which help page answers a context: a control of the form (F1 with the focus on it, or a click
// in context-help mode) or a command of the menus and shortcuts. The pages are built into the
// program under qrc:/help/.

#include <QString>
#include <QUrl>
#include <span>

namespace quenmar {

struct HelpContextEntry {
  int id;            // control id or command id
  const char* page;  // page, with an anchor where the page has a section for it
};

inline constexpr char kHelpContentsPage[] = "index.html";

// Command ids that open help.
inline constexpr int ID_HELP_FINDER = 57667;  // Help > Quenmar Help: the contents
inline constexpr int ID_CONTEXT_HELP = 57669; // Shift+F1
inline constexpr int ID_HELP = 57670;         // F1

std::span<const HelpContextEntry> HelpContextMap();

// The page for a context id; empty when the id has no page of its own.
QString HelpPageForContext(int contextId);

// qrc:/help/<page>, the anchor kept.
QUrl HelpPageUrl(const QString& page);

// Makes the built-in help pages available; safe to call more than once.
void EnsureHelpPages();

}  // namespace quenmar
