#pragma once
// The tree-list control: a tree whose rows have columns, with in-place cell editors. The
// dialogs use it as a flat list of profiles, read-only in the selection dialog and edited
// cell by cell in the editing dialog.
//
// Operations are typed methods named after the control's messages (InsertColumn, SetColumn,
// SetColumnEditMode, SetColumnInputKind, InsertItem, SetItemText, DeleteAllItems, GetCount,
// GetNextItem, GetItemData, SortChildren, SelectItem, SetExtendedStyle). What the control has
// to ask its owner goes through TreeListOwner (texts on request, the cell check, end of edit,
// the new text of a callback cell); what it reports goes out as Qt signals (selection
// changed, clicks, Enter, focus, keys).
//
// Cell editing: an edit starts on Enter (after returnPressed), on typing a printable character
// or pasting in an edit-box or editable drop-down column (unless its options hold 0x10), on a
// click where the options hold 0x40, and on F2. Enter or Tab keeps the edit, Escape drops it;
// losing the focus keeps it when it passes the checks and drops it otherwise. An edit box is a
// CCheckedEdit set up from the column's input kind; a refused text shows the balloon and the
// editor stays open. In columns that start no edit, typing searches the rows (type-ahead).

#include "TreeListTypes.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTreeView>

#include <functional>

class CQyAcDialog;
class CTreeListModel;
class CTreeListDelegate;
struct TreeListColumnState;

class CTreeListCtrl : public QTreeView {
    Q_OBJECT

public:
    static constexpr int kControlId = 4100;
    static constexpr int kPlaceholderId = 11049;
    static constexpr int kEditorTextLimit = 2048;

    explicit CTreeListCtrl(QWidget* parent = nullptr);
    ~CTreeListCtrl() override;

    // Creates the control over the dialog's placeholder 11049 (taking its place, size and
    // anchors), registered as control 4100, with `style` (TLS_ bits). The dialog becomes the
    // owner when it implements TreeListOwner. False when the dialog has no placeholder (the
    // control is then registered all the same, with an empty rectangle).
    bool Create(unsigned style, CQyAcDialog* dialog);
    void SetStyle(unsigned style);
    unsigned GetStyle() const { return m_style; }
    void SetOwner(TreeListOwner* owner) { m_owner = owner; }
    TreeListOwner* Owner() const { return m_owner; }

    // --- Columns ------------------------------------------------------------------------
    // Inserts a column at `index` (at the end when beyond). Returns its index, -1 when there
    // are 32 columns already or the index is negative.
    int InsertColumn(int index, const TreeListColumn& column);
    // Changes what the mask names. False for a column that does not exist.
    bool SetColumn(int index, const TreeListColumn& column);
    int GetColumnCount() const;
    QString GetColumnText(int column) const;
    int GetColumnWidth(int column) const;   // as shown, in pixels (0 when collapsed)
    int GetColumnWeight(int column) const;  // 0 for a fixed column
    int GetColumnRememberedWidth(int column) const; // -1 when none is remembered
    // Edit mode (TLEM_), options (TLEO_ bits) and for list editors the entries. False for a
    // column that does not exist or a mode this control does not offer (4 to 7).
    bool SetColumnEditMode(int column, int mode, unsigned options, const QStringList& items = {});
    // The same with the packed setting: bits 11-16 column, 8-10 mode, 0-7 options, 17-24 and
    // 25-31 further options; `items` a list of texts ending with a null pointer, or null.
    bool SetColumnEditMode(unsigned packedSetting, const char16_t* const* items);
    // Input kind flags (TLIK_ bits) and maximum text length (-1: none) of an edit-box column.
    bool SetColumnInputKind(int column, unsigned kindFlags, int maxLength);
    // The same packed: bits 0-7 the flags, 8-23 the maximum length as a signed 16-bit value.
    bool SetColumnInputKind(int column, unsigned packedKind);
    const TreeListColumnState* ColumnState(int column) const;

    // --- Items --------------------------------------------------------------------------
    // Inserts a row under `parent` (TLI_ROOT for a top-level row) after `after` (TLI_FIRST,
    // TLI_LAST or a sibling) whose tree-column text the control keeps. Null on failure.
    TreeListItem* InsertItem(const QString& text, void* data, TreeListItem* parent = TLI_ROOT,
                             TreeListItem* after = TLI_LAST);
    // The same with a tree-column text the owner gives on request.
    TreeListItem* InsertCallbackItem(void* data, TreeListItem* parent = TLI_ROOT, TreeListItem* after = TLI_LAST);
    // A cell's text kept by the control; column 0 is the tree column. False for an unknown item.
    bool SetItemText(TreeListItem* item, int column, const QString& text);
    // Marks a cell's text as given by the owner on request.
    bool SetItemCallbackText(TreeListItem* item, int column);
    // The text a cell shows ("????" when a callback text cannot be had).
    QString GetItemText(TreeListItem* item, int column) const;
    // Deletes a row with its children; TLI_ROOT deletes all. False for an unknown item.
    bool DeleteItem(TreeListItem* item);
    void DeleteAllItems();
    int GetCount() const;
    // The item data, 0 for an unknown handle.
    void* GetItemData(TreeListItem* item) const;
    bool IsItem(const TreeListItem* item) const;
    // The item `code` (TLGN_) names, relative to `item` where the code needs one; null when
    // there is none. TLGN_CARETCOLUMN names a column, not an item: use GetSelectedColumn.
    TreeListItem* GetNextItem(TreeListItem* item, unsigned code) const;
    TreeListItem* GetRootItem() const { return GetNextItem(nullptr, TLGN_ROOT); }
    TreeListItem* GetSelectedItem() const { return GetNextItem(nullptr, TLGN_CARET); }
    TreeListItem* GetNextVisibleItem(TreeListItem* item) const { return GetNextItem(item, TLGN_NEXTVISIBLE); }
    TreeListItem* GetLastVisibleItem() const { return GetNextItem(nullptr, TLGN_LASTVISIBLE); }
    // The focused column (the column of the selected cell; 0 without cell selection).
    int GetSelectedColumn() const;
    // Sorts the children of `parent` (TLI_ROOT: the top-level rows) by `compare` on their
    // data (negative: first before second); equal ones keep their order.
    bool SortChildren(TreeListItem* parent, const std::function<int(void*, void*)>& compare);
    // Selects `item` (null: no item) and, with cell selection, its `column`; scrolls it into
    // view. True when an item is selected afterwards.
    bool SelectItem(TreeListItem* item, int column = 0);

