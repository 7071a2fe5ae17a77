#pragma once
// The help page of the design window, shown in a window of its own beside it: every input,
// column, the drawing and the keys, each under a topic that F1 opens at.

#include <QDialog>

class QTextBrowser;

namespace quenmar::design {

class DesignHelp : public QDialog {
  Q_OBJECT
 public:
  explicit DesignHelp(QWidget* parent = nullptr);
  // Shows the page at `topic` (an anchor of the page; empty: the top) and raises it.
  void ShowTopic(const QString& topic);
  QString Topic() const;
  // Whether the page has a section for `topic`.
  bool HasTopic(const QString& topic) const;

 private:
  QTextBrowser* m_page = nullptr;
};

}  // namespace quenmar::design
