#pragma once
// The one place through which the design window asks for file names and confirmations
// and reports failures, so that tests can answer without a person.

#include <QString>

class QWidget;

namespace quenmar::design {

class DesignPrompter {
 public:
  virtual ~DesignPrompter() = default;
  // An empty name: the user cancelled. `suggested` is a path (the folder last used for
  // that kind of file and a name); `folder` the folder to start in.
  virtual QString SaveFileName(QWidget* parent, const QString& title, const QString& filters,
                               const QString& suggested);
  virtual QString OpenFileName(QWidget* parent, const QString& title, const QString& filters,
                               const QString& folder);
  // True when the user goes on.
  virtual bool Confirm(QWidget* parent, const QString& title, const QString& question);
  virtual void Error(QWidget* parent, const QString& title, const QString& text);
};

}  // namespace quenmar::design
