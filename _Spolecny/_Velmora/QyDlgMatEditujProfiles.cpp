// The editing dialog's profile table: the tree-list's columns and rows, the texts of its
// cells, the checks of cell edits and the profile buttons. The price-list code edits are in
// QyDlgMatEditujCodes.cpp.

#include "QyDlgMatEdituj.h"

#include "CWexFunkce.h"
#include "CWexMaterial.h"
#include "CWexProfil.h"
#include "CheckedEdit.h"
#include "QtGuard.h"
#include "QyDlgGetDN.h"
#include "TextConvert.h"
#include "TreeListCtrl.h"
#include "WindowServices.h"

#include <cmath>
#include <optional>

using namespace MatDlgId;

namespace {

constexpr const char* kSource = "_Spolecny/_Velmora/QyDlgMatEdituj";
constexpr int kTextBuffer = 256;
constexpr int kProfileColumns = 6;

CWexProfil* ProfileOf(void* data)
{
    return static_cast<CWexProfil*>(data);
}

// The nominal sizes next to the profile's DN, when the DN rules apply (DN 12 to DN 1000).
struct DnNeighbours {
    float prev;
    float next;
};
std::optional<DnNeighbours> NeighboursOf(const CWexProfil& profile)
{
    if (profile.m_nDN < 2 || profile.m_nDN > 26) return std::nullopt;
    return DnNeighbours{g_dnTable[profile.m_nDN - 1].nominalSize, g_dnTable[profile.m_nDN + 1].nominalSize};
}

// A cell's number in single precision: the longest numeric prefix after leading blanks.
// None when there is no number or it does not fit a float (a text of 400 digits, say).
std::optional<float> CellValue(const QString& text)
{
    const std::optional<double> value = ParseLeadingNumber(text.toStdU16String());
    if (!value || !std::isfinite(*value)) return std::nullopt;
    const float single = static_cast<float>(*value);
    if (!std::isfinite(single)) return std::nullopt;
    return single;
}

// The leading integer of a text, as the platform's string-to-int reads it.
int LeadingInteger(const QString& text)
{
    int i = 0;
    while (i < text.size() && text[i].isSpace()) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
    long long value = 0;
    for (; i < text.size() && text[i].isDigit(); ++i) {
        value = value * 10 + text[i].digitValue();
        if (value > 2147483647LL) return negative ? -2147483647 - 1 : 2147483647;
    }
    return static_cast<int>(negative ? -value : value);
}

constexpr const char* kTooLarge = "Zadané číslo je příliš velké";

// Gives `p` the new dimensions and rebuilds its labels (which marks the catalog modified).
// When the labels cannot be built from them, `p` keeps everything it had and the answer is
// false.
bool TakeValues(CWexProfil& p, float inner, float wall, int width)
{
    const float oldInner = p.m_fInnerDiameter;
    const float oldWall = p.m_fWall;
    const int oldWidth = p.m_nWidth;
    p.m_fInnerDiameter = inner;
    p.m_fWall = wall;
    p.m_nWidth = width;
    try {
        p.UpdateLabels();
        return true;
    } catch (const CWexException&) {
        p.m_fInnerDiameter = oldInner;
        p.m_fWall = oldWall;
        p.m_nWidth = oldWidth;
        return false;
    }
}

int Ask(const char* text, MessageIcon icon, MessageButtons buttons)
{
    return GetWindowServices().ShowMessage(QString::fromUtf8(text).toStdU16String(), kProgramTitle, icon, buttons);
}

} // namespace

// --- Columns and rows -------------------------------------------------------------------------

