#include "MainWindow.h"

#include "ContactRatioDlg.h"
#include "InstructionsDlg.h"
#include "QuenmarView.h"

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent), m_view(new CQuenmarView(this)) {
  setCentralWidget(m_view);
  m_view->SetContactRatioCommand([this] {
    CContactRatioDlg dialog(this);
    dialog.DoModal();
  });
  m_view->SetInstructionsCommand([this] {
    CInstructionsDlg dialog(this);
    dialog.DoModal();
  });
}

void MainWindow::newDocument() {
  m_view->SetDocumentTitle(QStringLiteral("Untitled"));
  m_view->OnInitialUpdate();
  show();
}
