#include "MainFrameMenu.h"

#include "ResourceIds.h"

namespace quenmar {
namespace {

constexpr MenuItemSpec kMenu[] = {
    {"&File", "E&xit", ID_APP_EXIT, "Quit the application; prompts to save documents"},
    {"&Help", "Quenmar Help", ID_HELP_FINDER, "List Help topics"},
    {"&Help", "Quenmar Instructions", ID_INSTRUCTIONS, "Quenmar Instructions"},
    {"&Help", "About Quenmar...", ID_APP_ABOUT,
     "Display program information, version number and copyright"},
};

constexpr ShortcutSpec kShortcuts[] = {
    {"Ctrl+N", ID_FILE_NEW},
    {"Ctrl+O", ID_FILE_OPEN},
    {"Ctrl+S", ID_FILE_SAVE},
    {"Ctrl+P", ID_FILE_PRINT},
    {"Ctrl+Z", ID_EDIT_UNDO},
    {"Alt+Backspace", ID_EDIT_UNDO},
    {"Ctrl+X", ID_EDIT_CUT},
    {"Shift+Del", ID_EDIT_CUT},
    {"Ctrl+C", ID_EDIT_COPY},
    {"Ctrl+Ins", ID_EDIT_COPY},
    {"Ctrl+V", ID_EDIT_PASTE},
    {"Shift+Ins", ID_EDIT_PASTE},
    {"F6", ID_NEXT_PANE},
    {"Shift+F6", ID_PREV_PANE},
    {"Shift+F1", ID_CONTEXT_HELP},
    {"F1", ID_HELP},
};

// Prompts of the commands that have no menu item.
struct CommandText {
  int commandId;
  const char* prompt;
};
constexpr CommandText kOtherPrompts[] = {
    {ID_FILE_NEW, "Create a new document"},
    {ID_FILE_OPEN, "Open an existing document"},
    {ID_FILE_SAVE, "Save the active document"},
    {ID_FILE_PRINT, "Print the active document"},
    {ID_EDIT_UNDO, "Undo the last action"},
    {ID_EDIT_CUT, "Cut the selection and put it on the Clipboard"},
    {ID_EDIT_COPY, "Copy the selection and put it on the Clipboard"},
    {ID_EDIT_PASTE, "Insert Clipboard contents"},
    {ID_NEXT_PANE, "Switch to the next window pane"},
    {ID_PREV_PANE, "Switch back to the previous window pane"},
    {ID_CONTEXT_HELP, "Display help for clicked on buttons, menus and windows"},
    {ID_HELP, "Display help for current task or command"},
};

}  // namespace

std::span<const MenuItemSpec> MainFrameMenu() { return kMenu; }

std::span<const ShortcutSpec> MainFrameShortcuts() { return kShortcuts; }

const char* CommandPrompt(int commandId) {
  for (const MenuItemSpec& item : kMenu)
    if (item.commandId == commandId) return item.prompt;
  for (const CommandText& other : kOtherPrompts)
    if (other.commandId == commandId) return other.prompt;
  return nullptr;
}

}  // namespace quenmar
