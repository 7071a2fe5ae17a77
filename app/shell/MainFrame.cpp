#include "MainFrame.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QWhatsThis>

#include "Artwork.h"
#include "ContextHelp.h"
#include "help/HelpWindow.h"
#include "MainFrameMenu.h"
#include "Presenter.h"
#include "print/PrintWidget.h"
#include "QuenmarView.h"
#include "ResourceIds.h"

using namespace quenmar;

namespace {

constexpr int kIndicatorIds[3] = {ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};
constexpr const char* kIndicatorTexts[3] = {"CAP", "NUM", "SCRL"};
constexpr int kIndicatorRefreshMs = 250;

}  // namespace

CMainFrame::CMainFrame(QWidget* parent)
    : QMainWindow(parent), m_pView(new CQuenmarView(this)), m_indicatorTimer(new QTimer(this)),
      m_readLockKeys(&LockKeyState::Read) {
  setObjectName(QStringLiteral("mainFrame"));
  setWindowIcon(ApplicationIcon());
  // The caption starts empty; the form sets it from the document title.
  setWindowTitle(QString());
  setCentralWidget(m_pView);

  CreateMenu();
  CreateShortcuts();
  CreateStatusBar();

  bindings().onCommand(ID_APP_EXIT, [this] { close(); });
  bindings().onCommand(ID_HELP_FINDER, [this] { OnHelpFinder(); });
  bindings().onCommand(ID_CONTEXT_HELP, [this] { OnContextHelp(); });
  bindings().onCommand(ID_HELP, [this] { OnHelp(); });
  bindings().onCommand(ID_FILE_PRINT, [this] { OnFilePrint(); });

  menuBar()->installEventFilter(this);
  // Shortcut keys and context-help clicks are seen application-wide, before the controls.
  qApp->installEventFilter(this);

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect place = frameGeometry();
    place.moveCenter(screen->availableGeometry().center());
    move(place.topLeft());
  }
}

CMainFrame::~CMainFrame() {
  if (qApp) qApp->removeEventFilter(this);
}

CommandTarget* CMainFrame::CommandStart() { return m_pView; }

void CMainFrame::CreateMenu() {
  QMenu* menu = nullptr;
  QString menuTitle;
  for (const MenuItemSpec& item : MainFrameMenu()) {
    const QString title = QString::fromUtf8(item.menu);
    if (!menu || title != menuTitle) {
      menu = menuBar()->addMenu(title);
      menuTitle = title;
    }
    // Routed when triggered, from the start of the chain as it stands then.
    QAction* action = MakeCommandAction(menu, item.commandId, QString::fromUtf8(item.item), nullptr);
    action->setStatusTip(QString::fromUtf8(item.prompt));
    connect(action, &QAction::triggered, this, [this, id = item.commandId] { CommandStart()->routeCommand(id); });
    menu->addAction(action);
  }
}

void CMainFrame::CreateShortcuts() {
  for (const ShortcutSpec& shortcut : MainFrameShortcuts()) {
    const QKeySequence key(QString::fromLatin1(shortcut.key), QKeySequence::PortableText);
    auto* action = MakeCommandAction(this, shortcut.commandId, QString::fromLatin1(shortcut.key), nullptr, {key});
    action->setShortcutContext(Qt::WindowShortcut);
    // Keys whose command nobody handles are still taken; they then do nothing.
    connect(action, &QAction::triggered, this, [this, id = shortcut.commandId] { CommandStart()->routeCommand(id); });
    addAction(action);
    m_shortcuts.append({key[0], shortcut.commandId});
  }
}

void CMainFrame::CreateStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName(QString::number(AFX_IDW_STATUS_BAR));
  bar->setSizeGripEnabled(true);
  for (int i = 0; i < 3; ++i) {
    auto* label = new QLabel(bar);
    label->setObjectName(QString::number(kIndicatorIds[i]));
    label->setAlignment(Qt::AlignCenter);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    // Wide enough for the text whether it shows or not, so the panes never jump.
    label->setFixedWidth(label->fontMetrics().horizontalAdvance(QString::fromLatin1(kIndicatorTexts[i])) + 12);
    bar->addPermanentWidget(label);
    m_wndIndicators[i] = label;
  }
  connect(m_indicatorTimer, &QTimer::timeout, this, &CMainFrame::UpdateIndicators);
  m_indicatorTimer->start(kIndicatorRefreshMs);
  UpdateIndicators();
}

QString CMainFrame::MessagePaneText() const { return statusBar()->currentMessage(); }

QLabel* CMainFrame::Indicator(int id) const {
  for (int i = 0; i < 3; ++i)
    if (kIndicatorIds[i] == id) return m_wndIndicators[i];
  return nullptr;
}

void CMainFrame::SetLockKeyReader(std::function<LockKeys()> reader) {
  m_readLockKeys = std::move(reader);
  UpdateIndicators();
}

