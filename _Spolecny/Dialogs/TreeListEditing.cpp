// In-place cell editing of the tree-list: the editors, starting an edit, and ending it
// through the field's check, the owner's cell check and the end-of-edit notification.

#include "TreeListCtrl.h"

#include "CheckedEdit.h"
#include "ErrorBalloon.h"
#include "QtGuard.h"
#include "TreeListDelegate.h"
#include "TreeListModel.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QTimer>

namespace {

// The kind a column's input flags decide: the first of 0x01, 0x02, 0x04, 0x08, 0x10, 0x40.
InputKind KindOf(unsigned flags)
{
    const std::pair<unsigned, InputKind> order[] = {
        {TLIK_NOCHECK, InputKind::NoCheck}, {TLIK_INTEGER, InputKind::Integer},
        {TLIK_DECIMAL, InputKind::Decimal}, {TLIK_WORD, InputKind::DigitsOrLetters},
        {TLIK_EMAIL, InputKind::Email},     {TLIK_FILENAME, InputKind::FileName}};
    for (const auto& [flag, kind] : order) {
        if (flags & flag) return kind;
    }
    return InputKind::NoCheck;
}

Qt::Alignment EditorAlignment(int alignment)
{
    switch (alignment & TLFMT_ALIGNMENT) {
    case TLFMT_RIGHT: return Qt::AlignRight | Qt::AlignVCenter;
    case TLFMT_CENTER: return Qt::AlignHCenter | Qt::AlignVCenter;
    default: return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

// The line edit typed and pasted text goes to: the edit box, or the editable drop-down's.
QLineEdit* TypingTarget(QWidget* editor)
{
    if (auto* edit = qobject_cast<QLineEdit*>(editor)) return edit;
    if (auto* combo = qobject_cast<QComboBox*>(editor)) return combo->lineEdit();
    return nullptr;
}

// Whether `widget` is `outer` or lies inside it, a drop-down's own window included.
bool IsWithin(const QWidget* outer, const QWidget* widget)
{
    for (; widget; widget = widget->parentWidget()) {
        if (widget == outer) return true;
    }
    return false;
}

} // namespace

bool CTreeListCtrl::IsWithinEditor(const QWidget* widget) const
{
    return m_editor && IsWithin(m_editor, widget);
}

bool CTreeListCtrl::IsEditing() const
{
    return m_editor != nullptr;
}

QWidget* CTreeListCtrl::Editor() const
{
    return m_editor.data();
}

void CTreeListCtrl::ForgetEdit()
{
    m_editor = nullptr;
    m_editItem = nullptr;
    m_editColumn = -1;
}

QWidget* CTreeListCtrl::CreateCellEditor(QWidget* parent, const QModelIndex& index)
{
    TreeListItem* item = m_model->ItemAt(index);
    if (!item) return nullptr;
    const TreeListColumnState& column = m_model->Column(index.column());
    QWidget* editor = nullptr;

    if (column.editMode == TLEM_EDIT) {
        // Each edit takes the settings of its own column.
        auto* edit = new CCheckedEdit(parent);
        const InputKind kind = KindOf(column.inputFlags);
        edit->ApplyStandardChecks(kind, column.maxLength);
        edit->balloonTitle = CCheckedEdit::DefaultBalloonTitle();
        edit->allowEmpty = (column.inputFlags & TLIK_EMPTY) != 0;
        edit->charFilter = kind == InputKind::Decimal ? CharFilter(CommaToPoint) : CharFilter();
        edit->QLineEdit::setMaxLength(kEditorTextLimit);
        edit->setAlignment(EditorAlignment(column.alignment));
        editor = edit;
    } else if (column.editMode == TLEM_COMBO || column.editMode == TLEM_LIST) {
        auto* combo = new CTreeListCombo(parent);
        combo->setEditable(column.editMode == TLEM_COMBO);
        combo->addItems(column.listItems);
        combo->setMaxVisibleItems(12);
        if (QLineEdit* line = combo->lineEdit()) {
            line->setMaxLength(kEditorTextLimit);
            line->installEventFilter(m_delegate);
        }
        connect(combo, &QComboBox::activated, this, [this, combo] {
            // An entry chosen in the drop-down ends the edit; arrow keys on the closed box only browse.
            if (combo == m_editor && combo->ChosenFromPopup()) Guarded([this] { EndEdit(true); });
        });
        editor = combo;
    }
    if (!editor) return nullptr;
    editor->setObjectName(QStringLiteral("cellEditor"));
    m_editor = editor;
    m_editItem = item;
    m_editColumn = index.column();
    return editor;
}

void CTreeListCtrl::InitCellEditor(QWidget* editor, const QModelIndex& index)
{
    const QString text = m_model->CellText(m_model->ItemAt(index), index.column());
    if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
        edit->setText(text);
        edit->selectAll();
    } else if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        const int found = combo->findText(text, Qt::MatchExactly);
        combo->setCurrentIndex(found);
        if (combo->isEditable()) {
            combo->setEditText(text);
            combo->lineEdit()->selectAll();
        }
    }
}

bool CTreeListCtrl::CanTypeStartEdit(int column) const
{
    const TreeListColumnState* s = ColumnState(column);
    return s && (s->editMode == TLEM_EDIT || s->editMode == TLEM_COMBO) && !(s->editOptions & TLEO_NO_TYPE_START);
}

bool CTreeListCtrl::EditCell(TreeListItem* item, int column)
{
    return StartEdit(item, column, nullptr, false);
}

