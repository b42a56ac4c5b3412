#include "TreeListModel.h"

#include "QtGuard.h"

#include <algorithm>

CTreeListModel::CTreeListModel(QObject* parent) : QAbstractItemModel(parent)
{
}

CTreeListModel::~CTreeListModel() = default;

// --- Items ------------------------------------------------------------------------------------

TreeListItem* CTreeListModel::ResolveParent(TreeListItem* handle)
{
    if (!handle || handle == TLI_ROOT) return &m_root;
    return IsLive(handle) ? handle : nullptr;
}

void CTreeListModel::Renumber(TreeListItem* parent, int from)
{
    for (std::size_t i = static_cast<std::size_t>(from); i < parent->children.size(); ++i)
        parent->children[i]->row = static_cast<int>(i);
}

TreeListItem* CTreeListModel::InsertItem(TreeListItem* parent, TreeListItem* after, const TreeListCell& cell0, void* data)
{
    TreeListItem* p = ResolveParent(parent);
    if (!p) return nullptr;
    int position = static_cast<int>(p->children.size());
    if (after == TLI_FIRST) position = 0;
    else if (IsLive(after) && after->parent == p) position = after->row + 1;

    auto item = std::make_unique<TreeListItem>();
    item->parent = p;
    item->data = data;
    item->cells.resize(1);
    item->cells[0] = cell0;
    TreeListItem* raw = item.get();

    beginInsertRows(p == &m_root ? QModelIndex() : IndexOf(p, 0), position, position);
    p->children.insert(p->children.begin() + position, std::move(item));
    Renumber(p, position);
    m_live.insert(raw);
    endInsertRows();
    return raw;
}

void CTreeListModel::Forget(TreeListItem* item)
{
    m_live.erase(item);
    for (auto& child : item->children) Forget(child.get());
}

void CTreeListModel::RemoveItem(TreeListItem* item)
{
    if (!IsLive(item)) return;
    TreeListItem* p = item->parent;
    const int row = item->row;
    beginRemoveRows(p == &m_root ? QModelIndex() : IndexOf(p, 0), row, row);
    Forget(item);
    p->children.erase(p->children.begin() + row);
    Renumber(p, row);
    endRemoveRows();
}

void CTreeListModel::RemoveAll()
{
    beginResetModel();
    m_root.children.clear();
    m_live.clear();
    endResetModel();
}

bool CTreeListModel::SetCell(TreeListItem* item, int column, const TreeListCell& cell)
{
    if (!IsLive(item) || column < 0 || column >= kTreeListMaxColumns) return false;
    if (item->cells.size() <= static_cast<std::size_t>(column)) item->cells.resize(static_cast<std::size_t>(column) + 1);
    item->cells[static_cast<std::size_t>(column)] = cell;
    if (column < ColumnCount()) {
        const QModelIndex index = IndexOf(item, column);
        emit dataChanged(index, index, {Qt::DisplayRole});
    }
    return true;
}

const TreeListCell* CTreeListModel::Cell(const TreeListItem* item, int column) const
{
    if (!IsLive(item) || column < 0 || static_cast<std::size_t>(column) >= item->cells.size()) return nullptr;
    return &item->cells[static_cast<std::size_t>(column)];
}

QString CTreeListModel::CellText(TreeListItem* item, int column) const
{
    const TreeListCell* cell = Cell(item, column);
    if (!cell) return QString();
    if (!cell->callback) return cell->text;
    QString text;
    if (m_provider && m_provider(item, column == 0 ? -1 : column, text)) return text;
    return NoText();
}