void CQyDlgMatEdituj::CreateProfileTree()
{
    m_treeProf->Create(TLS_BORDER | TLS_FULLROWSELECT | TLS_SHOWSELALWAYS | TLS_HASBUTTONS | TLS_EDITLABELS, this);

    struct Heading {
        const char* text;
        int width;
    };
    const Heading headings[kProfileColumns] = {
        {"Profil", 80}, {"OD", 60}, {"Stěna", 60}, {"ID", 60}, {"DN", 60}, {"Sirka", ProfileTreeClientWidth() - 340},
    };
    for (int column = 0; column < kProfileColumns; ++column) {
        TreeListColumn heading;
        heading.mask = TLCF_FMT | TLCF_WIDTH | TLCF_TEXT;
        heading.fmt = TLFMT_LEFT;
        heading.cx = headings[column].width;
        heading.text = QString::fromUtf8(headings[column].text);
        heading.cchTextMax = kTextBuffer;
        if (heading.cx < 0) {
            // Too narrow for a fixed width: a proportional column weighted by the shortfall.
            heading.mask = TLCF_FMT | TLCF_WEIGHT | TLCF_TEXT;
            heading.cx = -heading.cx;
        }
        m_treeProf->InsertColumn(column, heading);
    }

    for (int i = 0; i < kDnCount; ++i) m_dnLabels[i] = DnLabel(i);
    m_dnLabels[kDnCount] = nullptr;

    m_treeProf->SetColumnInputKind(1, 0xFFFFFF00u);
    m_treeProf->SetColumnEditMode(0x905u, nullptr);
    m_treeProf->SetColumnInputKind(1, 0xFFFFFF02u);
    m_treeProf->SetColumnInputKind(3, 0xFFFFFF00u);
    m_treeProf->SetColumnEditMode(0x1905u, nullptr);
    m_treeProf->SetColumnInputKind(3, 0xFFFFFF04u);
    m_treeProf->SetColumnInputKind(2, 0xFFFFFF00u);
    m_treeProf->SetColumnEditMode(0x1105u, nullptr);
    m_treeProf->SetColumnInputKind(2, 0xFFFFFF04u);
    m_treeProf->SetColumnEditMode(0x238Du, m_dnLabels);
    m_treeProf->SetColumnInputKind(5, 0xFFFFFF00u);
    m_treeProf->SetColumnEditMode(0x2905u, nullptr);
    m_treeProf->SetColumnInputKind(5, 0xFFFFFF04u);

    m_treeProf->SetExtendedStyle(0, 0x400F0000);
    SortProfileRows();
    ConnectProfileCodeEdits();
}

TreeListItem* CQyDlgMatEdituj::InsertProfileItem(CWexProfil* profile)
{
    TreeListItem* item = m_treeProf->InsertCallbackItem(profile, TLI_ROOT, TLI_LAST);
    if (!item) return nullptr;
    if (profile) profile->m_hItem = item;
    for (int column = 1; column <= 4; ++column) m_treeProf->SetItemCallbackText(item, column);
    if (profile && profile->m_pMaterial && profile->m_pMaterial->m_nShape != 0)
        m_treeProf->SetItemCallbackText(item, 5);
    return item;
}

void CQyDlgMatEdituj::SortProfileRows()
{
    m_treeProf->SortChildren(TLI_ROOT, [](void* a, void* b) {
        return ProfileOf(a)->m_nDN - ProfileOf(b)->m_nDN;
    });
}

void CQyDlgMatEdituj::OnMaterialShown(CWexMaterial* material)
{
    if (!material) return;
    TreeListColumn width;
    width.mask = TLCF_WIDTH | TLCF_REMEMBER;
    TreeListColumn heading;
    heading.mask = TLCF_TEXT;
    if (material->m_nShape == 0) {
        // A circle has no width: the column collapses and remembers what it had.
        width.fmt = TLFMT_REMEMBER;
        width.cx = 0;
        heading.text = QStringLiteral("ID");
    } else {
        width.fmt = 0;
        width.cx = TLCW_REMEMBERED;
        heading.text = QStringLiteral("Výška");
    }
    m_treeProf->SetColumn(5, width);
    m_treeProf->SetColumn(3, heading);
}

CWexMaterial* CQyDlgMatEdituj::CurrentListMaterial() const
{
    return m_nCurItem < 0 ? nullptr : m_listMat->GetItemData(m_nCurItem);
}

// --- Cell texts ---------------------------------------------------------------------------------

bool CQyDlgMatEdituj::OnGetProfileText(const TreeListTextRequest& request, QString& text)
{
    const CWexProfil* p = ProfileOf(request.data);
    if (!p) return false;
    std::u16string source;
    switch (request.column) {
    case -1: source = p->m_szLabel; break;
    case 1: source = FormatFixed16(p->OuterDiameter(), 0); break;
    case 2: source = FormatFixed16(p->m_fWall, 2); break;
    case 3: source = FormatFixed16(p->m_fInnerDiameter, 1); break;
    case 4: source = DnLabel(p->m_nDN); break;
    case 5: {
        const bool circle = !p->m_pMaterial || p->m_pMaterial->m_nShape == 0;
        const long long value = circle ? static_cast<long long>(std::trunc(p->m_fInnerDiameter)) : p->m_nWidth;
        source = QString::number(value).toStdU16String();
        break;
    }
    default: return true;
    }
    char16_t buffer[kTextBuffer];
    try {
        CopyToBuffer(buffer, kTextBuffer, source);
    } catch (const std::exception&) {
        ReportCurrentExceptionLater();
        return false;
    }
    text = QString::fromUtf16(buffer);
    return true;
}

// --- Cell edits ---------------------------------------------------------------------------------

