#pragma once
// CDialog: a modal dialog built on a layout. DoModal builds the controls (once), connects
// the binding table, writes the members into the controls, runs OnInitDialog and shows the
// dialog through the presenter seam; it returns the result the dialog ended with, or -1
// when the dialog cannot be made (no such layout).
//
// The button with id 1 (and Enter, when no button takes it) runs OnOK: it reads the dialog
// and ends it with result 1 unless the read fails. The button with id 2, the Esc key and
// the close box run OnCancel, which ends it with result 2.

#include <QDialog>

#include "BindingTable.h"
#include "DataExchange.h"
#include "LayoutBuilder.h"

class CDialog : public QDialog, public quenmar::CommandTarget {
  Q_OBJECT
 public:
  explicit CDialog(int layoutId, QWidget* parent = nullptr);
  explicit CDialog(const quenmar::DialogLayout& layout, QWidget* parent = nullptr);

  int DoModal();

  // Reads (true) or writes (false) the members; false when a read failed.
  bool UpdateData(bool bSaveAndValidate = true);
  void EndDialog(int result);

  QWidget* GetDlgItem(int id) const { return m_built.controls.widget(id); }
  const quenmar::Controls& controls() const { return m_built.controls; }
  const quenmar::DialogLayout* layout() const { return m_layout; }

  // Gives every dialog shown from now on these colours (the application sets white and
  // black once at start-up).
  static void SetDialogBkColor(const QColor& background = QColor(255, 255, 255),
                               const QColor& text = QColor(0, 0, 0));

 protected:
  virtual void DoDataExchange(quenmar::DataExchange& dx);
  // Runs once per showing, after the controls exist and the members have been written.
  // Returning true lets the focus go to the first control in tab order.
  virtual bool OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();

  // Lets a subclass make a control of its own kind for an id before the controls are built.
  quenmar::LayoutBuilder* builder() { return m_builder.get(); }

  bool Create();

  void reject() override;
  void accept() override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  const quenmar::DialogLayout* m_layout;
  std::unique_ptr<quenmar::LayoutBuilder> m_builder;
  quenmar::BuiltLayout m_built;
  bool m_created = false;
};
