#include "MaterialListCtrl.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QPersistentModelIndex>

#include <algorithm>
#include <numeric>

// --- Model -------------------------------------------------------------------------------------

CMaterialListModel::CMaterialListModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

void CMaterialListModel::SetHeaders(const QStringList& headers)
{
    const int before = static_cast<int>(m_headers.size());
    const int after = static_cast<int>(headers.size());
    if (after > before) beginInsertColumns(QModelIndex(), before, after - 1);
    if (after < before) beginRemoveColumns(QModelIndex(), after, before - 1);
    m_headers = headers;
    if (after > before) endInsertColumns();
    if (after < before) endRemoveColumns();
    if (after > 0) emit headerDataChanged(Qt::Horizontal, 0, after - 1);
}

int CMaterialListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CMaterialListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_headers.size());
}

QVariant CMaterialListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) return {};
    CWexMaterial* material = m_rows[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: // the info tip: the whole text of a cell too narrow for it
        if (!material || !m_textProvider) return QString();
        try {
            return m_textProvider(material, index.column());
        } catch (...) {
            // The provider reports its own failures; the cell stays empty.
            return QString();
        }
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    default:
        return {};
    }
}

QVariant CMaterialListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_headers.size()) return {};
    if (role == Qt::DisplayRole) return m_headers[section];
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    return {};
}

Qt::ItemFlags CMaterialListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void CMaterialListModel::Clear()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

int CMaterialListModel::Append(CWexMaterial* material)
{
    const int row = static_cast<int>(m_rows.size());
    beginInsertRows(QModelIndex(), row, row);
    m_rows.push_back(material);
    endInsertRows();
    return row;
}

void CMaterialListModel::Assign(std::vector<CWexMaterial*> materials)
{
    beginResetModel();
    m_rows = std::move(materials);
    endResetModel();
}

bool CMaterialListModel::Remove(int row)
{
    if (row < 0 || row >= static_cast<int>(m_rows.size())) return false;
    beginRemoveRows(QModelIndex(), row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
    return true;
}

CWexMaterial* CMaterialListModel::Material(int row) const
{
    if (row < 0 || row >= static_cast<int>(m_rows.size())) return nullptr;
    return m_rows[static_cast<std::size_t>(row)];
}

bool CMaterialListModel::SetMaterial(int row, CWexMaterial* material)
{
    if (row < 0 || row >= static_cast<int>(m_rows.size())) return false;
    m_rows[static_cast<std::size_t>(row)] = material;
    Refresh(row, row);
    return true;
}

void CMaterialListModel::Sort(const std::function<int(CWexMaterial*, CWexMaterial*)>& compare)
{
    if (m_rows.size() < 2) return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);

    std::vector<int> order(m_rows.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return compare(m_rows[static_cast<std::size_t>(a)], m_rows[static_cast<std::size_t>(b)]) < 0; });

    std::vector<CWexMaterial*> sorted;
    sorted.reserve(m_rows.size());
    std::vector<int> newRowOf(m_rows.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        sorted.push_back(m_rows[static_cast<std::size_t>(order[i])]);
        newRowOf[static_cast<std::size_t>(order[i])] = static_cast<int>(i);
    }
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before)
        after << createIndex(newRowOf[static_cast<std::size_t>(index.row())], index.column());
    m_rows = std::move(sorted);
    changePersistentIndexList(before, after);

    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void CMaterialListModel::Refresh(int firstRow, int lastRow)
{
    firstRow = std::max(firstRow, 0);
    lastRow = std::min(lastRow, static_cast<int>(m_rows.size()) - 1);
    if (firstRow > lastRow || m_headers.isEmpty()) return;
    emit dataChanged(index(firstRow, 0), index(lastRow, static_cast<int>(m_headers.size()) - 1),
                     {Qt::DisplayRole, Qt::ToolTipRole});
}

// --- View ----------------------------------------------------------------------------------------

