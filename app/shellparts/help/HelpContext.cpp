#include "HelpContext.h"

static void InitHelpResources() { Q_INIT_RESOURCE(help); }

namespace quenmar {

namespace {

constexpr HelpContextEntry kHelpContexts[] = {
    // Solution constraints
    {1231, "configurations.html#choosing"},
    {1060, "form.html#target"},
    {1064, "form.html#range"},
    {1154, "form.html#max-solutions"},
    // Minimum and maximum teeth, N1 to N6, and their legends
    {1106, "form.html#teeth"}, {1108, "form.html#teeth"}, {1109, "form.html#teeth"},
    {1110, "form.html#teeth"}, {1112, "form.html#teeth"}, {1113, "form.html#teeth"},
    {1099, "form.html#teeth"}, {1102, "form.html#teeth"}, {1103, "form.html#teeth"},
    {1104, "form.html#teeth"}, {1105, "form.html#teeth"}, {1098, "form.html#teeth"},
    {1179, "form.html#teeth"}, {1180, "form.html#teeth"},
    // Profile row, N1 to N6, their spin buttons, reduction and difference
    {1042, "solving.html#profile"}, {1043, "solving.html#profile"},
    {1044, "solving.html#profile"}, {1052, "solving.html#profile"},
    {1046, "solving.html#profile"}, {1045, "solving.html#profile"},
    {1041, "solving.html#profile"}, {1055, "solving.html#profile"},
    {1058, "solving.html#profile"}, {1057, "solving.html#profile"},
    {1056, "solving.html#profile"}, {1059, "solving.html#profile"},
    {1061, "solving.html#profile"}, {1094, "solving.html#profile"},
    // Solutions
    {1156, "solving.html#list"},
    {1049, "solving.html#solve"},
    {1155, "solving.html#solve"},
    {1169, "solving.html#stopping"},
    {1242, "results-file.html#choosing"},
    {1240, "results-file.html#choosing"},
    {1143, "results-file.html#choosing"},
    {1243, "results-file.html#choosing"},
    {1146, "contact-ratio.html"},
    // Commands
    {ID_HELP_FINDER, kHelpContentsPage},
    {ID_HELP, kHelpContentsPage},
    {ID_CONTEXT_HELP, "shortcuts.html#context-help"},
    {57600, "shortcuts.html#new"},
    {57601, "shortcuts.html#open"},
    {57603, "shortcuts.html#save"},
    {57607, "shortcuts.html#print"},
    {57664, "shortcuts.html#about"},
    {57665, "shortcuts.html#exit"},
    {32773, "shortcuts.html#instructions"},
};

}  // namespace

std::span<const HelpContextEntry> HelpContextMap() { return kHelpContexts; }

QString HelpPageForContext(int contextId) {
  for (const HelpContextEntry& entry : kHelpContexts)
    if (entry.id == contextId) return QString::fromLatin1(entry.page);
  return {};
}

QUrl HelpPageUrl(const QString& page) { return QUrl(QStringLiteral("qrc:/help/") + page); }

void EnsureHelpPages() { InitHelpResources(); }

}  // namespace quenmar
