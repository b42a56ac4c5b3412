#pragma once
// The tree-list's item delegate: paints the marked cell and grid lines, and creates, places
// and watches the in-place editors, leaving every decision to the control (which checks and
// stores the edited text itself).

#include <QComboBox>
#include <QStyledItemDelegate>

class CTreeListCtrl;

class CTreeListDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit CTreeListDelegate(CTreeListCtrl* control);
    // The control is going: from now on the delegate paints plainly and edits nothing.
    void DetachControl() { m_control = nullptr; }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    CTreeListCtrl* m_control;
};

// The drop-down editor. It tells whether its popup has just closed, so that an entry chosen
// there ends the edit while arrow keys on the closed box only browse.
class CTreeListCombo : public QComboBox {
public:
    using QComboBox::QComboBox;
    void hidePopup() override;
    bool ChosenFromPopup() const { return m_popupClosing; }

private:
    bool m_popupClosing = false;
};
