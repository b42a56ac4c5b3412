// Columns of the tree-list: insertion, changes, fixed and proportional widths, the
// remembered width, and the edit settings of each column.

#include "TreeListCtrl.h"

#include "QtGuard.h"
#include "TreeListModel.h"

#include <QHeaderView>

#include <cstdlib>

int CTreeListCtrl::GetColumnCount() const
{
    return m_model->ColumnCount();
}

const TreeListColumnState* CTreeListCtrl::ColumnState(int column) const
{
    return column >= 0 && column < GetColumnCount() ? &m_model->Column(column) : nullptr;
}

QString CTreeListCtrl::GetColumnText(int column) const
{
    const TreeListColumnState* s = ColumnState(column);
    return s ? s->text : QString();
}

int CTreeListCtrl::GetColumnWidth(int column) const
{
    if (!ColumnState(column) || isColumnHidden(column)) return 0;
    return header()->sectionSize(column);
}

int CTreeListCtrl::GetColumnWeight(int column) const
{
    const TreeListColumnState* s = ColumnState(column);
    return s && !s->fixed ? s->weight : 0;
}

int CTreeListCtrl::GetColumnRememberedWidth(int column) const
{
    const TreeListColumnState* s = ColumnState(column);
    return s ? s->remembered : -1;
}

int CTreeListCtrl::InsertColumn(int index, const TreeListColumn& column)
{
    const int count = GetColumnCount();
    if (count >= kTreeListMaxColumns || index < 0) return -1;
    const int at = std::min(index, count);

    TreeListColumnState s;
    const unsigned mask = column.mask;
    if (mask & TLCF_TEXT) s.text = column.text;
    if (mask & TLCF_FMT) s.alignment = column.fmt & TLFMT_ALIGNMENT;
    s.formatOptions = column.fmt & static_cast<int>(mask & (TLCF_OPTION1 | TLCF_OPTION3));
    if (mask & TLCF_IMAGE) s.image = column.iImage;
    s.minWidth = (mask & TLCF_MINWIDTH) ? std::abs(column.iOrder) : 16;
    if (mask & TLCF_WIDTH) {
        s.fixed = true;
        s.width = std::max(0, column.cx);
    } else {
        s.fixed = false;
        s.weight = (mask & TLCF_WEIGHT) ? std::clamp(column.cx, 1, 255) : 1;
    }

    m_model->InsertColumn(at, s);
    setHeaderHidden(false);
    for (int c = 0; c < GetColumnCount(); ++c) ApplySectionMode(c);
    RelayoutColumns();
    return at;
}

bool CTreeListCtrl::SetColumn(int index, const TreeListColumn& column)
{
    if (!ColumnState(index)) return false;
    TreeListColumnState& s = m_model->Column(index);
    const unsigned mask = column.mask;
    if (mask & TLCF_FMT) s.alignment = column.fmt & TLFMT_ALIGNMENT;
    if (mask & TLCF_IMAGE) s.image = column.iImage;
    if (mask & TLCF_TEXT) s.text = column.text;
    for (unsigned option : {TLCF_OPTION1, TLCF_OPTION3}) {
        if (mask & option) s.formatOptions = (s.formatOptions & ~static_cast<int>(option)) | (column.fmt & static_cast<int>(option));
    }

    // Remembering takes the width the column has before this call; a width given in the
    // same call is applied afterwards.
    const int current = GetColumnWidth(index);
    const int rememberedBefore = s.remembered;
    if (mask & TLCF_REMEMBER) {
        if (column.fmt & TLFMT_REMEMBER) {
            if (s.remembered < 0) s.remembered = current > 0 ? current : 100;
        } else {
            s.remembered = -1;
        }
    }
    if (mask & TLCF_WIDTH) {
        int width = column.cx;
        if (width == TLCW_REMEMBERED) {
            if (s.remembered >= 0) width = s.remembered;
            else if (rememberedBefore >= 0) width = rememberedBefore;
            else width = current;
        }
        s.fixed = true;
        s.width = std::max(0, width);
    }

    m_model->ColumnChanged(index);
    ApplySectionMode(index);
    RelayoutColumns();
    viewport()->update();
    return true;
}

