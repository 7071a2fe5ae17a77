#pragma once
// The single-document template: on first use it makes the document, the main frame and its
// form; every later New or Open reuses them. New runs the document's disclaimer gate, Open
// checks the file; either way, when the document stands, the form runs its start-up again.

#include <QString>

#include <memory>

#include "BindingTable.h"

class CMainFrame;
class CQuenmarDoc;
class CRecentFileList;

class CSingleDocTemplate {
 public:
  // Commands the document and the frame leave alone go on to `next` (the application);
  // opened and saved documents are recorded in `recentFiles`.
  CSingleDocTemplate(quenmar::CommandTarget* next, CRecentFileList* recentFiles);
  ~CSingleDocTemplate();

  // The template string's fields: window title, document name (the default title of a new
  // document), new-file name, filter name, filter extension, file-type id, file-type name.
  static constexpr const char* kDocString = "\nBrassmoor\nQuenma\n\n\nQuenmar.Document\nQuenma Document";
  static QString DocumentName();

  // A new document (empty path) or the named file opened as the document. Null when the user
  // refused the disclaimer or the file could not be opened; when that happens on first use the
  // document and the frame are destroyed again, otherwise they stay as they were.
  CQuenmarDoc* OpenDocumentFile(const QString& path);

  CQuenmarDoc* GetDocument() const { return m_pDocument.get(); }
  CMainFrame* GetFrame() const { return m_pFrame.get(); }
  // Destroys the document and the frame.
  void CloseAllDocuments();

 private:
  void CreateDocumentAndFrame();

  quenmar::CommandTarget* m_next;
  CRecentFileList* m_recentFiles;
  std::unique_ptr<CQuenmarDoc> m_pDocument;
  std::unique_ptr<CMainFrame> m_pFrame;
};
