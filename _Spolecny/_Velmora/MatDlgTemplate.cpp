#include "MatDlgTemplate.h"

#include "MaterialListCtrl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>

namespace {

QWidget* MakeControl(const TemplateControlSpec& control)
{
    const QString text = QString::fromUtf8(control.text ? control.text : "");
    switch (control.kind) {
    case TemplateControl::Caption:
    case TemplateControl::Label:
        return new QLabel(text);
    case TemplateControl::LabelRight: {
        auto* label = new QLabel(text);
        label->setAlignment(Qt::AlignRight | Qt::AlignTop);
        return label;
    }
    case TemplateControl::Check:
        return new QCheckBox(text);
    case TemplateControl::Radio:
        return new QRadioButton(text);
    case TemplateControl::Edit:
        return new QLineEdit(text);
    case TemplateControl::ListView:
        return new CMaterialListCtrl;
    case TemplateControl::DropDown: {
        auto* combo = new QComboBox;
        combo->setEditable(false);
        return combo;
    }
    case TemplateControl::Button:
        return new QPushButton(text);
    case TemplateControl::DefaultButton: {
        auto* button = new QPushButton(text);
        button->setDefault(true);
        return button;
    }
    case TemplateControl::GroupBox:
        return new QGroupBox(text);
    case TemplateControl::Frame: {
        auto* frame = new QFrame;
        frame->setFrameShape(QFrame::Box);
        frame->setFrameShadow(QFrame::Plain);
        QPalette palette = frame->palette();
        palette.setColor(QPalette::WindowText, Qt::black);
        frame->setPalette(palette);
        return frame;
    }
    }
    return new QWidget;
}

} // namespace

void BuildTemplate(CQyAcDialog& dialog, std::span<const TemplateControlSpec> controls,
                   const std::map<int, QWidget*>& premade)
{
    QWidget* previous = nullptr;
    QLabel* pendingLabel = nullptr;
    for (const TemplateControlSpec& s : controls) {
        QWidget* control = nullptr;
        if (auto it = premade.find(s.id); s.id != -1 && it != premade.end() && it->second) {
            control = it->second;
        } else {
            control = MakeControl(s);
        }
        QRect du = s.du;
        if (s.kind == TemplateControl::DropDown) du.setHeight(kDropDownClosedHeight);
        dialog.AddControl(s.id, du, control, s.anchors);
        CQyAcDialog::MakeReadableWhenDisabled(control);
        // Group boxes and frames stand behind the controls placed over them.
        if (s.kind == TemplateControl::GroupBox || s.kind == TemplateControl::Frame) control->lower();

        // The focus chain is the table's order, whenever each widget was made (the validated
        // edits exist before the template is built); Qt chains only widgets that take the focus.
        if (control->focusPolicy() != Qt::NoFocus) {
            if (previous) QWidget::setTabOrder(previous, control);
            previous = control;
        }

        // A label names the field that follows it, for screen readers and its mnemonic.
        if (pendingLabel && (s.kind == TemplateControl::Edit || s.kind == TemplateControl::DropDown))
            pendingLabel->setBuddy(control);
        const bool isLabel = s.kind == TemplateControl::Label || s.kind == TemplateControl::LabelRight;
        pendingLabel = isLabel ? qobject_cast<QLabel*>(control) : nullptr;
    }
}
