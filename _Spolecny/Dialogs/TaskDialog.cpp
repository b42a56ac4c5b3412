#include "TaskDialog.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

QIcon MessageIconImage(MessageIcon icon)
{
    QStyle* style = QApplication::style();
    switch (icon) {
    case MessageIcon::Information: return style->standardIcon(QStyle::SP_MessageBoxInformation);
    case MessageIcon::Warning: return style->standardIcon(QStyle::SP_MessageBoxWarning);
    case MessageIcon::Error: return style->standardIcon(QStyle::SP_MessageBoxCritical);
    case MessageIcon::Question: return style->standardIcon(QStyle::SP_MessageBoxQuestion);
    case MessageIcon::None: break;
    }
    return {};
}

CTaskDialog::CTaskDialog(const TaskDialogSpec& request, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QString::fromStdU16String(request.title));
    setModal(true);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    // The upper, white panel: icon, main instruction, content.
    auto* panel = new QWidget(this);
    panel->setAutoFillBackground(true);
    QPalette panelPalette = panel->palette();
    panelPalette.setColor(QPalette::Window, Qt::white);
    panel->setPalette(panelPalette);
    auto* panelRow = new QHBoxLayout(panel);
    panelRow->setContentsMargins(12, 12, 16, 16);
    panelRow->setSpacing(12);
    const QIcon icon = MessageIconImage(request.icon);
    if (!icon.isNull()) {
        auto* iconLabel = new QLabel(panel);
        iconLabel->setObjectName(QStringLiteral("taskIcon"));
        iconLabel->setPixmap(icon.pixmap(32, 32));
        iconLabel->setAlignment(Qt::AlignTop);
        panelRow->addWidget(iconLabel, 0, Qt::AlignTop);
    }
    auto* texts = new QVBoxLayout;
    texts->setSpacing(8);
    if (!request.mainInstruction.empty()) {
        auto* instruction = new QLabel(QString::fromStdU16String(request.mainInstruction), panel);
        instruction->setObjectName(QStringLiteral("taskMainInstruction"));
        instruction->setTextFormat(Qt::PlainText);
        instruction->setWordWrap(true);
        QFont big = instruction->font();
        big.setPointSizeF(big.pointSizeF() * 1.35);
        big.setBold(true);
        instruction->setFont(big);
        QPalette p = instruction->palette();
        p.setColor(QPalette::WindowText, QColor(0, 51, 153));
        instruction->setPalette(p);
        texts->addWidget(instruction);
    }
    if (!request.content.empty()) {
        auto* content = new QLabel(QString::fromStdU16String(request.content), panel);
        content->setObjectName(QStringLiteral("taskContent"));
        content->setTextFormat(Qt::PlainText);
        content->setWordWrap(true);
        texts->addWidget(content);
    }
    texts->addStretch();
    panelRow->addLayout(texts, 1);
    outer->addWidget(panel, 1);

    // Details on request, as a task dialog's expanded information: a toggle below the panel
    // and the text, read-only and selectable, hidden until asked for.
    if (!request.expandedInformation.empty()) {
        auto* expander = new QWidget(this);
        auto* column = new QVBoxLayout(expander);
        column->setContentsMargins(12, 8, 12, 0);
        auto* toggle = new QToolButton(expander);
        toggle->setObjectName(QStringLiteral("taskDetailsToggle"));
        toggle->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        toggle->setArrowType(Qt::DownArrow);
        toggle->setText(QStringLiteral("Zobrazit podrobnosti"));
        toggle->setCheckable(true);
        toggle->setAutoRaise(true);
        auto* details = new QPlainTextEdit(QString::fromStdU16String(request.expandedInformation), expander);
        details->setObjectName(QStringLiteral("taskDetails"));
        details->setReadOnly(true);
        details->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        details->setMinimumHeight(180);
        details->setVisible(false);
        column->addWidget(toggle, 0, Qt::AlignLeft);
        column->addWidget(details, 1);
        outer->addWidget(expander);
        connect(toggle, &QToolButton::toggled, this, [this, toggle, details](bool shown) {
            details->setVisible(shown);
            toggle->setArrowType(shown ? Qt::UpArrow : Qt::DownArrow);
            toggle->setText(shown ? QStringLiteral("Skrýt podrobnosti") : QStringLiteral("Zobrazit podrobnosti"));
            adjustSize();
        });
    }

    // The lower panel: the buttons, right-aligned, custom ones first.
    auto* bar = new QWidget(this);
    m_buttonRow = new QHBoxLayout(bar);
    m_buttonRow->setContentsMargins(12, 10, 12, 10);
    m_buttonRow->addStretch();
    outer->addWidget(bar);

    for (const TaskDialogButton& b : request.customButtons) AddButton(b.id, QString::fromStdU16String(b.text));
    if (request.commonButtons & TaskButtonOk) AddButton(IDOK, QStringLiteral("OK"));
    if (request.commonButtons & TaskButtonYes) AddButton(IDYES, QStringLiteral("Ano"));
    if (request.commonButtons & TaskButtonNo) AddButton(IDNO, QStringLiteral("Ne"));
    if (request.commonButtons & TaskButtonCancel) AddButton(IDCANCEL, QStringLiteral("Storno"));
    if (m_buttons.empty()) AddButton(IDOK, QStringLiteral("OK"));

    QPushButton* defaultButton = Button(request.defaultButton);
    if (!defaultButton) defaultButton = m_buttons.front().second;
    defaultButton->setDefault(true);
    defaultButton->setFocus(Qt::OtherFocusReason);

    setMinimumWidth(360);
    setMaximumWidth(640);
}

void CTaskDialog::AddButton(int id, const QString& text)
{
    auto* button = new QPushButton(text, this);
    button->setObjectName(QStringLiteral("taskButton%1").arg(id));
    m_buttonRow->addWidget(button);
    m_buttons.emplace_back(id, button);
    if (id == IDCANCEL) m_dismissible = true;
    connect(button, &QPushButton::clicked, this, [this, id] { done(id); });
}

QPushButton* CTaskDialog::Button(int id) const
{
    for (const auto& [buttonId, button] : m_buttons) {
        if (buttonId == id) return button;
    }
    return nullptr;
}

void CTaskDialog::reject()
{
    // Escape and the close box: the platform's cancel code, when the dialog offers it.
    if (m_dismissible) done(IDCANCEL);
}
