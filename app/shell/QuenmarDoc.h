#pragma once
// CQuenmarDoc: the one document. It holds no data: storing it writes nothing and loading it
// reads nothing. Its own behaviour is the disclaimer gate of every new document, and keeping
// the title and path that the frame's form shows in its caption.

#include <QString>

#include <functional>

#include "BindingTable.h"

class CQuenmarDoc : public quenmar::CommandTarget {
 public:
  // Raises g_bDisclaimerAccepted.
  CQuenmarDoc();

  // Empties the document and shows the disclaimer; true when the user agreed.
  virtual bool OnNewDocument();
  // Checks that the file can be opened and reads nothing from it. On failure the user is told
  // and false comes back; the document stays as it was.
  virtual bool OnOpenDocument(const QString& path);
  // Stores the document under `path`. The document has nothing to write: a missing file is
  // created empty, an existing one is left exactly as it is. On failure the user is told.
  virtual bool OnSaveDocument(const QString& path);
  // The document's stored form: nothing, in either direction.
  virtual void Serialize(bool bStoring);

  // The Save command: asks for a file name when the document has none yet.
  bool DoFileSave();

  QString GetTitle() const { return m_strTitle; }
  void SetTitle(const QString& title) { m_strTitle = title; }
  QString GetPathName() const { return m_strPathName; }
  // Records the path, makes its file name the title and, when asked, enters it in the list
  // of recently used documents.
  void SetPathName(const QString& path, bool bAddToRecentFiles = true);

  // Where SetPathName records the documents it is given.
  void SetRecentFileRecorder(std::function<void(const QString&)> recorder) {
    m_recordRecentFile = std::move(recorder);
  }

 private:
  QString m_strTitle;
  QString m_strPathName;
  std::function<void(const QString&)> m_recordRecentFile;
};
