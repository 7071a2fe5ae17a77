#pragma once
// CMainFrame: the main window around the solver form. It carries the menu, the shortcut table
// (taken before any control sees the key), the status bar with the message pane and the CAP,
// NUM and SCRL indicators, the size limits of its client area, the help commands and printing.
// Its caption is never derived from the document: the form sets it.

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <utility>

#include "BindingTable.h"
#include "keystate/LockKeyState.h"

class CQuenmarView;
class QLabel;
class QTimer;

namespace quenmar {
class CHelpWindow;
}

class CMainFrame : public QMainWindow, public quenmar::CommandTarget {
  Q_OBJECT
 public:
  explicit CMainFrame(QWidget* parent = nullptr);
  ~CMainFrame() override;

  CQuenmarView* GetActiveView() const { return m_pView; }

  // The command chain starts at the form: view -> (what the frame was given) -> frame -> next.
  // Menu items and shortcuts route from here.
  quenmar::CommandTarget* CommandStart();

  // Client area limits while the border is dragged (the area below the menu bar).
  static constexpr QSize kMinClientSize{50, 50};
  static constexpr QSize kMaxClientSize{750, 600};
  // Recomputes the frame's own limits from its current non-client extents.
  void OnGetMinMaxInfo();
  // The client area: the frame without its menu bar.
  QRect ClientRect() const;

  // The message pane's text (blank when idle).
  QString MessagePaneText() const;
  QLabel* Indicator(int id) const;
  // Reads the lock keys and updates the three indicators.
  void UpdateIndicators();
  // Where the lock keys are read from; tests give their own.
  void SetLockKeyReader(std::function<quenmar::LockKeys()> reader);

  // The help window (made on first use).
  quenmar::CHelpWindow* HelpWindow();
  void OnHelpFinder();
  void OnContextHelp();
  void OnHelp();
  void OnFilePrint();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void CreateMenu();
  void CreateShortcuts();
  void CreateStatusBar();
  bool IsInFrame(QObject* object) const;
  // The command of a key of the shortcut table; 0 for any other key.
  int ShortcutCommand(const QKeyEvent& key) const;
  void ShowContextHelpFor(QWidget* widget);

  CQuenmarView* m_pView;
  QLabel* m_wndIndicators[3] = {};
  QTimer* m_indicatorTimer;
  std::function<quenmar::LockKeys()> m_readLockKeys;
  QPointer<quenmar::CHelpWindow> m_helpWindow;
  QList<std::pair<QKeyCombination, int>> m_shortcuts;
};
