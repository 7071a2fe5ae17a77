#include "QuenmarDoc.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

#include "DisclaimerDlg.h"
#include "Framework.h"
#include "Presenter.h"
#include "ResourceIds.h"

using namespace quenmar;

namespace {

void ReportFileError(const QString& path, const QString& what, const QString& reason) {
  MessageBox(QStringLiteral("%1 %2.\n%3").arg(what, QDir::toNativeSeparators(path), reason),
             MessageIcon::Exclamation, MessageButtons::Ok);
}

}  // namespace

CQuenmarDoc::CQuenmarDoc() {
  g_bDisclaimerAccepted = true;
  bindings().onCommand(ID_FILE_SAVE, [this] { DoFileSave(); });
}

bool CQuenmarDoc::OnNewDocument() {
  m_strPathName.clear();
  g_bDisclaimerAccepted = true;
  {
    // No parent: once a main window exists the dialog takes it as its owner.
    CDisclaimerDlg dialog;
    dialog.DoModal();
  }
  return g_bDisclaimerAccepted;
}

bool CQuenmarDoc::OnOpenDocument(const QString& path) {
  QFile file(path);
  if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
    ReportFileError(path, QStringLiteral("Cannot open the document"),
                    QFileInfo(path).isDir() ? QStringLiteral("It is a folder, not a file.")
                                            : file.errorString());
    return false;
  }
  Serialize(false);
  file.close();
  return true;
}

bool CQuenmarDoc::OnSaveDocument(const QString& path) {
  // Append mode creates a missing file and never truncates one that exists: the document
  // has no content that could stand in for what the file holds.
  QFile file(path);
  if (QFileInfo(path).isDir() || !file.open(QIODevice::WriteOnly | QIODevice::Append)) {
    ReportFileError(path, QStringLiteral("Cannot save the document"),
                    QFileInfo(path).isDir() ? QStringLiteral("It is a folder, not a file.")
                                            : file.errorString());
    return false;
  }
  Serialize(true);
  file.close();
  return true;
}

void CQuenmarDoc::Serialize(bool) {}

bool CQuenmarDoc::DoFileSave() {
  QString path = m_strPathName;
  if (path.isEmpty()) {
    QFileDialog dialog(MainWindow(), QStringLiteral("Save As"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("All Files (*)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.selectFile(m_strTitle);
    if (Presenter::current().execDialog(dialog) != QDialog::Accepted) return false;
    path = dialog.selectedFiles().value(0);
    if (path.isEmpty()) return false;
  }
  if (!OnSaveDocument(path)) return false;
  SetPathName(path);
  return true;
}

void CQuenmarDoc::SetPathName(const QString& path, bool bAddToRecentFiles) {
  m_strPathName = QFileInfo(path).absoluteFilePath();
  m_strTitle = QFileInfo(path).fileName();
  if (bAddToRecentFiles && m_recordRecentFile) m_recordRecentFile(m_strPathName);
}
