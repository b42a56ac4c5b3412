// Keyboard and mouse of the tree-list: starting edits, moving the marked cell, type-ahead
// search, and the click, Enter, focus and key notifications.

#include "TreeListCtrl.h"

#include "QtGuard.h"
#include "TreeListModel.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>

namespace {

bool IsTypedText(const QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = event->modifiers();
    if ((mods & (Qt::ControlModifier | Qt::MetaModifier)) && !(mods & Qt::AltModifier)) return false;
    const QString text = event->text();
    if (text.isEmpty()) return false;
    for (QChar c : text) {
        if (!c.isPrint()) return false;
    }
    return true;
}

bool ClipboardHasText()
{
    const QMimeData* data = QApplication::clipboard()->mimeData();
    return data && data->hasText();
}

} // namespace

void CTreeListCtrl::keyPressEvent(QKeyEvent* event)
{
    bool handled = false;
    Guarded([&] { handled = HandleKey(event); });
    if (!handled) QTreeView::keyPressEvent(event);
}

bool CTreeListCtrl::HandleKey(QKeyEvent* event)
{
    emit keyDown(event->key(), event->modifiers());
    TreeListItem* caret = GetSelectedItem();
    const int column = GetSelectedColumn();
    const TreeListColumnState* s = ColumnState(column);
    const bool editable = caret && s && s->editMode != TLEM_NONE;
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;

    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (mods != Qt::NoModifier) break;
        emit returnPressed();
        caret = GetSelectedItem(); // the owner may have changed things
        if (editable && IsItem(caret) && StartEdit(caret, column, nullptr, false)) {
            event->accept();
        } else {
            event->ignore(); // the dialog's default button takes it
        }
        return true;
    case Qt::Key_F2:
        if (editable && StartEdit(caret, column, nullptr, false)) return true;
        break;
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (CellSelection() && mods == Qt::NoModifier && caret) {
            MoveCaretColumn(event->key() == Qt::Key_Left ? -1 : 1);
            return true;
        }
        break;
    default: break;
    }

    if (event->matches(QKeySequence::Paste)) {
        if (caret && CanTypeStartEdit(column) && ClipboardHasText()) StartEdit(caret, column, nullptr, true);
        return true;
    }
    if (IsTypedText(event)) {
        if (caret && CanTypeStartEdit(column)) StartEdit(caret, column, event, false);
        else TypeAhead(event->text());
        return true;
    }
    return false;
}

bool CTreeListCtrl::MoveCaretColumn(int step)
{
    TreeListItem* caret = GetSelectedItem();
    for (int c = m_caretColumn + step; c >= 0 && c < GetColumnCount(); c += step) {
        if (isColumnHidden(c)) continue;
        const QModelIndex index = IndexOf(caret, c);
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_caretColumn = c;
        scrollTo(index);
        viewport()->update();
        return true;
    }
    return false;
}

std::vector<TreeListItem*> CTreeListCtrl::VisibleItems() const
{
    std::vector<TreeListItem*> items;
    std::function<void(TreeListItem*)> walk = [&](TreeListItem* parent) {
        for (auto& child : parent->children) {
            items.push_back(child.get());
            if (!child->children.empty() && isExpanded(IndexOf(child.get(), 0))) walk(child.get());
        }
    };
    walk(m_model->Root());
    return items;
}

void CTreeListCtrl::TypeAhead(const QString& typed)
{
    const qint64 now = m_clock ? m_clock() : m_elapsed.elapsed();
    const qsizetype n = m_search.size();
    const qint64 pause = n >= 3 ? 1000 : 750;
    if (n > 0 && n < 16 && m_lastSearchKey >= 0 && now - m_lastSearchKey <= pause) m_search += typed;
    else m_search = typed;
    m_lastSearchKey = now;

    const std::vector<TreeListItem*> rows = VisibleItems();
    if (rows.empty()) return;
    const QString wanted = m_search.toUpper();
    const int column = GetSelectedColumn();
    int start = -1;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i] == GetSelectedItem()) start = static_cast<int>(i);
    }
    // A longer search text may still fit the selected row; a new one starts below it.
    const int first = m_search.size() > 1 && start >= 0 ? start : start + 1;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        TreeListItem* row = rows[(static_cast<std::size_t>(first) + i) % rows.size()];
        if (GetItemText(row, column).toUpper().startsWith(wanted)) {
            SelectItem(row, column);
            return;
        }
    }
}

TreeListItem* CTreeListCtrl::ItemAtPosition(const QPoint& pos, int* column) const
{
    const QModelIndex index = indexAt(pos);
    if (column) *column = index.isValid() ? index.column() : -1;
    return m_model->ItemAt(index);
}

void CTreeListCtrl::mousePressEvent(QMouseEvent* event)
{
    if (IsEditing()) {
        // A click beside the editor ends the edit first; a refused text keeps the editor open
        // with its balloon, and the click does nothing else.
        bool ended = false;
        Guarded([&] { ended = EndEdit(true); });
        if (!ended && m_editor) {
            ReassertRefusedEdit(m_editor);
            event->accept();
            return;
        }
    }
    QTreeView::mousePressEvent(event);
}

void CTreeListCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    int column = -1;
    TreeListItem* item = ItemAtPosition(event->position().toPoint(), &column);
    QTreeView::mouseReleaseEvent(event);
    Guarded([&] {
        if (event->button() == Qt::LeftButton) {
            emit itemClicked(item, column);
            const TreeListColumnState* s = ColumnState(column);
            if (IsItem(item) && item == GetSelectedItem() && s && s->editMode != TLEM_NONE &&
                (s->editOptions & TLEO_CLICK_START) && !IsEditing())
                StartEdit(item, column, nullptr, false);
        } else if (event->button() == Qt::RightButton) {
            emit itemRightClicked(item, column);
        }
    });
}

void CTreeListCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    int column = -1;
    TreeListItem* item = ItemAtPosition(event->position().toPoint(), &column);
    QTreeView::mouseDoubleClickEvent(event);
    Guarded([&] {
        if (event->button() == Qt::LeftButton) emit itemDoubleClicked(item, column);
        else if (event->button() == Qt::RightButton) emit itemRightDoubleClicked(item, column);
    });
}

void CTreeListCtrl::focusInEvent(QFocusEvent* event)
{
    // Qt's views make the first row current when they get the focus without one; here the
    // focus selects nothing: a dialog that selects no row and focuses the list keeps it so.
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
    Guarded([this] { emit focusGained(); });
}

void CTreeListCtrl::focusOutEvent(QFocusEvent* event)
{
    QTreeView::focusOutEvent(event);
    Guarded([this] { emit focusLost(); });
}
