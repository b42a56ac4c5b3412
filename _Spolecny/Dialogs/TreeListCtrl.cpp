#include "TreeListCtrl.h"

#include "QtGuard.h"
#include "QyAcDialog.h"
#include "TreeListDelegate.h"
#include "TreeListModel.h"

#include <QHeaderView>
#include <QMouseEvent>

int TreeListOwner::OnTreeListCheckCell(CTreeListCtrl&, CCheckedEdit&, const TreeListEditInfo&)
{
    return 0;
}

int TreeListOwner::OnTreeListEndEdit(CTreeListCtrl&, const TreeListEditInfo&)
{
    return 0;
}

int TreeListOwner::OnTreeListSetText(CTreeListCtrl&, const TreeListEditInfo&)
{
    return 0;
}

CTreeListCtrl::CTreeListCtrl(QWidget* parent)
    : QTreeView(parent), m_model(new CTreeListModel(this)), m_delegate(new CTreeListDelegate(this))
{
    m_model->SetTextProvider([this](TreeListItem* item, int column, QString& text) { return AskText(item, column, text); });
    QTreeView::setModel(m_model);
    setItemDelegate(m_delegate);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setRootIsDecorated(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    QHeaderView* h = header();
    h->setStretchLastSection(false);
    h->setSectionsMovable(false);
    h->setSectionsClickable(false);
    h->setHighlightSections(false);
    h->setMinimumSectionSize(0);
    h->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setHeaderHidden(true);
    connect(h, &QHeaderView::sectionResized, this,
            [this](int column, int oldSize, int newSize) { Guarded([&] { OnSectionResized(column, oldSize, newSize); }); });
    m_elapsed.start();
}

CTreeListCtrl::~CTreeListCtrl()
{
    // Nothing may reach the control or its owner while the base classes tear down the
    // view, the open editor and the model.
    m_owner = nullptr;
    m_model->SetTextProvider(nullptr);
    m_delegate->DetachControl();
    ForgetEdit();
}

bool CTreeListCtrl::Create(unsigned style, CQyAcDialog* dialog)
{
    if (!dialog) return false;
    if (parentWidget() != dialog) setParent(dialog);
    QWidget* placeholder = dialog->GetDlgItem(kPlaceholderId);
    if (placeholder) {
        setGeometry(placeholder->geometry());
        dialog->SetControlAnchors(this, dialog->ControlAnchors(placeholder));
        placeholder->hide();
        if (accessibleName().isEmpty()) setAccessibleName(placeholder->accessibleName());
        if (accessibleDescription().isEmpty()) setAccessibleDescription(placeholder->accessibleDescription());
        // The placeholder's place in the focus chain too: after the last control before it that
        // takes the focus (Qt does not chain a widget without focus).
        for (QWidget* w = placeholder->previousInFocusChain(); w && w != placeholder; w = w->previousInFocusChain()) {
            if (w != this && w->focusPolicy() != Qt::NoFocus && dialog->isAncestorOf(w)) {
                QWidget::setTabOrder(w, this);
                break;
            }
        }
    }
    dialog->RegisterControl(kControlId, this);
    CQyAcDialog::MakeReadableWhenDisabled(this); // the selection dialog shows it disabled
    SetStyle(style);
    if (auto* owner = dynamic_cast<TreeListOwner*>(dialog)) m_owner = owner;
    show();
    return placeholder != nullptr;
}

void CTreeListCtrl::SetStyle(unsigned style)
{
    m_style = style;
    setRootIsDecorated((style & TLS_LINESATROOT) != 0);
    setItemsExpandable((style & TLS_HASBUTTONS) != 0);
    setFrameShape((style & TLS_BORDER) ? QFrame::StyledPanel : QFrame::NoFrame);
}

void CTreeListCtrl::SetExtendedStyle(unsigned mask, unsigned style)
{
    if (mask == 0) mask = ~0u;
    m_exStyle = (m_exStyle & ~mask) | (style & mask);
    setAllColumnsShowFocus(!CellSelection());
    if (!CellSelection()) m_caretColumn = 0;
    viewport()->update();
}

// --- Items --------------------------------------------------------------------------------------

QModelIndex CTreeListCtrl::IndexOf(TreeListItem* item, int column) const
{
    return m_model->IndexOf(item, column);
}

bool CTreeListCtrl::IsItem(const TreeListItem* item) const
{
    return m_model->IsLive(item);
}

TreeListItem* CTreeListCtrl::InsertItem(const QString& text, void* data, TreeListItem* parent, TreeListItem* after)
{
    return m_model->InsertItem(parent, after, TreeListCell{text, false}, data);
}

TreeListItem* CTreeListCtrl::InsertCallbackItem(void* data, TreeListItem* parent, TreeListItem* after)
{
    return m_model->InsertItem(parent, after, TreeListCell{QString(), true}, data);
}

bool CTreeListCtrl::SetItemText(TreeListItem* item, int column, const QString& text)
{
    return m_model->SetCell(item, column, TreeListCell{text, false});
}

bool CTreeListCtrl::SetItemCallbackText(TreeListItem* item, int column)
{
    return m_model->SetCell(item, column, TreeListCell{QString(), true});
}

QString CTreeListCtrl::GetItemText(TreeListItem* item, int column) const
{
    return m_model->CellText(item, column);
}

namespace {
bool IsWithin(const TreeListItem* ancestor, const TreeListItem* item)
{
    for (; item; item = item->parent) {
        if (item == ancestor) return true;
    }
    return false;
}
} // namespace

bool CTreeListCtrl::DeleteItem(TreeListItem* item)
{
    if (!item || item == TLI_ROOT) {
        DeleteAllItems();
        return true;
    }
    if (!IsItem(item)) return false;
    if (IsEditing() && IsWithin(item, m_editItem)) EndEdit(false);
    // The selection leaves the row first; its owner may still read the row's data then.
    if (IsItem(m_caretItem) && IsWithin(item, m_caretItem)) SelectItem(nullptr);
    if (IsItem(item)) m_model->RemoveItem(item);
    return true;
}

void CTreeListCtrl::DeleteAllItems()
{
    if (IsEditing()) EndEdit(false);
    if (m_caretItem) SelectItem(nullptr);
    m_caretItem = nullptr;
    m_model->RemoveAll();
}

int CTreeListCtrl::GetCount() const
{
    return m_model->Count();
}

void* CTreeListCtrl::GetItemData(TreeListItem* item) const
{
    return IsItem(item) ? item->data : nullptr;
}

TreeListItem* CTreeListCtrl::GetNextItem(TreeListItem* item, unsigned code) const
{
    TreeListItem* root = m_model->Root();
    auto child = [](TreeListItem* p, std::size_t i) -> TreeListItem* {
        return i < p->children.size() ? p->children[i].get() : nullptr;
    };
    switch (code) {
    case TLGN_ROOT: return child(root, 0);
    case TLGN_CARET: return IsItem(m_caretItem) ? m_caretItem : nullptr;
    case TLGN_CHILD:
        if (!item || item == TLI_ROOT) return child(root, 0);
        return IsItem(item) ? child(item, 0) : nullptr;
    case TLGN_FIRSTVISIBLE: return m_model->ItemAt(indexAt(QPoint(1, 1)));
    case TLGN_LASTVISIBLE: {
        const auto visible = VisibleItems();
        return visible.empty() ? nullptr : visible.back();
    }
    default: break;
    }
    if (!IsItem(item)) return nullptr;
    switch (code) {
    case TLGN_NEXT: return child(item->parent, static_cast<std::size_t>(item->row) + 1);
    case TLGN_PREVIOUS: return item->row > 0 ? child(item->parent, static_cast<std::size_t>(item->row) - 1) : nullptr;
    case TLGN_PARENT: return item->parent == root ? nullptr : item->parent;
    case TLGN_NEXTVISIBLE: return m_model->ItemAt(indexBelow(IndexOf(item, 0)));
    case TLGN_PREVIOUSVISIBLE: return m_model->ItemAt(indexAbove(IndexOf(item, 0)));
    default: return nullptr;
    }
}

int CTreeListCtrl::GetSelectedColumn() const
{
    return CellSelection() ? m_caretColumn : 0;
}

bool CTreeListCtrl::SortChildren(TreeListItem* parent, const std::function<int(void*, void*)>& compare)
{
    if (!m_model->ResolveParent(parent)) return false;
    m_model->SortChildren(parent, compare);
    return true;
}

bool CTreeListCtrl::SelectItem(TreeListItem* item, int column)
{
    if (!item || item == TLI_ROOT) {
        if (selectionModel()->currentIndex().isValid() || m_caretItem)
            selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::Clear);
        m_caretItem = nullptr;
        return false;
    }
    if (!IsItem(item) || GetColumnCount() == 0) return false;
    const int col = CellSelection() ? std::clamp(column, 0, GetColumnCount() - 1) : 0;
    for (TreeListItem* p = item->parent; p && p != m_model->Root(); p = p->parent) expand(IndexOf(p, 0));
    const QModelIndex index = IndexOf(item, col);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (CellSelection()) m_caretColumn = col;
    scrollTo(index);
    viewport()->update();
    return GetSelectedItem() == item;
}

