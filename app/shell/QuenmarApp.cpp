#include "QuenmarApp.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFileDialog>
#include <QSettings>

#include "AboutDlg.h"
#include "CommandLineInfo.h"
#include "Dialog.h"
#include "Framework.h"
#include "MainFrame.h"
#include "Presenter.h"
#include "QuenmarDoc.h"
#include "QuenmarView.h"
#include "ResourceIds.h"
#include "server/ServerRegistration.h"
#include "SingleDocTemplate.h"
#include "server/SocketsLayer.h"

using namespace quenmar;

CQuenmarApp::CQuenmarApp() {
  // The application name titles every message box.
  SetAppTitle(QString::fromLatin1(kAppName));
  bindings().onCommand(ID_APP_ABOUT, [this] { OnAppAbout(); });
  bindings().onCommand(ID_FILE_NEW, [this] { OnFileNew(); });
  bindings().onCommand(ID_FILE_OPEN, [this] { OnFileOpen(); });
}

CQuenmarApp::~CQuenmarApp() {
  m_pDocTemplate.reset();
  // A process that ended without ExitInstance still stops the server.
  ShutdownServer(m_bServerInited);
}

bool CQuenmarApp::InitInstance(const QStringList& arguments, const QStringList& givenArguments) {
  CDialog::SetDialogBkColor(QColor(255, 255, 255), QColor(0, 0, 0));

  if (!SocketsLayer::Initialize()) {
    MessageBox(QString::fromLatin1(kSocketsInitFailedText), MessageIcon::Exclamation, MessageButtons::Ok);
    m_nExitCode = 1;
    return false;
  }

  // A registration run ends here, silently, as does a server that cannot start.
  if (!InitServer(WholeCommandLine(givenArguments.isEmpty() ? arguments : givenArguments), m_bServerInited))
    return false;

  // Embedded controls and the three-dimensional look need no preparation with Qt widgets.

  SetRegistryKey();
  LoadStdProfileSettings(kRecentFileCount);

  m_pDocTemplate = std::make_unique<CSingleDocTemplate>(this, m_pRecentFileList.get());

  const CommandLineInfo cmdInfo = ParseCommandLine(arguments);

  // Started by the object system: no document and no window; the event loop runs anyway.
  if (cmdInfo.bRunEmbedded || cmdInfo.bRunAutomated) return true;

  const bool bOpening = cmdInfo.nShellCommand == CommandLineInfo::ShellCommand::FileOpen;
  if (!m_pDocTemplate->OpenDocumentFile(bOpening ? cmdInfo.strFileName : QString())) {
    // A refused disclaimer is the user's choice; a file that cannot be opened is an error.
    m_nExitCode = bOpening ? 1 : 0;
    return false;
  }
  m_pMainWnd = m_pDocTemplate->GetFrame();

  m_pMainWnd->show();
  m_pMainWnd->raise();
  m_pMainWnd->activateWindow();
  m_pMainWnd->repaint();
  return true;
}

int CQuenmarApp::ExitInstance() {
  ShutdownServer(m_bServerInited);
  SaveStdProfileSettings();
  return m_nExitCode;
}

CMainFrame* CQuenmarApp::GetMainWnd() const { return m_pMainWnd; }

void CQuenmarApp::SetRegistryKey() {
  QCoreApplication::setOrganizationName(QString::fromLatin1(kRegistryKey));
  QCoreApplication::setApplicationName(QString::fromLatin1(kAppName));
}

void CQuenmarApp::LoadStdProfileSettings(int nMaxRecentFiles) {
  m_pRecentFileList = std::make_unique<CRecentFileList>(nMaxRecentFiles);
  QSettings settings;
  m_pRecentFileList->ReadList(settings);
}

void CQuenmarApp::SaveStdProfileSettings() {
  // Nothing to store when start-up ended before the settings were loaded (a registration run).
  if (!m_pRecentFileList) return;
  QSettings settings;
  m_pRecentFileList->WriteList(settings);
  settings.sync();
}

void CQuenmarApp::OnAppAbout() {
  CAboutDlg dialog;
  dialog.DoModal();
}

// New and Open start the form up again; while a search runs that would reset the values the
// search reports into when it ends, so both wait until it has ended.
bool CQuenmarApp::SearchRunning() const {
  const CMainFrame* frame = m_pDocTemplate ? m_pDocTemplate->GetFrame() : nullptr;
  const CQuenmarView* view = frame ? frame->GetActiveView() : nullptr;
  return view && view->IsSolving();
}

void CQuenmarApp::OnFileNew() {
  if (m_pDocTemplate && !SearchRunning()) m_pDocTemplate->OpenDocumentFile(QString());
}

void CQuenmarApp::OnFileOpen() {
  if (!m_pDocTemplate || SearchRunning()) return;
  QFileDialog dialog(MainWindow(), QStringLiteral("Open"));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilter(QStringLiteral("All Files (*)"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  if (Presenter::current().execDialog(dialog) != QDialog::Accepted) return;
  const QString path = dialog.selectedFiles().value(0);
  if (!path.isEmpty()) m_pDocTemplate->OpenDocumentFile(path);
}
