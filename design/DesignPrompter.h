#pragma once
// The one place through which the design window asks for file names and reports
// failures, so that tests can answer without a person.

#include <QString>

class QWidget;

namespace quenmar::design {

class DesignPrompter {
 public:
  virtual ~DesignPrompter() = default;
  // An empty name: the user cancelled.
  virtual QString SaveFileName(QWidget* parent, const QString& title, const QString& filters,
                               const QString& suggested);
  virtual QString OpenFileName(QWidget* parent, const QString& title, const QString& filters);
  virtual void Error(QWidget* parent, const QString& title, const QString& text);
};

}  // namespace quenmar::design
