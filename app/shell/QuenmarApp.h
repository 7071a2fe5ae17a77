#pragma once
// CQuenmarApp: the application object. InitInstance runs the start-up sequence (dialog
// colours, sockets layer, server start-up and registration switches, settings with the recent
// file list, the document template, the command line, showing the main window); ExitInstance
// stops the server and stores the settings. It also handles New, Open and About.
//
// One exists per process; main() makes it after the QApplication and calls
// InitInstance, the event loop (when InitInstance returned true) and ExitInstance in turn.

#include <QStringList>

#include <cstdint>
#include <memory>

#include "BindingTable.h"
#include "RecentFileList.h"

class CMainFrame;
class CSingleDocTemplate;

class CQuenmarApp : public quenmar::CommandTarget {
 public:
  CQuenmarApp();
  ~CQuenmarApp() override;
  CQuenmarApp(const CQuenmarApp&) = delete;
  CQuenmarApp& operator=(const CQuenmarApp&) = delete;

  // `arguments` is the program followed by its arguments. True: run the event loop; false:
  // end the process now (call ExitInstance for the exit status). `givenArguments` is the
  // command line as the user typed it, before Qt took out its own options (-reverse,
  // -style ...); the registration switches are looked for in it, so that a switch counts only
  // when it really ends the line. Empty: the same as `arguments`.
  bool InitInstance(const QStringList& arguments, const QStringList& givenArguments = {});
  // The process's exit status: 0, or 1 when start-up failed on an error the user was told of
  // (sockets layer, a document that could not be opened, no main window).
  int ExitInstance();

  void OnAppAbout();
  void OnFileNew();
  void OnFileOpen();

  // The main window once a document stands; null before, and in a run without a window.
  CMainFrame* GetMainWnd() const;
  CSingleDocTemplate* GetDocTemplate() const { return m_pDocTemplate.get(); }
  const CRecentFileList* GetRecentFileList() const { return m_pRecentFileList.get(); }

  std::int32_t m_bServerInited = 0;

  static constexpr const char* kRegistryKey = "Local AppWizard-Generated Applications";
  static constexpr const char* kAppName = "Quenmar";
  static constexpr int kRecentFileCount = 4;

 private:
  void SetRegistryKey();
  void LoadStdProfileSettings(int nMaxRecentFiles);
  void SaveStdProfileSettings();
  bool SearchRunning() const;

  std::unique_ptr<CRecentFileList> m_pRecentFileList;
  std::unique_ptr<CSingleDocTemplate> m_pDocTemplate;
  CMainFrame* m_pMainWnd = nullptr;
  int m_nExitCode = 0;
};