void CMainFrame::UpdateIndicators() {
  const LockKeys keys = m_readLockKeys ? m_readLockKeys() : LockKeys{};
  const bool on[3] = {keys.capsLock, keys.numLock, keys.scrollLock};
  for (int i = 0; i < 3; ++i) {
    const QString text = on[i] ? QString::fromLatin1(kIndicatorTexts[i]) : QString();
    if (m_wndIndicators[i]->text() != text) m_wndIndicators[i]->setText(text);
  }
}

QRect CMainFrame::ClientRect() const {
  const int top = menuBar()->isVisible() ? menuBar()->height() : 0;
  return QRect(0, top, width(), height() - top);
}

void CMainFrame::OnGetMinMaxInfo() {
  const QSize extents = size() - ClientRect().size();
  const QSize minimum = extents + kMinClientSize;
  const QSize maximum = extents + kMaxClientSize;
  if (minimumSize() != minimum) setMinimumSize(minimum);
  if (maximumSize() != maximum) setMaximumSize(maximum);
}

void CMainFrame::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  OnGetMinMaxInfo();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  // The document never holds unsaved changes, so closing never asks; the help window goes
  // with the frame.
  if (m_helpWindow) m_helpWindow->close();
  QMainWindow::closeEvent(event);
}

bool CMainFrame::event(QEvent* event) {
  const bool handled = QMainWindow::event(event);
  if (event->type() == QEvent::LayoutRequest || event->type() == QEvent::Resize) OnGetMinMaxInfo();
  return handled;
}

bool CMainFrame::IsInFrame(QObject* object) const {
  auto* widget = qobject_cast<QWidget*>(object);
  return widget && widget->window() == this;
}

int CMainFrame::ShortcutCommand(const QKeyEvent& key) const {
  const QKeyCombination combination(key.modifiers() & ~Qt::KeypadModifier, Qt::Key(key.key()));
  for (const auto& [shortcut, commandId] : m_shortcuts)
    if (shortcut == combination) return commandId;
  return 0;
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::ShortcutOverride:
      // A control that wants a key of the table for itself (Ctrl+C in a field) does not get
      // it: the frame's shortcut takes it.
      if (IsInFrame(watched) && ShortcutCommand(*static_cast<QKeyEvent*>(event))) return true;
      break;
    case QEvent::KeyPress:
      // Reaches here only when no shortcut took the key (the frame is not the active window):
      // the key still means the frame's command, never the control's own.
      if (IsInFrame(watched)) {
        if (const int commandId = ShortcutCommand(*static_cast<QKeyEvent*>(event))) {
          CommandStart()->routeCommand(commandId);
          return true;
        }
      }
      break;
    case QEvent::KeyRelease:
      if (IsInFrame(watched)) UpdateIndicators();
      break;
    case QEvent::WhatsThis:
      if (IsInFrame(watched) && QWhatsThis::inWhatsThisMode()) {
        ShowContextHelpFor(static_cast<QWidget*>(watched));
        event->accept();
        // Leaving the mode from inside its own click handling would pull it away under
        // itself; leave once the click has been dealt with.
        QTimer::singleShot(0, [] { QWhatsThis::leaveWhatsThisMode(); });
        return true;
      }
      break;
    case QEvent::LeaveWhatsThisMode:
      if (watched == qApp && MessagePaneText() == QLatin1String(kContextHelpPrompt)) statusBar()->clearMessage();
      break;
    case QEvent::Resize:
      if (watched == menuBar()) OnGetMinMaxInfo();
      break;
    default:
      break;
  }
  return QMainWindow::eventFilter(watched, event);
}

CHelpWindow* CMainFrame::HelpWindow() {
  // A child window of the frame: closing the frame still ends the program.
  if (!m_helpWindow) m_helpWindow = new CHelpWindow(this);
  return m_helpWindow;
}

void CMainFrame::OnHelpFinder() { HelpWindow()->ShowContents(); }

void CMainFrame::OnHelp() {
  QWidget* focus = QApplication::focusWidget();
  const int id = (focus && focus->window() == this) ? HelpContextIdOf(focus, this) : 0;
  if (id) HelpWindow()->ShowContext(id);
  else HelpWindow()->ShowContents();
}

void CMainFrame::OnContextHelp() {
  if (QWhatsThis::inWhatsThisMode()) return;
  QWhatsThis::enterWhatsThisMode();
  statusBar()->showMessage(QString::fromLatin1(kContextHelpPrompt));
}

void CMainFrame::ShowContextHelpFor(QWidget* widget) {
  statusBar()->clearMessage();
  const int id = HelpContextIdOf(widget, this);
  if (id) HelpWindow()->ShowContext(id);
  else HelpWindow()->ShowContents();
}

void CMainFrame::OnFilePrint() {
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(m_pView->DocumentTitle());
  QPrintDialog dialog(&printer, this);
  dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
  if (Presenter::current().execDialog(dialog) != QDialog::Accepted) return;
  if (!PrintWidget(*m_pView, printer))
    MessageBox(QStringLiteral("The form could not be printed."), MessageIcon::Exclamation, MessageButtons::Ok, this);
}
