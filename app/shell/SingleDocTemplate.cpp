#include "SingleDocTemplate.h"

#include "ContactRatioDlg.h"
#include "Framework.h"
#include "InstructionsDlg.h"
#include "MainFrame.h"
#include "QuenmarDoc.h"
#include "QuenmarView.h"
#include "RecentFileList.h"

CSingleDocTemplate::CSingleDocTemplate(quenmar::CommandTarget* next, CRecentFileList* recentFiles)
    : m_next(next), m_recentFiles(recentFiles) {}

CSingleDocTemplate::~CSingleDocTemplate() { CloseAllDocuments(); }

QString CSingleDocTemplate::DocumentName() {
  return QString::fromLatin1(kDocString).section(QLatin1Char('\n'), 1, 1);
}

void CSingleDocTemplate::CreateDocumentAndFrame() {
  m_pDocument = std::make_unique<CQuenmarDoc>();
  m_pDocument->SetRecentFileRecorder([this](const QString& path) {
    if (m_recentFiles) m_recentFiles->Add(path);
  });
  m_pFrame = std::make_unique<CMainFrame>();

  CQuenmarView* view = m_pFrame->GetActiveView();
  view->setNextCommandTarget(m_pDocument.get());
  m_pDocument->setNextCommandTarget(m_pFrame.get());
  m_pFrame->setNextCommandTarget(m_next);

  view->SetContactRatioCommand([view] {
    CContactRatioDlg dialog(view);
    dialog.DoModal();
  });
  view->SetInstructionsCommand([view] {
    CInstructionsDlg dialog(view);
    dialog.DoModal();
  });
}

void CSingleDocTemplate::CloseAllDocuments() {
  if (m_pFrame && quenmar::MainWindow() == m_pFrame.get()) quenmar::SetMainWindow(nullptr);
  m_pFrame.reset();
  m_pDocument.reset();
}

CQuenmarDoc* CSingleDocTemplate::OpenDocumentFile(const QString& path) {
  const bool bCreated = !m_pDocument;
  if (bCreated) CreateDocumentAndFrame();

  if (path.isEmpty()) {
    // A refused New changes nothing: the document keeps the name and file it had.
    const QString previousTitle = m_pDocument->GetTitle();
    const QString previousPath = m_pDocument->GetPathName();
    m_pDocument->SetTitle(DocumentName());
    if (!m_pDocument->OnNewDocument()) {
      if (bCreated) {
        CloseAllDocuments();
      } else {
        if (!previousPath.isEmpty()) m_pDocument->SetPathName(previousPath, false);
        m_pDocument->SetTitle(previousTitle);
      }
      return nullptr;
    }
  } else {
    if (!m_pDocument->OnOpenDocument(path)) {
      if (bCreated) CloseAllDocuments();
      return nullptr;
    }
    m_pDocument->SetPathName(path);
  }

  // From now on dialogs without a parent of their own are owned by the frame.
  if (bCreated) quenmar::SetMainWindow(m_pFrame.get());
  CQuenmarView* view = m_pFrame->GetActiveView();
  view->SetDocumentTitle(m_pDocument->GetTitle());
  view->OnInitialUpdate();
  return m_pDocument.get();
}
