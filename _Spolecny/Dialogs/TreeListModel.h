#pragma once
// The tree-list's model: the items with their cells and the columns with their settings.
// Texts of callback cells come from a provider (the control, which asks its owner).

#include "TreeListTypes.h"

#include <QAbstractItemModel>

#include <functional>
#include <unordered_set>

// Everything the control keeps about one column.
struct TreeListColumnState {
    QString text;
    int alignment = TLFMT_LEFT;
    int formatOptions = 0;   // the option bits 0x10000000 and 0x80000000 as given
    int image = -1;
    bool fixed = true;
    int width = 0;           // fixed width in pixels
    int weight = 1;          // proportional weight 1..255
    int minWidth = 16;
    int remembered = -1;     // remembered width, -1: none
    int editMode = TLEM_NONE;
    unsigned editOptions = 0;
    unsigned editOptions2 = 0;
    unsigned editOptions3 = 0;
    QStringList listItems;   // entries of the list editors
    unsigned inputFlags = 0;
    int maxLength = -1;
};

class CTreeListModel : public QAbstractItemModel {
    Q_OBJECT

public:
    // Gives the text of a callback cell; `column` is -1 for the tree column. False: no text.
    using TextProvider = std::function<bool(TreeListItem* item, int column, QString& text)>;

    explicit CTreeListModel(QObject* parent = nullptr);
    ~CTreeListModel() override;

    void SetTextProvider(TextProvider provider) { m_provider = std::move(provider); }

    // Items
    bool IsLive(const TreeListItem* item) const { return item && m_live.count(item) != 0; }
    // The parent a handle stands for: TLI_ROOT or null is the root; else a live item or null.
    TreeListItem* ResolveParent(TreeListItem* handle);
    TreeListItem* Root() { return &m_root; }
    TreeListItem* InsertItem(TreeListItem* parent, TreeListItem* after, const TreeListCell& cell0, void* data);
    void RemoveItem(TreeListItem* item);
    void RemoveAll();
    int Count() const { return static_cast<int>(m_live.size()); }
    bool SetCell(TreeListItem* item, int column, const TreeListCell& cell);
    const TreeListCell* Cell(const TreeListItem* item, int column) const;
    // The text shown in a cell: its own text, or the owner's, or "????".
    QString CellText(TreeListItem* item, int column) const;
    void SortChildren(TreeListItem* parent, const std::function<int(void*, void*)>& compare);
    void RefreshItem(TreeListItem* item);

    // Columns
    int ColumnCount() const { return static_cast<int>(m_columns.size()); }
    TreeListColumnState& Column(int column) { return m_columns[static_cast<std::size_t>(column)]; }
    const TreeListColumnState& Column(int column) const { return m_columns[static_cast<std::size_t>(column)]; }
    void InsertColumn(int at, const TreeListColumnState& state);
    void ColumnChanged(int column);

    QModelIndex IndexOf(const TreeListItem* item, int column) const;
    TreeListItem* ItemAt(const QModelIndex& index) const;

    static QString NoText() { return QStringLiteral("????"); }

    // QAbstractItemModel
    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void Forget(TreeListItem* item);
    static void Renumber(TreeListItem* parent, int from = 0);
    static Qt::Alignment AlignmentOf(int alignment);

    TreeListItem m_root;
    std::unordered_set<const TreeListItem*> m_live;
    std::vector<TreeListColumnState> m_columns;
    TextProvider m_provider;
};