void CTreeListCtrl::ApplySectionMode(int column)
{
    // Fixed columns may be widened by hand; proportional ones follow the control's width.
    header()->setSectionResizeMode(column, m_model->Column(column).fixed ? QHeaderView::Interactive : QHeaderView::Fixed);
}

void CTreeListCtrl::RelayoutColumns()
{
    const int count = GetColumnCount();
    if (count == 0 || m_layingOut) return;
    m_layingOut = true;

    int fixedSum = 0;
    int totalWeight = 0;
    int lastProportional = -1;
    for (int c = 0; c < count; ++c) {
        const TreeListColumnState& s = m_model->Column(c);
        if (s.fixed) {
            fixedSum += s.width;
        } else {
            totalWeight += s.weight;
            lastProportional = c;
        }
    }
    // The proportional columns share what the fixed ones leave, by weight; the last one takes
    // the rounding rest, and none gets less than its minimum.
    const int remaining = std::max(0, viewport()->width() - fixedSum);
    int given = 0;
    for (int c = 0; c < count; ++c) {
        const TreeListColumnState& s = m_model->Column(c);
        int width = s.width;
        if (!s.fixed) {
            width = c == lastProportional ? remaining - given : remaining * s.weight / totalWeight;
            given += width;
            width = std::max(width, s.minWidth);
        }
        setColumnHidden(c, width == 0);
        if (width > 0) header()->resizeSection(c, width);
    }
    m_layingOut = false;
}

void CTreeListCtrl::OnSectionResized(int column, int, int newSize)
{
    if (m_layingOut || !ColumnState(column)) return;
    TreeListColumnState& s = m_model->Column(column);
    if (!s.fixed || newSize == 0) return;
    s.width = newSize;
    RelayoutColumns();
}

void CTreeListCtrl::resizeEvent(QResizeEvent* event)
{
    QTreeView::resizeEvent(event);
    Guarded([this] { RelayoutColumns(); });
}

bool CTreeListCtrl::SetColumnEditMode(int column, int mode, unsigned options, const QStringList& items)
{
    if (!ColumnState(column) || mode < TLEM_NONE || mode > TLEM_LIST) return false;
    if (IsEditing() && m_editColumn == column) EndEdit(false);
    TreeListColumnState& s = m_model->Column(column);
    s.editMode = mode;
    s.editOptions = options & 0xFF;
    s.listItems = (mode == TLEM_COMBO || mode == TLEM_LIST) ? items : QStringList();
    return true;
}

bool CTreeListCtrl::SetColumnEditMode(unsigned packedSetting, const char16_t* const* items)
{
    const int column = static_cast<int>((packedSetting >> 11) & 0x3F);
    const int mode = static_cast<int>((packedSetting >> 8) & 0x7);
    const unsigned options = packedSetting & 0xFF;
    QStringList list;
    if (items) {
        for (const char16_t* const* p = items; *p; ++p) list << QString::fromUtf16(*p);
    }
    if (!SetColumnEditMode(column, mode, options, list)) return false;
    TreeListColumnState& s = m_model->Column(column);
    s.editOptions2 = (packedSetting >> 17) & 0xFF;
    s.editOptions3 = (packedSetting >> 25) & 0x7F;
    return true;
}

bool CTreeListCtrl::SetColumnInputKind(int column, unsigned kindFlags, int maxLength)
{
    if (!ColumnState(column)) return false;
    TreeListColumnState& s = m_model->Column(column);
    s.inputFlags = kindFlags & 0xFF;
    s.maxLength = maxLength < 0 ? -1 : maxLength;
    return true;
}

bool CTreeListCtrl::SetColumnInputKind(int column, unsigned packedKind)
{
    const auto maxLength = static_cast<std::int16_t>((packedKind >> 8) & 0xFFFF);
    return SetColumnInputKind(column, packedKind & 0xFF, maxLength);
}