    // --- Options --------------------------------------------------------------------------
    // Sets the bits of `mask` (0: all bits) to those of `style`.
    void SetExtendedStyle(unsigned mask, unsigned style);
    unsigned GetExtendedStyle() const { return m_exStyle; }

    // --- Editing --------------------------------------------------------------------------
    // Starts an edit of the cell (selecting it). False when the cell is not editable.
    bool EditCell(TreeListItem* item, int column);
    // Ends the edit in progress: `keep` true runs the checks and stores the text (false when
    // the text is refused and the editor stays open); false drops it.
    bool EndEdit(bool keep);
    bool IsEditing() const;
    QWidget* Editor() const; // the open cell editor, or null
    TreeListItem* EditedItem() const { return m_editItem; }
    int EditedColumn() const { return m_editColumn; }

    // The type-ahead clock in milliseconds (tests replace it).
    void SetClock(std::function<qint64()> clock) { m_clock = std::move(clock); }
    CTreeListModel* Model() const { return m_model; }

signals:
    void itemSelectionChanged(TreeListItem* oldItem, TreeListItem* newItem);
    void itemClicked(TreeListItem* item, int column);
    void itemDoubleClicked(TreeListItem* item, int column);
    void itemRightClicked(TreeListItem* item, int column);
    void itemRightDoubleClicked(TreeListItem* item, int column);
    void returnPressed();
    void focusGained();
    void focusLost();
    void keyDown(int key, Qt::KeyboardModifiers modifiers);

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class CTreeListDelegate;

    // The control works only over its own model.
    using QTreeView::setModel;

    // Columns (TreeListColumns.cpp)
    void RelayoutColumns();
    void OnSectionResized(int column, int oldSize, int newSize);
    void ApplySectionMode(int column);

    // Editing (TreeListEditing.cpp)
    QWidget* CreateCellEditor(QWidget* parent, const QModelIndex& index);
    void InitCellEditor(QWidget* editor, const QModelIndex& index);
    bool HandleEditorEvent(QWidget* editor, QEvent* event);
    // The editor lost the focus: keeps its text when it passes every check; a refused text
    // stays in the open editor with its balloon.
    void EditorLostFocus();
    // After the focus left an editor whose text was refused: the balloon again (the field hides
    // it as it loses the focus), and the focus back in the editor when it only went to this
    // control.
    void ReassertRefusedEdit(QWidget* editor);
    bool StartEdit(TreeListItem* item, int column, QKeyEvent* typed, bool paste);
    bool CanTypeStartEdit(int column) const;
    bool IsWithinEditor(const QWidget* widget) const;
    void ForgetEdit();

    // Keys and mouse (TreeListKeys.cpp)
    bool HandleKey(QKeyEvent* event);
    void TypeAhead(const QString& typed);
    std::vector<TreeListItem*> VisibleItems() const;
    TreeListItem* ItemAtPosition(const QPoint& pos, int* column) const;
    bool MoveCaretColumn(int step);

    // Owner calls, each guarded: a failing owner is reported and the safe answer used.
    bool AskText(TreeListItem* item, int column, QString& text);
    int AskCheckCell(CCheckedEdit& editor, const TreeListEditInfo& info);
    int AskEndEdit(const TreeListEditInfo& info);
    void AskSetText(const TreeListEditInfo& info);

    QModelIndex IndexOf(TreeListItem* item, int column) const;
    bool CellSelection() const { return (m_exStyle & TLXS_CELLSELECT) != 0; }

    CTreeListModel* m_model;
    CTreeListDelegate* m_delegate;
    TreeListOwner* m_owner = nullptr;
    unsigned m_style = 0;
    unsigned m_exStyle = 0;
    TreeListItem* m_caretItem = nullptr;
    int m_caretColumn = 0;
    bool m_layingOut = false;

    QPointer<QWidget> m_editor;
    TreeListItem* m_editItem = nullptr;
    int m_editColumn = -1;
    bool m_ending = false;

    QString m_search;
    qint64 m_lastSearchKey = -1;
    std::function<qint64()> m_clock;
    QElapsedTimer m_elapsed;
};