int CQyDlgMatEdituj::OnCheckProfileCell(CCheckedEdit& editor, const TreeListEditInfo& edit)
{
    CWexProfil* p = ProfileOf(edit.data);
    if (!p) return 0;
    const char* refusal = nullptr;
    const std::optional<float> value = CellValue(edit.text);
    const std::optional<DnNeighbours> dn = NeighboursOf(*p);
    const float outer = p->OuterDiameter();
    float inner = p->m_fInnerDiameter;
    float wall = p->m_fWall;
    int width = p->m_nWidth;

    if (!value) {
        refusal = kTooLarge;
    } else if (edit.column == 3) {
        const float v = *value;
        if (dn && (dn->prev * 0.9f >= v || v >= dn->next * 1.1f)) {
            refusal = "Zadaný průměr neodpovídá zadanému DN, nejprve změňte DN";
        } else if (v <= 0) {
            refusal = "Zadaný průměr musí být větší než 0";
        } else if ((outer - v) * 0.5f < 0) {
            // The outer diameter stays: an inner one beyond it would leave a negative wall.
            refusal = "Zadaný průměr je větší než vnější průměr, stěna by byla záporná";
        } else {
            inner = v;
            wall = (outer - v) * 0.5f;
        }
    } else if (edit.column == 2) {
        const float v = *value;
        if (v < 0) {
            refusal = "Stěna nesmí být záporná";
        } else if (outer - 2 * v <= 0) {
            refusal = "OD - 2x stěna je menší než 0, trubka nemá díru";
        } else {
            float od = outer;
            const float i = outer - 2 * v;
            if (dn && i <= dn->prev) od = 2 * v + dn->prev;
            else if (dn && i >= dn->next) od = 2 * v + dn->next;
            wall = v;
            inner = od - 2 * v;
        }
    } else if (edit.column == 1) {
        const float v = *value;
        const float i = v - 2 * wall;
        float w = wall;
        if (dn && (dn->prev * 0.9f >= i || i >= dn->next * 1.1f)) w = i <= dn->prev ? (v - dn->prev) * 0.5f : (v - dn->next) * 0.5f;
        if (std::fabs(std::trunc(*value)) > 2147483647.0) {
            // The commit takes the text's integer, which could not hold it.
            refusal = kTooLarge;
        } else if (w <= 0 || v - 2 * w <= 0) {
            // A wall of zero or less, or no hole left: not a pipe.
            refusal = "Zadaný vnější průměr je příliš malý, stěna nebo průměr by nebyly kladné";
        } else {
            wall = w;
            inner = v - 2 * w;
        }
    } else if (edit.column == 5) {
        const double truncated = std::trunc(*value);
        if (std::fabs(truncated) > 2147483647.0) refusal = kTooLarge;
        else width = static_cast<int>(truncated);
    }

    // The labels are built from the new values before they are taken: a profile whose label
    // cannot be built (an outer diameter of five digits has no short label) could not be read
    // back from the file it is saved to.
    if (!refusal && !TakeValues(*p, inner, wall, width)) refusal = kTooLarge;

    if (refusal) {
        const QString title = editor.balloonTitle.isEmpty() ? CCheckedEdit::DefaultBalloonTitle() : editor.balloonTitle;
        editor.ShowBalloon(title, QString::fromUtf8(refusal));
        return static_cast<int>(QString::fromUtf8(refusal).size());
    }
    return 0;
}

int CQyDlgMatEdituj::OnSetProfileText(const TreeListEditInfo& edit)
{
    CWexProfil* p = ProfileOf(edit.data);
    if (!p) return 0;
    try {
        const float outer = p->OuterDiameter();
        switch (edit.column) {
        case 1:
            p->m_fInnerDiameter = static_cast<float>(LeadingInteger(edit.text)) - 2 * p->m_fWall;
            p->UpdateLabels();
            break;
        case 2:
        case 3: {
            const std::optional<float> v = CellValue(edit.text);
            if (!v) return 1; // the check refused it already; nothing to store
            if (edit.column == 2) {
                p->m_fWall = *v;
                p->m_fInnerDiameter = outer - 2 * *v;
            } else {
                p->m_fInnerDiameter = *v;
                p->m_fWall = (outer - *v) * 0.5f;
            }
            p->UpdateLabels();
            break;
        }
        case 4:
            for (int i = 0; i < kDnCount; ++i) {
                if (edit.text == QString::fromUtf16(DnLabel(i))) {
                    const std::int32_t oldDn = p->m_nDN;
                    const float oldInner = p->m_fInnerDiameter;
                    try {
                        if (p->SetDN(i, true)) SortProfileRows();
                    } catch (const CWexException&) {
                        // The new size has no label (a wall too thick for it): the profile
                        // keeps its DN, so that nothing unreadable is saved.
                        p->m_fInnerDiameter = oldInner;
                        if (!p->SetDN(oldDn, false)) p->UpdateLabels();
                        throw;
                    }
                    break;
                }
            }
            break;
        case 5:
            p->m_nWidth = LeadingInteger(edit.text);
            if (p->m_pMaterial) p->m_pMaterial->SetModified();
            break;
        default: break;
        }
    } catch (const std::exception& e) {
        ShowException(e);
        return 1;
    }
    return 0;
}

