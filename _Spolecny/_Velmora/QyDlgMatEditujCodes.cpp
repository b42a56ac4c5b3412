// The editing dialog's two price-list code edits (11081, 11072): they show the codes of the
// profile table's selected row, and a typed code goes into that row's profile as it is typed,
// so it lands in the profile it was typed for whatever the user does next.

#include "QyDlgMatEdituj.h"

#include "CWexProfil.h"
#include "ErrorBalloon.h"
#include "QtGuard.h"
#include "TreeListCtrl.h"

#include <QLineEdit>

using namespace MatDlgId;

namespace {

// The edits take one character more than a profile holds, so that a 10-character code read
// from a file is shown whole; a typed code of that length is refused with a message.
constexpr int kCodeEditLimit = 10;
constexpr int kCodeMaxChars = static_cast<int>(CWexProfil::kCodeCapacity) - 1;

} // namespace

void CQyDlgMatEdituj::ConnectProfileCodeEdits()
{
    for (int id : {IdcUrsAssembly, IdcUrsMaterial}) {
        auto* edit = GetDlgItemAs<QLineEdit>(id);
        if (!edit) continue;
        edit->setMaxLength(kCodeEditLimit);
        connect(edit, &QLineEdit::textEdited, this,
                [this, id](const QString& text) { Guarded([&] { OnProfileCodeEdited(id, text); }); });
    }
}

void CQyDlgMatEdituj::OnProfileCodeEdited(int id, const QString& text)
{
    (id == IdcUrsAssembly ? m_strUrsAssembly : m_strUrsMaterial) = text;
    if (text.size() > kCodeMaxChars) {
        auto* edit = GetDlgItemAs<QLineEdit>(id);
        auto* balloon = edit->findChild<CErrorBalloon*>(QString(), Qt::FindDirectChildrenOnly);
        if (!balloon) balloon = new CErrorBalloon(edit);
        balloon->ShowAt(16, QStringLiteral("Chybný vstup"),
                        QStringLiteral("Kód URS může mít nejvýše %1 znaků; delší kód se neuloží.").arg(kCodeMaxChars));
        return;
    }
    CommitProfileCodes();
}

void CQyDlgMatEdituj::CommitProfileCodes()
{
    // The row may have gone with its profile (a deleted material, a loaded catalog): then
    // there is nothing left to store into.
    if (!m_pCodesProfile || !m_treeProf->IsItem(m_pCodesItem) || m_treeProf->GetItemData(m_pCodesItem) != m_pCodesProfile)
        return;
    struct Code {
        int id;
        QString* member;
        void (CWexProfil::*store)(const std::u16string&);
        std::u16string (CWexProfil::*stored)() const;
    };
    const Code codes[] = {
        {IdcUrsAssembly, &m_strUrsAssembly, &CWexProfil::SetUrsAssembly, &CWexProfil::UrsAssembly},
        {IdcUrsMaterial, &m_strUrsMaterial, &CWexProfil::SetUrsMaterial, &CWexProfil::UrsMaterial},
    };
    for (const Code& code : codes) {
        const auto* edit = GetDlgItemAs<QLineEdit>(code.id);
        if (!edit) continue;
        *code.member = edit->text();
        const std::u16string text = edit->text().toStdU16String();
        // An unchanged code (a 10-character one read from a file, too) is left as it is; an
        // overlong typed one was refused at the field.
        if (text == (m_pCodesProfile->*code.stored)() || text.size() > static_cast<std::size_t>(kCodeMaxChars)) continue;
        (m_pCodesProfile->*code.store)(text);
    }
}

void CQyDlgMatEdituj::ShowProfileCodes(TreeListItem* item)
{
    m_pCodesItem = item;
    m_pCodesProfile = static_cast<CWexProfil*>(m_treeProf->GetItemData(item));
    m_strUrsAssembly = m_pCodesProfile ? QString::fromStdU16String(m_pCodesProfile->UrsAssembly()) : QString();
    m_strUrsMaterial = m_pCodesProfile ? QString::fromStdU16String(m_pCodesProfile->UrsMaterial()) : QString();
    if (auto* edit = GetDlgItemAs<QLineEdit>(IdcUrsAssembly)) edit->setText(m_strUrsAssembly);
    if (auto* edit = GetDlgItemAs<QLineEdit>(IdcUrsMaterial)) edit->setText(m_strUrsMaterial);
}

void CQyDlgMatEdituj::OnProfileSelChanged(TreeListItem*, TreeListItem* newItem)
{
    // The codes belong to the row they were shown for (tracked here, not taken from the
    // notification, whose old row may already be gone).
    CommitProfileCodes();
    ShowProfileCodes(newItem);
}