void CTreeListModel::SortChildren(TreeListItem* parent, const std::function<int(void*, void*)>& compare)
{
    TreeListItem* p = ResolveParent(parent);
    if (!p || !compare || p->children.size() < 2) return;

    // Order first, so that a compare function that throws leaves everything as it was.
    std::vector<TreeListItem*> order;
    order.reserve(p->children.size());
    for (auto& child : p->children) order.push_back(child.get());
    std::stable_sort(order.begin(), order.end(),
                     [&](TreeListItem* a, TreeListItem* b) { return compare(a->data, b->data) < 0; });

    const QModelIndex parentIndex = p == &m_root ? QModelIndex() : IndexOf(p, 0);
    emit layoutAboutToBeChanged({QPersistentModelIndex(parentIndex)}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<std::pair<TreeListItem*, int>> anchors;
    anchors.reserve(static_cast<std::size_t>(before.size()));
    for (const QModelIndex& index : before) anchors.emplace_back(ItemAt(index), index.column());

    std::vector<std::unique_ptr<TreeListItem>> sorted;
    sorted.reserve(order.size());
    for (TreeListItem* item : order) {
        auto it = std::find_if(p->children.begin(), p->children.end(), [item](const auto& c) { return c.get() == item; });
        sorted.push_back(std::move(*it));
    }
    p->children = std::move(sorted);
    Renumber(p);

    QModelIndexList after;
    after.reserve(before.size());
    for (const auto& [item, column] : anchors) after.push_back(IndexOf(item, column));
    changePersistentIndexList(before, after);
    emit layoutChanged({QPersistentModelIndex(parentIndex)}, QAbstractItemModel::VerticalSortHint);
}

void CTreeListModel::RefreshItem(TreeListItem* item)
{
    if (!IsLive(item) || ColumnCount() == 0) return;
    emit dataChanged(IndexOf(item, 0), IndexOf(item, ColumnCount() - 1), {Qt::DisplayRole});
}

// --- Columns --------------------------------------------------------------------------------------

namespace {
void InsertCellAt(TreeListItem& item, std::size_t at)
{
    if (item.cells.size() > at) item.cells.insert(item.cells.begin() + static_cast<std::ptrdiff_t>(at), TreeListCell{});
    for (auto& child : item.children) InsertCellAt(*child, at);
}
} // namespace

void CTreeListModel::InsertColumn(int at, const TreeListColumnState& state)
{
    beginInsertColumns(QModelIndex(), at, at);
    m_columns.insert(m_columns.begin() + at, state);
    for (auto& child : m_root.children) InsertCellAt(*child, static_cast<std::size_t>(at));
    endInsertColumns();
}

void CTreeListModel::ColumnChanged(int column)
{
    emit headerDataChanged(Qt::Horizontal, column, column);
}

// --- QAbstractItemModel ------------------------------------------------------------------------------

QModelIndex CTreeListModel::IndexOf(const TreeListItem* item, int column) const
{
    if (!IsLive(item) || column < 0 || column >= ColumnCount()) return {};
    return createIndex(item->row, column, const_cast<TreeListItem*>(item));
}

TreeListItem* CTreeListModel::ItemAt(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this) return nullptr;
    auto* item = static_cast<TreeListItem*>(index.internalPointer());
    return IsLive(item) ? item : nullptr;
}

QModelIndex CTreeListModel::index(int row, int column, const QModelIndex& parent) const
{
    if (row < 0 || column < 0 || column >= ColumnCount()) return {};
    if (parent.isValid() && parent.column() != 0) return {};
    const TreeListItem* p = parent.isValid() ? ItemAt(parent) : &m_root;
    if (!p || static_cast<std::size_t>(row) >= p->children.size()) return {};
    return createIndex(row, column, p->children[static_cast<std::size_t>(row)].get());
}

QModelIndex CTreeListModel::parent(const QModelIndex& child) const
{
    const TreeListItem* item = ItemAt(child);
    if (!item || item->parent == &m_root) return {};
    return createIndex(item->parent->row, 0, item->parent);
}

int CTreeListModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() && parent.column() != 0) return 0;
    const TreeListItem* p = parent.isValid() ? ItemAt(parent) : &m_root;
    return p ? static_cast<int>(p->children.size()) : 0;
}

int CTreeListModel::columnCount(const QModelIndex&) const
{
    return ColumnCount();
}

Qt::Alignment CTreeListModel::AlignmentOf(int alignment)
{
    switch (alignment & TLFMT_ALIGNMENT) {
    case TLFMT_RIGHT: return Qt::AlignRight | Qt::AlignVCenter;
    case TLFMT_CENTER: return Qt::AlignHCenter | Qt::AlignVCenter;
    default: return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

QVariant CTreeListModel::data(const QModelIndex& index, int role) const
{
    TreeListItem* item = ItemAt(index);
    if (!item) return {};
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(AlignmentOf(Column(index.column()).alignment));
    if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
    // Views ask while painting, where no box may open: a failure is reported afterwards.
    try {
        return CellText(item, index.column());
    } catch (...) {
        ReportCurrentExceptionLater();
        return NoText();
    }
}

QVariant CTreeListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount()) return {};
    if (role == Qt::DisplayRole) return Column(section).text;
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(AlignmentOf(Column(section).alignment));
    return {};
}

Qt::ItemFlags CTreeListModel::flags(const QModelIndex& index) const
{
    if (!ItemAt(index)) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (Column(index.column()).editMode != TLEM_NONE) f |= Qt::ItemIsEditable;
    return f;
}