CMaterialListCtrl::CMaterialListCtrl(QWidget* parent)
    : QTableView(parent), m_model(new CMaterialListModel(this))
{
    setModel(m_model);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // One stop in the dialog's focus chain, as a report list: Tab moves on to the next control
    // (a table view would walk its cells and select the next row every third Tab).
    setTabKeyNavigation(false);
    setShowGrid(true);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setSectionsClickable(false);

    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &CMaterialListCtrl::OnSelectionChanged);
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] { m_selectionMark = -1; });
    connect(m_model, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex&, int, int) { m_markBeforeRemoval = m_selectionMark; });
    connect(m_model, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex&, int first, int last) { OnRowsRemoved(first, last); });
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) emit itemDoubleClicked(index.row());
    });
}

QModelIndex CMaterialListCtrl::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    if ((action == MoveHome || action == MoveEnd) && m_model->rowCount() > 0) {
        const int column = currentIndex().isValid() ? currentIndex().column() : 0;
        return m_model->index(action == MoveHome ? 0 : m_model->rowCount() - 1, column);
    }
    return QTableView::moveCursor(action, modifiers);
}

void CMaterialListCtrl::SetColumns(const QStringList& headers, const QList<int>& widths)
{
    m_model->SetHeaders(headers);
    for (int i = 0; i < widths.size() && i < headers.size(); ++i) setColumnWidth(i, widths[i]);
}

int CMaterialListCtrl::GetItemCount() const
{
    return m_model->rowCount();
}

int CMaterialListCtrl::InsertItem(CWexMaterial* material)
{
    return m_model->Append(material);
}

void CMaterialListCtrl::SetAllItems(std::vector<CWexMaterial*> materials)
{
    m_model->Assign(std::move(materials));
}

bool CMaterialListCtrl::DeleteItem(int row)
{
    return m_model->Remove(row);
}

void CMaterialListCtrl::DeleteAllItems()
{
    m_model->Clear();
}

CWexMaterial* CMaterialListCtrl::GetItemData(int row) const
{
    return m_model->Material(row);
}

bool CMaterialListCtrl::SetItemData(int row, CWexMaterial* material)
{
    return m_model->SetMaterial(row, material);
}

QString CMaterialListCtrl::GetItemText(int row, int column) const
{
    return m_model->data(m_model->index(row, column), Qt::DisplayRole).toString();
}

void CMaterialListCtrl::SortItems(const std::function<int(CWexMaterial*, CWexMaterial*)>& compare)
{
    const QPersistentModelIndex mark(m_model->index(m_selectionMark, 0));
    m_model->Sort(compare);
    if (mark.isValid()) m_selectionMark = mark.row();
}

void CMaterialListCtrl::RedrawItems(int firstRow, int lastRow)
{
    m_model->Refresh(firstRow, lastRow);
    viewport()->update();
}

int CMaterialListCtrl::GetSelectedRow() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void CMaterialListCtrl::SelectItem(int row)
{
    if (row < 0 || row >= GetItemCount()) {
        selectionModel()->clearSelection();
        return;
    }
    const QModelIndex index = m_model->index(row, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_selectionMark = row;
    scrollTo(index);
}

int CMaterialListCtrl::HitTest(const QPoint& viewportPos) const
{
    const QModelIndex index = indexAt(viewportPos);
    return index.isValid() ? index.row() : -1;
}

void CMaterialListCtrl::OnSelectionChanged()
{
    const int row = GetSelectedRow();
    if (row < 0) return;
    m_selectionMark = row;
    emit itemSelected(row);
}

void CMaterialListCtrl::OnRowsRemoved(int first, int last)
{
    int mark = m_markBeforeRemoval;
    const int count = GetItemCount();
    if (mark > last) mark -= last - first + 1;
    else if (mark >= first) mark = std::min(first, count - 1);
    m_selectionMark = count == 0 ? -1 : mark;
}
