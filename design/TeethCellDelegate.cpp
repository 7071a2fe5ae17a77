#include "TeethCellDelegate.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace quenmar::design {

TeethCellDelegate::TeethCellDelegate(QObject* parent) : QStyledItemDelegate(parent) {
  connect(this, &QAbstractItemDelegate::closeEditor, this,
          [this](QWidget*, QAbstractItemDelegate::EndEditHint hint) {
            // The keystrokes were handed on as typed; a cancelled edit takes them back.
            if (hint == QAbstractItemDelegate::RevertModelCache && m_editing.isValid())
              const_cast<QAbstractItemModel*>(m_editing.model())->setData(m_editing, m_before);
            m_editing = QPersistentModelIndex();
          });
}

QWidget* TeethCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                         const QModelIndex& index) const {
  QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
  m_editing = index;
  m_before = index.data(Qt::EditRole);
  if (auto* line = qobject_cast<QLineEdit*>(editor)) {
    auto* self = const_cast<TeethCellDelegate*>(this);
    connect(line, &QLineEdit::textEdited, self, [self, line] { emit self->commitData(line); });
  }
  return editor;
}

bool TeethCellDelegate::eventFilter(QObject* object, QEvent* event) {
  auto* line = qobject_cast<QLineEdit*>(object);
  if (!line || (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride))
    return QStyledItemDelegate::eventFilter(object, event);
  const auto* key = static_cast<QKeyEvent*>(event);
  if (event->type() == QEvent::ShortcutOverride) {
    // Escape belongs to the cell while it is edited, not to the window's Stop.
    if (key->key() == Qt::Key_Escape) {
      event->accept();
      return true;
    }
    return QStyledItemDelegate::eventFilter(object, event);
  }
  int rows = 0, columns = 0;
  switch (key->key()) {
    case Qt::Key_Up: rows = -1; break;
    case Qt::Key_Down: rows = 1; break;
    case Qt::Key_Left: columns = -1; break;
    case Qt::Key_Right: columns = 1; break;
    default: break;
  }
  if (rows == 0 && columns == 0) return QStyledItemDelegate::eventFilter(object, event);
  const QModelIndex from = m_editing;
  emit commitData(line);
  emit closeEditor(line, QAbstractItemDelegate::NoHint);
  emit moveRequested(from, rows, columns);
  return true;
}

}  // namespace quenmar::design