void CTreeListCtrl::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    if (IsEditing() && !m_ending && m_model->ItemAt(current) != m_editItem) Guarded([this] { EndEdit(false); });
    QTreeView::currentChanged(current, previous);
    TreeListItem* item = m_model->ItemAt(current);
    if (CellSelection() && current.isValid()) m_caretColumn = current.column();
    if (item != m_caretItem) {
        TreeListItem* old = IsItem(m_caretItem) ? m_caretItem : nullptr;
        m_caretItem = item;
        Guarded([&] { emit itemSelectionChanged(old, item); });
    }
    viewport()->update();
}

// --- Owner calls ------------------------------------------------------------------------------------

bool CTreeListCtrl::AskText(TreeListItem* item, int column, QString& text)
{
    if (!m_owner || !IsItem(item)) return false;
    try {
        return m_owner->OnTreeListGetText(*this, TreeListTextRequest{item, column, item->data, 259}, text);
    } catch (...) {
        // Texts are asked for while painting: the report waits until painting is over.
        ReportCurrentExceptionLater();
        return false;
    }
}

int CTreeListCtrl::AskCheckCell(CCheckedEdit& editor, const TreeListEditInfo& info)
{
    if (!m_owner) return 0;
    try {
        return m_owner->OnTreeListCheckCell(*this, editor, info);
    } catch (...) {
        ReportCurrentException();
        return 1; // a check that failed accepts nothing; the editor stays open
    }
}

int CTreeListCtrl::AskEndEdit(const TreeListEditInfo& info)
{
    if (!m_owner) return 0;
    try {
        return m_owner->OnTreeListEndEdit(*this, info);
    } catch (...) {
        ReportCurrentException();
        return 1;
    }
}

void CTreeListCtrl::AskSetText(const TreeListEditInfo& info)
{
    if (!m_owner) return;
    try {
        m_owner->OnTreeListSetText(*this, info);
    } catch (...) {
        ReportCurrentException();
    }
}
