#include "BindingTable.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

#include "SpinButton.h"

namespace quenmar {

class BindingTable::FocusWatcher : public QObject {
 public:
  void add(QWidget* widget, QEvent::Type type, Handler handler, bool onlyWithinWindow = false) {
    widget->installEventFilter(this);
    m_handlers.push_back({widget, type, std::move(handler), onlyWithinWindow});
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    const QEvent::Type type = event->type();
    if (type == QEvent::FocusIn || type == QEvent::FocusOut) {
      const auto reason = static_cast<QFocusEvent*>(event)->reason();
      // Opening a menu or a popup list does not move the focus for the window.
      if (reason != Qt::PopupFocusReason && reason != Qt::MenuBarFocusReason) {
        // Copy first: a handler may add bindings.
        const bool windowActivation = reason == Qt::ActiveWindowFocusReason;
        std::vector<Handler> toRun;
        for (const Entry& e : m_handlers)
          if (e.widget == watched && e.type == type && !(e.onlyWithinWindow && windowActivation))
            toRun.push_back(e.handler);
        for (const Handler& h : toRun) h();
      }
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  struct Entry {
    QPointer<QWidget> widget;
    QEvent::Type type;
    Handler handler;
    bool onlyWithinWindow;
  };
  std::vector<Entry> m_handlers;
};

BindingTable::BindingTable() = default;
BindingTable::~BindingTable() = default;

void BindingTable::on(int id, Notification notification, Handler handler) {
  m_bindings.push_back(Binding{id, notification, std::move(handler)});
}

void BindingTable::onCommand(int commandId, Handler handler) { m_commands.insert(commandId, std::move(handler)); }

void BindingTable::attach(const Controls& controls) {
  for (const Binding& binding : m_bindings) {
    QWidget* control = controls.widget(binding.id);
    if (!control) continue;
    const Handler handler = binding.handler;
    switch (binding.notification) {
      case Notification::Clicked:
        if (auto* button = qobject_cast<QAbstractButton*>(control))
          QObject::connect(button, &QAbstractButton::clicked, button, [handler] { handler(); });
        break;
      case Notification::DoubleClicked:
        if (auto* list = qobject_cast<QListWidget*>(control)) {
          QObject::connect(list, &QListWidget::itemDoubleClicked, list, [handler, list] {
            if (list->property("quenmarNotify").toBool()) handler();
          });
        }
        break;
      case Notification::Changed:
        if (auto* edit = qobject_cast<QLineEdit*>(control))
          QObject::connect(edit, &QLineEdit::textChanged, edit, [handler] { handler(); });
        else if (auto* combo = qobject_cast<QComboBox*>(control))
          QObject::connect(combo, &QComboBox::editTextChanged, combo, [handler] { handler(); });
        else if (auto* plain = qobject_cast<QPlainTextEdit*>(control))
          QObject::connect(plain, &QPlainTextEdit::textChanged, plain, [handler] { handler(); });
        break;
      case Notification::SelChange:
        if (auto* combo = qobject_cast<QComboBox*>(control))
          QObject::connect(combo, &QComboBox::activated, combo, [handler] { handler(); });
        else if (auto* list = qobject_cast<QListWidget*>(control))
          QObject::connect(list, &QListWidget::currentRowChanged, list, [handler, list] {
            if (list->property("quenmarNotify").toBool()) handler();
          });
        break;
      case Notification::SpinChanged:
        if (auto* spin = qobject_cast<SpinButton*>(control))
          QObject::connect(spin, &SpinButton::positionChanged, spin, [handler] { handler(); });
        break;
      case Notification::SetFocus:
      case Notification::Entered:
      case Notification::KillFocus:
        if (!m_focusWatcher) m_focusWatcher = std::make_unique<FocusWatcher>();
        m_focusWatcher->add(control,
                            binding.notification == Notification::KillFocus ? QEvent::FocusOut : QEvent::FocusIn,
                            handler, binding.notification == Notification::Entered);
        break;
    }
  }
}

bool BindingTable::dispatchCommand(int commandId) const {
  const auto it = m_commands.find(commandId);
  if (it == m_commands.end() || !*it) return false;
  const Handler handler = *it;  // the handler may change the table
  handler();
  return true;
}

bool BindingTable::handlesCommand(int commandId) const { return m_commands.contains(commandId); }

bool CommandTarget::OnCommand(int commandId) { return m_bindings.dispatchCommand(commandId); }

bool CommandTarget::HandlesCommand(int commandId) const { return m_bindings.handlesCommand(commandId); }

bool CommandTarget::routeCommand(int commandId) {
  for (CommandTarget* target = this; target; target = target->m_next)
    if (target->OnCommand(commandId)) return true;
  return false;
}

bool CommandTarget::canRouteCommand(int commandId) const {
  for (const CommandTarget* target = this; target; target = target->m_next)
    if (target->HandlesCommand(commandId)) return true;
  return false;
}

QAction* MakeCommandAction(QObject* parent, int commandId, const QString& text, CommandTarget* target,
                           const QList<QKeySequence>& shortcuts) {
  auto* action = new QAction(text, parent);
  action->setData(commandId);
  if (!shortcuts.isEmpty()) action->setShortcuts(shortcuts);
  QObject::connect(action, &QAction::triggered, action, [target, commandId] {
    if (target) target->routeCommand(commandId);
  });
  return action;
}

int CommandIdOf(const QAction* action) { return action ? action->data().toInt() : 0; }

}  // namespace quenmar
