#pragma once
// The material list of the catalog dialogs: a report list whose rows are material pointers
// (the item data) and whose texts the dialog gives on request, so the list never holds a
// copy of a name that could go stale.
//
// CMaterialListModel is the model over the pointers; CMaterialListCtrl is the view with the
// operations the dialogs use (named after the list control's: InsertItem, DeleteItem,
// DeleteAllItems, GetItemData, SetItemData, SortItems, GetSelectionMark, ...).
//
// Selection mark: the row last selected, by the user or the program. It stays when the user
// takes the selection away (Ctrl+click), follows its row when rows are sorted, and when its
// row is deleted passes to the row that takes the deleted row's place (the new last row when
// the last one was deleted; -1 when the list is empty).

#include <QAbstractTableModel>
#include <QTableView>

#include <functional>
#include <vector>

class CWexMaterial;

class CMaterialListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // The text of a cell: the material of the row and the column. May throw; the model then
    // shows an empty text.
    using TextProvider = std::function<QString(CWexMaterial* material, int column)>;

    explicit CMaterialListModel(QObject* parent = nullptr);

    void SetTextProvider(TextProvider provider) { m_textProvider = std::move(provider); }
    void SetHeaders(const QStringList& headers);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void Clear();
    // Appends a row; returns its index.
    int Append(CWexMaterial* material);
    // Replaces every row at once (one reset, however long the list).
    void Assign(std::vector<CWexMaterial*> materials);
    // Removes a row; false for a row that does not exist.
    bool Remove(int row);
    // The item data of a row, null for a row that does not exist.
    CWexMaterial* Material(int row) const;
    bool SetMaterial(int row, CWexMaterial* material);
    // Orders the rows by `compare` on their materials (negative: first before second); rows
    // that compare equal keep their order. Persistent indexes (selection, current row) follow.
    void Sort(const std::function<int(CWexMaterial*, CWexMaterial*)>& compare);
    // Repaints the rows' texts (asks the provider again).
    void Refresh(int firstRow, int lastRow);

private:
    std::vector<CWexMaterial*> m_rows;
    QStringList m_headers;
    TextProvider m_textProvider;
};

class CMaterialListCtrl : public QTableView {
    Q_OBJECT

public:
    explicit CMaterialListCtrl(QWidget* parent = nullptr);

    CMaterialListModel* Model() const { return m_model; }

    // The columns: header texts and widths in pixels.
    void SetColumns(const QStringList& headers, const QList<int>& widths);

    int GetItemCount() const;
    // Appends a row whose item data is `material`; returns its index.
    int InsertItem(CWexMaterial* material);
    // Replaces every row by `materials`, in that order; no row is selected afterwards.
    void SetAllItems(std::vector<CWexMaterial*> materials);
    bool DeleteItem(int row);
    void DeleteAllItems();
    CWexMaterial* GetItemData(int row) const;
    bool SetItemData(int row, CWexMaterial* material);
    // The text a cell shows (asked of the dialog, as for painting).
    QString GetItemText(int row, int column) const;
    // Sorts with `compare` (negative: first before second).
    void SortItems(const std::function<int(CWexMaterial*, CWexMaterial*)>& compare);
    void RedrawItems(int firstRow, int lastRow);

    int GetSelectionMark() const { return m_selectionMark; }
    // The selected row, -1 when none.
    int GetSelectedRow() const;
    // Makes `row` the selected and focused row (and the selection mark). -1 or a row that
    // does not exist clears the selection. Selecting a row that was not selected reports it.
    void SelectItem(int row);
    // The row under a point of the viewport, -1 when none.
    int HitTest(const QPoint& viewportPos) const;

signals:
    // A row became selected (by the user or the program).
    void itemSelected(int row);
    // A row was double-clicked.
    void itemDoubleClicked(int row);

protected:
    // Home and End go to the first and the last material, as in a report list (a table view
    // would move between the columns of the current row).
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

private:
    void OnSelectionChanged();
    void OnRowsRemoved(int first, int last);

    CMaterialListModel* m_model;
    int m_selectionMark = -1;
    int m_markBeforeRemoval = -1;
};