bool CTreeListCtrl::StartEdit(TreeListItem* item, int column, QKeyEvent* typed, bool paste)
{
    const TreeListColumnState* s = ColumnState(column);
    if (!IsItem(item) || !s || s->editMode == TLEM_NONE || !isEnabled()) return false;
    if (IsEditing()) EndEdit(false); // one editor at a time
    SelectItem(item, column);
    if (!IsItem(item)) return false; // the owner may have deleted it on the selection change

    const QModelIndex index = IndexOf(item, column);
    scrollTo(index);
    if (!edit(index, QAbstractItemView::AllEditTriggers, nullptr) || !m_editor) {
        ForgetEdit();
        return false;
    }
    InitCellEditor(m_editor, index);
    m_editor->setFocus(Qt::OtherFocusReason);

    QLineEdit* target = TypingTarget(m_editor);
    if (typed && target) {
        // The character that started the edit is typed into the editor, through its checks.
        QKeyEvent copy(QEvent::KeyPress, typed->key(), typed->modifiers(), typed->text());
        QCoreApplication::sendEvent(target, &copy);
    }
    if (paste && target) {
        target->selectAll();
        target->paste();
    }
    return true;
}

bool CTreeListCtrl::EndEdit(bool keep)
{
    if (!m_editor) return true;
    if (m_ending) return false;
    QScopedValueRollback<bool> ending(m_ending, true);

    TreeListItem* item = m_editItem;
    const int column = m_editColumn;
    QWidget* editor = m_editor;
    TreeListEditInfo info;
    info.item = item;
    info.column = column == 0 ? -1 : column;
    info.data = GetItemData(item);
    if (auto* combo = qobject_cast<QComboBox*>(editor)) info.text = combo->currentText();
    else if (auto* edit = qobject_cast<QLineEdit*>(editor)) info.text = edit->text();

    if (keep && IsItem(item)) {
        if (auto* edit = qobject_cast<CCheckedEdit*>(editor)) {
            if (!edit->CheckText()) {
                edit->ShowBalloon();
                return false;
            }
            if (AskCheckCell(*edit, info) != 0) return false;
            if (m_editor != editor) return true; // the owner ended or replaced the edit
        }
    }

    closeEditor(editor, QAbstractItemDelegate::NoHint);
    if (!keep || !IsItem(item)) return true;
    if (AskEndEdit(info) != 0 || !IsItem(item)) return true;

    const TreeListCell* cell = m_model->Cell(item, column);
    if (cell && cell->callback) AskSetText(info);
    else m_model->SetCell(item, column, TreeListCell{info.text, false});
    m_model->RefreshItem(item);
    return true;
}

void CTreeListCtrl::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    const bool hadFocus = editor && IsWithin(editor, QApplication::focusWidget());
    if (editor == m_editor) ForgetEdit();
    QTreeView::closeEditor(editor, hint);
    if (hadFocus) setFocus(Qt::OtherFocusReason);
}

void CTreeListCtrl::EditorLostFocus()
{
    QWidget* editor = m_editor;
    if (IsWithin(this, QApplication::focusWidget())) {
        // A click on another row: the press itself ends the edit or is held back
        // (mousePressEvent); any other move within the control is settled once it is over.
        QTimer::singleShot(0, this, [this, editor = QPointer<QWidget>(editor)] {
            if (!editor || editor != m_editor || IsWithinEditor(QApplication::focusWidget())) return;
            bool ended = false;
            Guarded([&] { ended = EndEdit(true); });
            if (!ended) ReassertRefusedEdit(editor);
        });
        return;
    }
    // Ended at once, so that a button that took the focus (OK) finds the value stored.
    if (!EndEdit(true)) {
        QTimer::singleShot(0, this, [this, editor = QPointer<QWidget>(editor)] {
            if (editor) Guarded([&] { ReassertRefusedEdit(editor); });
        });
    }
}

void CTreeListCtrl::ReassertRefusedEdit(QWidget* editor)
{
    if (!editor || editor != m_editor) return;
    if (IsWithin(this, QApplication::focusWidget()) && !IsWithinEditor(QApplication::focusWidget()))
        editor->setFocus(Qt::OtherFocusReason);
    auto* edit = qobject_cast<CCheckedEdit*>(editor);
    if (edit && !edit->IsBalloonVisible()) {
        const CErrorBalloon* last = edit->Balloon();
        if (last && !last->Text().isEmpty()) edit->ShowBalloon(last->Title(), last->Text());
        else edit->ShowBalloon();
    }
}

bool CTreeListCtrl::HandleEditorEvent(QWidget*, QEvent* event)
{
    if (!m_editor) return false;
    switch (event->type()) {
    case QEvent::ShortcutOverride: {
        // Enter, Escape and Tab belong to the editor, not to the dialog's buttons.
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape || key == Qt::Key_Tab ||
            key == Qt::Key_Backtab) {
            event->accept();
            return true;
        }
        return false;
    }
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        auto* combo = qobject_cast<QComboBox*>(m_editor.data());
        if (combo && combo->view()->isVisible()) return false; // the drop-down takes its keys
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Tab || key == Qt::Key_Backtab) {
            EndEdit(true);
            return true;
        }
        if (key == Qt::Key_Escape) {
            EndEdit(false);
            return true;
        }
        if (!combo && (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown)) {
            // Keys that move to another row end the edit first and then move; a refused text
            // keeps its editor (and the row) with the balloon.
            if (EndEdit(true)) {
                auto* keyEvent = static_cast<QKeyEvent*>(event);
                QKeyEvent moved(QEvent::KeyPress, key, keyEvent->modifiers(), keyEvent->text());
                QCoreApplication::sendEvent(this, &moved);
            }
            return true;
        }
        return false;
    }
    case QEvent::FocusOut: {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // A drop-down opening, or another window (a message box), takes the focus for a while.
        if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason) return false;
        if (IsWithinEditor(QApplication::focusWidget())) return false;
        EditorLostFocus();
        return false;
    }
    default: return false;
    }
}
