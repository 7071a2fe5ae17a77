#include "MainWindow.h"

#include "QuenmarView.h"

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent), m_view(new CQuenmarView(this)) {
  setCentralWidget(m_view);
}

void MainWindow::newDocument() {
  m_view->SetDocumentTitle(QStringLiteral("Untitled"));
  m_view->OnInitialUpdate();
  show();
}
