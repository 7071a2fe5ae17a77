#pragma once
// The help window: a top-level window that shows the help pages built into the program, with
// Contents, Back and Forward. The shell keeps one and sends the help commands to it.

#include <QUrl>
#include <QWidget>

class QTextBrowser;
class QToolButton;

namespace quenmar {

class CHelpWindow : public QWidget {
  Q_OBJECT

 public:
  explicit CHelpWindow(QWidget* parent = nullptr);

  // Each shows the window (raised and active) at the page asked for.
  void ShowContents();
  // The page of a control or command id (see HelpContext.h); the contents when the id has
  // none. Returns whether the id had a page of its own.
  bool ShowContext(int contextId);
  void ShowPage(const QString& page);

  QUrl CurrentPage() const;
  QTextBrowser* Browser() const { return m_browser; }

 private:
  void Present();

  QTextBrowser* m_browser;
  QToolButton* m_btnContents;
  QToolButton* m_btnBack;
  QToolButton* m_btnForward;
};

}  // namespace quenmar
