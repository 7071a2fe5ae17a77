#pragma once
// The main frame's menu, its shortcut table and the status-bar texts of the frame, as data.
// The frame builds its menu bar and its shortcuts from these tables; the command ids are those
// of ResourceIds.h. Plain C++, so the tables can be read without building any window.

#include <span>

namespace quenmar {

struct MenuItemSpec {
  const char* menu;    // the menu the item belongs to ("&File", "&Help")
  const char* item;    // the item's text, '&' before the mnemonic
  int commandId;
  const char* prompt;  // shown in the status bar while the pointer rests on the item
};

struct ShortcutSpec {
  const char* key;     // key sequence in portable text ("Ctrl+N", "Shift+Ins")
  int commandId;
};

// Items in menu order; items of the same menu follow each other.
std::span<const MenuItemSpec> MainFrameMenu();

// Every key of the frame's shortcut table. The frame takes these keys before any control sees
// them, including the ones whose command nobody handles (they then do nothing at all).
std::span<const ShortcutSpec> MainFrameShortcuts();

// Status-bar text while context-help mode waits for a click.
inline constexpr char kContextHelpPrompt[] = "Select an object on which to get Help";

// Status-bar prompt of a command of the tables above; nullptr when it has none.
const char* CommandPrompt(int commandId);

}  // namespace quenmar
