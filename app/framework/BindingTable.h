#pragma once
// Per-window tables of what a window does: (control id, notification) -> handler, and
// command id -> handler. Commands that a window does not handle go on along a chain of
// command targets (form -> frame -> application).

#include <QHash>
#include <QKeySequence>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <vector>

#include "LayoutBuilder.h"

class QAction;

namespace quenmar {

enum class Notification {
  Clicked,        // push, radio and check buttons
  DoubleClicked,  // list boxes that report double-clicks (kNotify)
  Changed,        // the text of an edit or an editable combo box changed (by the user, a
                  // spin button or the program; writes of the data exchange are not heard)
  SelChange,      // the user chose another entry of a combo box or list box
  SetFocus,       // the control received the keyboard focus
  Entered,        // the keyboard focus moved into the control inside its window (a click, a
                  // key, the program); the window getting the focus back when it is
                  // activated again, or a menu or popup closing, is no entry
  KillFocus,      // the control lost the keyboard focus (not to a menu or popup)
  SpinChanged,    // a spin button moved
};

class BindingTable {
 public:
  using Handler = std::function<void()>;

  BindingTable();
  ~BindingTable();
  BindingTable(const BindingTable&) = delete;
  BindingTable& operator=(const BindingTable&) = delete;

  void on(int id, Notification notification, Handler handler);
  void onCommand(int commandId, Handler handler);

  // Connects every control binding to the controls found in `controls`. Call once, after
  // the controls exist; bindings for ids without a control are ignored.
  void attach(const Controls& controls);

  // Runs the handler bound to `commandId`; false when there is none.
  bool dispatchCommand(int commandId) const;
  bool handlesCommand(int commandId) const;

 private:
  class FocusWatcher;
  struct Binding {
    int id;
    Notification notification;
    Handler handler;
  };
  std::vector<Binding> m_bindings;
  QHash<int, Handler> m_commands;
  std::unique_ptr<FocusWatcher> m_focusWatcher;
};

// A link of the command chain. Each window that handles commands owns one.
class CommandTarget {
 public:
  virtual ~CommandTarget() = default;

  BindingTable& bindings() { return m_bindings; }
  const BindingTable& bindings() const { return m_bindings; }

  void setNextCommandTarget(CommandTarget* next) { m_next = next; }
  CommandTarget* nextCommandTarget() const { return m_next; }

  // Runs the command here, or passes it on down the chain. False when nobody handles it.
  bool routeCommand(int commandId);
  bool canRouteCommand(int commandId) const;

 protected:
  // Handles the command here; the default looks it up in the binding table.
  virtual bool OnCommand(int commandId);
  virtual bool HandlesCommand(int commandId) const;

 private:
  BindingTable m_bindings;
  CommandTarget* m_next = nullptr;
};

// An action carrying a command id (menu items and shortcuts): triggering it routes the
// command from `target`.
QAction* MakeCommandAction(QObject* parent, int commandId, const QString& text, CommandTarget* target,
                           const QList<QKeySequence>& shortcuts = {});

// The command id carried by an action made by MakeCommandAction, or 0.
int CommandIdOf(const QAction* action);

}  // namespace quenmar