// --- Profile buttons ------------------------------------------------------------------------

namespace {

// The first DN index from `from` on that `material` has no profile for; -1 when none is free.
int NextFreeDn(const CWexMaterial& material, int from)
{
    for (int dn = from; dn < kDnCount; ++dn) {
        if (!material.FindProfile(dn)) return dn;
    }
    return -1;
}

} // namespace

void CQyDlgMatEdituj::OnAddProfile()
{
    m_nCurItem = m_listMat->GetSelectionMark();
    if (m_nCurItem < 0) return;
    CWexMaterial* material = m_listMat->GetItemData(m_nCurItem);
    if (!material) throw CWexException("Nenalezena datová položka materiálu", 351, kSource);

    const CWexProfil* selected = ProfileOf(m_treeProf->GetItemData(m_treeProf->GetSelectedItem()));
    const int start = selected ? selected->m_nDN : 0;
    int dn = NextFreeDn(*material, start);
    if (dn < 0) {
        if (start != 0) {
            if (Ask("Nelze přidat již další DN, přidat od začátku?", MessageIcon::Question, MessageButtons::YesNo) != IDYES)
                return;
            dn = NextFreeDn(*material, 0);
        }
        if (dn < 0) {
            Ask("Nelze přidat již další DN !!", MessageIcon::Error, MessageButtons::Ok);
            return;
        }
    }
    CWexProfil* created = nullptr;
    if (!material->AddProfile(dn, &created) || !created) return;
    InsertProfileItem(created);
    SortProfileRows();
    m_treeProf->setFocus(Qt::OtherFocusReason);
}

void CQyDlgMatEdituj::OnDeleteProfile()
{
    if (m_nEditMode != EditBrowsing) return;
    TreeListItem* item = m_treeProf->GetSelectedItem();
    CWexProfil* p = ProfileOf(m_treeProf->GetItemData(item));
    if (!p) return;
    if (p->IsUsed()) {
        Ask("Profil je používán, nelze jej vymazat", MessageIcon::Warning, MessageButtons::Ok);
        m_treeProf->setFocus(Qt::OtherFocusReason);
        return;
    }
    const int column = m_treeProf->GetSelectedColumn();
    TreeListItem* next = m_treeProf->GetNextVisibleItem(item);
    if (next) m_treeProf->SelectItem(next, column);
    m_treeProf->DeleteItem(item);
    if (!m_treeProf->GetSelectedItem()) {
        if (TreeListItem* last = m_treeProf->GetLastVisibleItem()) m_treeProf->SelectItem(last, column);
    }
    // The row is gone and the code edits show another profile: only now may p be destroyed.
    if (m_pCodesProfile == p) ShowProfileCodes(nullptr);
    CWexMaterial* material = p->m_pMaterial;
    material->RemoveProfile(p->m_nDN);
    material->SetModified();
    m_treeProf->setFocus(Qt::OtherFocusReason);
}

void CQyDlgMatEdituj::OnDeleteAllProfiles()
{
    if (Ask("Opravdu vymazat všechny profily?\ntento krok je nevratný", MessageIcon::Question, MessageButtons::YesNo) != IDYES)
        return;
    CWexMaterial* material = CurrentListMaterial();
    if (!material) throw CWexException("Chyba při načítání položky materiálu", 695, kSource);
    CommitProfileCodes();
    m_treeProf->DeleteAllItems();
    ShowProfileCodes(nullptr);
    material->ClearProfiles();
    material->SetModified();
}

void CQyDlgMatEdituj::OnGenerateProfiles()
{
    CQyDlgGetDN dlg(this);
    dlg.m_nFrom = 0;
    dlg.m_nTo = kDnCount - 1;
    if (dlg.DoModal() == IDCANCEL) return;

    CommitProfileCodes();
    m_treeProf->DeleteAllItems();
    ShowProfileCodes(nullptr);
    CWexMaterial* material = CurrentListMaterial();
    if (!material) throw CWexException("Chyba při načítání položky materiálu", 284, kSource);
    material->GenerateProfiles(dlg.m_nFrom, dlg.m_nTo);
    for (const auto& [dn, profile] : material->m_profiles) InsertProfileItem(profile.get());
    m_treeProf->SelectItem(nullptr, 0);
    m_treeProf->setFocus(Qt::OtherFocusReason);
}
