#include "Presenter.h"

#include <QDialog>
#include <QMessageBox>
#include <QPointer>

#include "Framework.h"
#include "ResourceIds.h"

namespace quenmar {
namespace {

Presenter* g_installed = nullptr;

QMessageBox::Icon ToQt(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Exclamation: return QMessageBox::Warning;
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::None: break;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQt(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::Ok: return QMessageBox::Ok;
    case MessageButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
  }
  return QMessageBox::Ok;
}

}  // namespace

Presenter& Presenter::current() {
  static WidgetPresenter production;
  return g_installed ? *g_installed : production;
}

void Presenter::install(Presenter* presenter) { g_installed = presenter; }

int MessageBox(const QString& text, MessageIcon icon, MessageButtons buttons, QWidget* parent) {
  return Presenter::current().messageBox(MessageBoxRequest{text, AppTitle(), icon, buttons, parent});
}

int WidgetPresenter::execDialog(QDialog& dialog) { return dialog.exec(); }

int WidgetPresenter::messageBox(const MessageBoxRequest& request) {
  QWidget* parent = request.parent ? request.parent : MainWindow();
  QMessageBox box(ToQt(request.icon), request.caption.isEmpty() ? AppTitle() : request.caption,
                  request.text, ToQt(request.buttons), parent);
  ApplyDialogColors(&box);
  switch (box.exec()) {
    case QMessageBox::Ok: return IDOK;
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    default: return IDCANCEL;
  }
}

ScriptedPresenter::ScriptedPresenter() : m_previous(g_installed) { install(this); }

ScriptedPresenter::~ScriptedPresenter() { install(m_previous); }

void ScriptedPresenter::answerDialog(DialogAction action, int result) {
  m_dialogAnswers.push_back(DialogAnswer{std::move(action), result});
}

void ScriptedPresenter::answerMessage(int result) { m_messageAnswers.push_back(result); }

int ScriptedPresenter::execDialog(QDialog& dialog) {
  DialogAnswer answer{nullptr, 2};
  bool scripted = false;
  if (!m_dialogAnswers.empty()) {
    answer = std::move(m_dialogAnswers.front());
    m_dialogAnswers.pop_front();
    scripted = true;
  }
  // Record before running the action, so that boxes the action raises come after it.
  const qsizetype index = m_shown.size();
  m_shown.append(Shown{Kind::Dialog, QString::fromLatin1(dialog.metaObject()->className()),
                       dialog.windowTitle(), QString(), MessageIcon::None, 0});

  bool ended = false;
  int endedWith = 0;
  QPointer<QDialog> guard(&dialog);
  const auto connection = QObject::connect(&dialog, &QDialog::finished, [&](int r) {
    ended = true;
    endedWith = r;
  });
  dialog.show();
  dialog.activateWindow();
  if (scripted) {
    if (answer.action) answer.action(dialog);
  } else {
    dialog.reject();
  }
  if (guard && !ended) {
    dialog.done(answer.result);
  }
  if (guard) QObject::disconnect(connection);
  const int result = ended ? endedWith : answer.result;
  m_shown[index].result = result;
  return result;
}

int ScriptedPresenter::messageBox(const MessageBoxRequest& request) {
  int result = IDOK;
  if (!m_messageAnswers.empty()) {
    result = m_messageAnswers.front();
    m_messageAnswers.pop_front();
  }
  m_shown.append(Shown{Kind::MessageBox, QString(),
                       request.caption.isEmpty() ? AppTitle() : request.caption, request.text, request.icon,
                       result});
  return result;
}

QList<ScriptedPresenter::Shown> ScriptedPresenter::messages() const {
  QList<Shown> out;
  for (const Shown& s : m_shown)
    if (s.kind == Kind::MessageBox) out.append(s);
  return out;
}

QList<ScriptedPresenter::Shown> ScriptedPresenter::dialogs() const {
  QList<Shown> out;
  for (const Shown& s : m_shown)
    if (s.kind == Kind::Dialog) out.append(s);
  return out;
}

}  // namespace quenmar
