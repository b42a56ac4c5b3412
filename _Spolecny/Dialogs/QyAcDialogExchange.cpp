// Dialog data exchange: members to controls and back, with the standard length check.

#include "QyAcDialog.h"

#include "WindowServices.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>

bool CQyAcDialog::UpdateData(bool saveAndValidate)
{
    m_exchangeFailed = false;
    DoDataExchange(saveAndValidate);
    return !m_exchangeFailed;
}

void CQyAcDialog::DDX_Text(bool save, int id, QString& value)
{
    if (m_exchangeFailed) return;
    QWidget* control = GetDlgItem(id);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        if (save) value = edit->text();
        else if (edit->text() != value) edit->setText(value);
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        if (save) {
            value = combo->currentText();
        } else if (combo->isEditable()) {
            combo->setEditText(value);
        } else {
            combo->setCurrentIndex(combo->findText(value, Qt::MatchExactly));
        }
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        if (save) value = label->text();
        else label->setText(value);
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        if (save) value = button->text();
        else button->setText(value);
    }
}

void CQyAcDialog::DDX_Text(bool save, int id, std::u16string& value)
{
    QString text = QString::fromStdU16String(value);
    DDX_Text(save, id, text);
    if (save && !m_exchangeFailed) value = text.toStdU16String();
}

void CQyAcDialog::DDX_Check(bool save, int id, bool& value)
{
    if (m_exchangeFailed) return;
    auto* button = GetDlgItemAs<QAbstractButton>(id);
    if (!button) return;
    if (save) value = button->isChecked();
    else button->setChecked(value);
}

void CQyAcDialog::DDX_Radio(bool save, int firstId, int lastId, int& value)
{
    if (m_exchangeFailed) return;
    if (save) {
        value = -1;
        for (int id = firstId; id <= lastId; ++id) {
            auto* button = GetDlgItemAs<QAbstractButton>(id);
            if (button && button->isChecked()) {
                value = id - firstId;
                break;
            }
        }
        return;
    }
    for (int id = firstId; id <= lastId; ++id) {
        auto* button = GetDlgItemAs<QAbstractButton>(id);
        if (!button) continue;
        const bool checked = id - firstId == value;
        QButtonGroup* group = button->group();
        const bool inExclusiveGroup = group && group->exclusive();
        if (!checked && button->isChecked() && (button->autoExclusive() || inExclusiveGroup)) {
            // The checked button of an exclusive group cannot be unchecked directly.
            const bool autoExclusive = button->autoExclusive();
            if (inExclusiveGroup) group->setExclusive(false);
            button->setAutoExclusive(false);
            button->setChecked(false);
            button->setAutoExclusive(autoExclusive);
            if (inExclusiveGroup) group->setExclusive(true);
        } else {
            button->setChecked(checked);
        }
    }
}

void CQyAcDialog::DDX_CBIndex(bool save, int id, int& index)
{
    if (m_exchangeFailed) return;
    auto* combo = GetDlgItemAs<QComboBox>(id);
    if (!combo) return;
    if (save) index = combo->currentIndex();
    else combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

void CQyAcDialog::DDV_MaxChars(bool save, int id, const QString& value, int maxChars)
{
    if (m_exchangeFailed) return;
    if (!save) {
        // A text already longer than the limit stays whole (the limit would cut it); saving
        // then refuses it, so nothing is lost without the user seeing it.
        if (auto* edit = GetDlgItemAs<QLineEdit>(id))
            edit->setMaxLength(std::max<int>(maxChars, static_cast<int>(edit->text().size())));
        return;
    }
    if (value.size() > maxChars) FailExchange(id, TooLongTextMessage(maxChars));
}

QString CQyAcDialog::TooLongTextMessage(int maxChars)
{
    // Czech counts 1 "znak", 2 to 4 "znaky", otherwise "znaků".
    const QString noun = maxChars == 1                  ? QStringLiteral("znak")
                         : maxChars >= 2 && maxChars <= 4 ? QStringLiteral("znaky")
                                                          : QStringLiteral("znaků");
    return QStringLiteral("Zadejte nejvýše %1 %2.").arg(maxChars).arg(noun);
}

void CQyAcDialog::DDV_MaxChars(bool save, int id, const std::u16string& value, int maxChars)
{
    DDV_MaxChars(save, id, QString::fromStdU16String(value), maxChars);
}

void CQyAcDialog::FailExchange(int focusId, const QString& message)
{
    if (m_exchangeFailed) return;
    m_exchangeFailed = true;
    GetWindowServices().ShowMessage(message.toStdU16String(), kProgramTitle, MessageIcon::Warning, MessageButtons::Ok);
    if (QWidget* control = GetDlgItem(focusId)) {
        control->setFocus(Qt::OtherFocusReason);
        if (auto* edit = qobject_cast<QLineEdit*>(control)) edit->selectAll();
    }
}
