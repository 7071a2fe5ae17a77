#pragma once
// The editor of a teeth cell. Each keystroke is handed on at once, so the cell is checked
// as it is typed; Escape puts back what the cell held before; the arrow keys take what is
// typed and move to the next cell, as in a spreadsheet; Enter takes what is typed and stays.

#include <QPersistentModelIndex>
#include <QStyledItemDelegate>

namespace quenmar::design {

class TeethCellDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  explicit TeethCellDelegate(QObject* parent = nullptr);
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;

 signals:
  // After the editor is closed: the cell to go to from the one edited.
  void moveRequested(const QModelIndex& from, int rows, int columns);

 protected:
  bool eventFilter(QObject* editor, QEvent* event) override;

 private:
  mutable QPersistentModelIndex m_editing;
  mutable QVariant m_before;
};

}  // namespace quenmar::design
