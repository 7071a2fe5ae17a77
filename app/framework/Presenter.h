#pragma once
// The one seam through which every modal dialog and message box is shown. Production shows
// them for real; tests install a ScriptedPresenter that records what was shown and answers
// without blocking.

#include <QList>
#include <QString>

#include <deque>
#include <functional>

class QDialog;
class QWidget;

namespace quenmar {

enum class MessageIcon { None, Information, Exclamation, Error, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };

struct MessageBoxRequest {
  QString text;
  QString caption;  // empty: the application title
  MessageIcon icon = MessageIcon::Exclamation;
  MessageButtons buttons = MessageButtons::Ok;
  QWidget* parent = nullptr;  // nullptr: the main window, if there is one
};

class Presenter {
 public:
  virtual ~Presenter() = default;

  // Shows `dialog` modally and returns when it has ended, with its result.
  virtual int execDialog(QDialog& dialog) = 0;
  // Shows a message box and returns the id of the button that closed it (IDOK, IDCANCEL,
  // IDYES, IDNO).
  virtual int messageBox(const MessageBoxRequest& request) = 0;

  // The presenter in use; the production one unless another is installed.
  static Presenter& current();
  // Installs `presenter` (not owned); nullptr goes back to the production presenter.
  static void install(Presenter* presenter);
};

// Shows message boxes with the application title and the dialog colours.
int MessageBox(const QString& text, MessageIcon icon = MessageIcon::Exclamation,
               MessageButtons buttons = MessageButtons::Ok, QWidget* parent = nullptr);

// Shows dialogs with exec() and message boxes as QMessageBox.
class WidgetPresenter : public Presenter {
 public:
  int execDialog(QDialog& dialog) override;
  int messageBox(const MessageBoxRequest& request) override;
};

// For tests: records every dialog and message box and answers each from a script.
class ScriptedPresenter : public Presenter {
 public:
  enum class Kind { Dialog, MessageBox };
  struct Shown {
    Kind kind;
    QString dialogClass;  // class name of a dialog; empty for a message box
    QString caption;
    QString text;         // message box text
    MessageIcon icon = MessageIcon::None;
    int result = 0;
  };
  // Runs on the shown dialog before it is answered; it may end the dialog itself (click a
  // button, press a key), and then the dialog's own result is returned.
  using DialogAction = std::function<void(QDialog&)>;

  // Installs itself for its lifetime.
  ScriptedPresenter();
  ~ScriptedPresenter() override;

  // The next dialog runs `action`; if the dialog is still open afterwards it is ended with
  // `result`.
  void answerDialog(DialogAction action, int result = 2);
  void answerDialog(int result) { answerDialog(nullptr, result); }
  // The next message box returns `result`.
  void answerMessage(int result);

  // With no answer queued, a dialog is closed as by the Esc key and a message box answered
  // with IDOK.
  int execDialog(QDialog& dialog) override;
  int messageBox(const MessageBoxRequest& request) override;

  const QList<Shown>& shown() const { return m_shown; }
  QList<Shown> messages() const;
  QList<Shown> dialogs() const;
  void clear() { m_shown.clear(); }

 private:
  struct DialogAnswer {
    DialogAction action;
    int result;
  };
  std::deque<DialogAnswer> m_dialogAnswers;
  std::deque<int> m_messageAnswers;
  QList<Shown> m_shown;
  Presenter* m_previous;
};

}  // namespace quenmar
