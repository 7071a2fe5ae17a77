#pragma once
// The main window: a frame whose client area is the solver form.

#include <QMainWindow>

class CQuenmarView;

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  explicit MainWindow(QWidget* parent = nullptr);

  CQuenmarView* view() const { return m_view; }

  // Runs the form's start-up for a new document and shows the window.
  void newDocument();

 private:
  CQuenmarView* m_view;
};
