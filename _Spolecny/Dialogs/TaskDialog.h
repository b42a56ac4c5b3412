#pragma once
// A task dialog on Qt: title, main instruction in larger text, content, icon, details that a
// toggle shows on request, custom buttons followed by common buttons, one of them the
// default. Pressing a button closes it with that button's id. Escape and the close box close
// it with IDCANCEL, but only when one of its buttons has that id (a common Cancel or a custom
// button with id 2), as on the platform the design was written for; otherwise they do nothing.

#include "WindowServices.h"

#include <QDialog>

#include <vector>

class QPushButton;

class CTaskDialog : public QDialog {
    Q_OBJECT

public:
    explicit CTaskDialog(const TaskDialogSpec& request, QWidget* parent = nullptr);

    // The button that answers `id`, or null (objectName "taskButton<id>").
    QPushButton* Button(int id) const;
    bool CanBeDismissed() const { return m_dismissible; }

protected:
    void reject() override;

private:
    void AddButton(int id, const QString& text);

    std::vector<std::pair<int, QPushButton*>> m_buttons;
    bool m_dismissible = false;
    class QHBoxLayout* m_buttonRow = nullptr;
};

// The icon shown for `icon` at 32 x 32 (null for MessageIcon::None).
QIcon MessageIconImage(MessageIcon icon);
