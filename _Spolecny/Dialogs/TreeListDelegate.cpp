#include "TreeListDelegate.h"

#include "QtGuard.h"
#include "TreeListCtrl.h"
#include "TreeListModel.h"

#include <QComboBox>
#include <QPainter>
#include <QTimer>

#include <algorithm>

CTreeListDelegate::CTreeListDelegate(CTreeListCtrl* control) : QStyledItemDelegate(control), m_control(control)
{
}

QWidget* CTreeListDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const
{
    QWidget* editor = nullptr;
    if (m_control) Guarded([&] { editor = m_control->CreateCellEditor(parent, index); });
    return editor;
}

void CTreeListDelegate::setEditorData(QWidget*, const QModelIndex&) const
{
    // The control fills its editor once when the edit starts; refilling it on every change of
    // the row would overwrite what the user typed.
}

void CTreeListDelegate::setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const
{
    // The control checks and stores the edited text itself (CTreeListCtrl::EndEdit).
}

void CTreeListDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex&) const
{
    QRect r = option.rect;
    if (qobject_cast<QComboBox*>(editor)) {
        // A drop-down in a narrow column would cut its entries ("DN 15" for "DN 150"): it is as
        // wide as its longest entry needs, kept inside the control where it can be.
        const int width = std::max(r.width(), editor->sizeHint().width());
        const int right = editor->parentWidget() ? editor->parentWidget()->width() : r.left() + width;
        r.setLeft(std::max(0, std::min(r.left(), right - width)));
        r.setWidth(width);
    }
    editor->setGeometry(r);
}

void CTreeListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (!m_control) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem opt(option);
    const unsigned exStyle = m_control->GetExtendedStyle();
    const bool cellSelection = (exStyle & TLXS_CELLSELECT) != 0;
    const bool caretCell = cellSelection && m_control->Model()->ItemAt(index) == m_control->GetSelectedItem() &&
                           index.column() == m_control->GetSelectedColumn();
    if (cellSelection && !(exStyle & TLXS_ROWMARK) && !caretCell) opt.state &= ~QStyle::State_Selected;
    QStyledItemDelegate::paint(painter, opt, index);

    painter->save();
    if (exStyle & TLXS_GRIDLINES) {
        painter->setPen(QColor(220, 220, 220));
        painter->drawLine(opt.rect.bottomLeft(), opt.rect.bottomRight());
        painter->drawLine(opt.rect.topRight(), opt.rect.bottomRight());
    }
    if (caretCell) {
        // The marked cell of the selected row.
        const bool active = m_control->hasFocus();
        painter->setPen(QPen(opt.palette.color(active ? QPalette::Active : QPalette::Inactive, QPalette::Highlight).darker(150), 2));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(QRectF(opt.rect).adjusted(1, 1, -1, -1));
    }
    painter->restore();
}

bool CTreeListDelegate::eventFilter(QObject* object, QEvent* event)
{
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget || !m_control) return false;
    bool handled = false;
    Guarded([&] { handled = m_control->HandleEditorEvent(widget, event); });
    return handled;
}

void CTreeListCombo::hidePopup()
{
    m_popupClosing = true;
    QComboBox::hidePopup();
    QTimer::singleShot(0, this, [this] { m_popupClosing = false; });
}
