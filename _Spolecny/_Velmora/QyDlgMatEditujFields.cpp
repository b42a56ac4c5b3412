// The editing dialog's material fields: their exchange with the shown-material record, storing
// and abandoning a pending material, the rules of the group and purpose check boxes, the
// user-defined description format ("Jiný") and the drawing name taken from the name.

#include "QyDlgMatEdituj.h"

#include "CWexFunkce.h"
#include "CWexMaterial.h"
#include "CWexProfil.h"
#include "CheckedEdit.h"
#include "InputChecks.h"
#include "QyDlgMatPopis.h"
#include "TextConvert.h"
#include "WindowServices.h"

#include <QAbstractButton>

#include <memory>

using namespace MatDlgId;

namespace {

// The group check boxes and the bit each one exchanges.
struct GroupBox {
    int id;
    std::uint32_t bit;
};
constexpr GroupBox kGroupBoxes[] = {
    {IdcGroupCheckZti, GroupBuildingServices},
    {IdcGroupCheckNetworks, GroupUtilityNetworks},
};
constexpr int kGroupBoxIds[] = {IdcGroupCheckNetworks, IdcGroupCheckZti};
constexpr int kPurposeBoxIds[] = {IdcPurposeSewer, IdcPurposePressureSewer, IdcPurposeGas, IdcPurposeHeating,
                                  IdcPurposeWater};

// The price-list codes' limit in the dialog (a profile keeps fewer; it cuts them itself).
constexpr int kUrsCodeChars = 10;

// A material keeps a name of at most this many characters; the name edit refuses only typing.
constexpr const char* kMaterialSource = "_Spolecny/_Velmora/CWexMaterial";
constexpr int kNameTooLongLine = 225;

int CompareListed(CWexMaterial* a, CWexMaterial* b)
{
    return CompareMaterialNames(a, b, 0);
}

void ShowStoreMessage(const char16_t* text, MessageIcon icon)
{
    GetWindowServices().ShowMessage(text, kProgramTitle, icon, MessageButtons::Ok);
}

} // namespace

bool CQyDlgMatEdituj::IsValidRoughness(const std::wstring& text)
{
    if (!IsDecimal(text)) return false;
    const std::u16string utf16(text.begin(), text.end());
    const std::optional<double> value = ParseLeadingNumber(utf16);
    return value && *value >= 0.01 && *value <= 3.0;
}

void CQyDlgMatEdituj::DoDataExchange(bool saveAndValidate)
{
    const bool save = saveAndValidate;
    // The four validated edits stand in the template in the places of edits 11075, 11084,
    // 11086 and 11070 (CreateTemplate503), so they are bound before the first exchange.
    for (const GroupBox& box : kGroupBoxes) {
        bool checked = (m_shown.filter.group & box.bit) != 0;
        DDX_Check(save, box.id, checked);
        if (save && !ExchangeFailed()) {
            if (checked) m_shown.filter.group |= box.bit;
            else m_shown.filter.group &= ~box.bit;
        }
    }
    DDX_Text(save, IdcUrsAssembly, m_strUrsAssembly);
    DDX_Text(save, IdcUrsMaterial, m_strUrsMaterial);
    // The limit follows the last exchanged edit: a too long assembly code is reported at the
    // material code's edit, and only that edit limits typing.
    DDV_MaxChars(save, IdcUrsMaterial, m_strUrsAssembly, kUrsCodeChars);
    CQyDlgMatVyber::DoDataExchange(saveAndValidate);
}

// --- Storing and abandoning ------------------------------------------------------------------------

bool CQyDlgMatEdituj::SaveMaterial()
{
    if (m_nEditMode == EditBrowsing) return true;
    if (!UpdateData(true)) return false;
    if (m_shown.name.empty()) {
        ShowStoreMessage(u"Název nesmí být prázdný", MessageIcon::Warning);
        return false;
    }
    const bool stored = m_nEditMode == EditEditing ? StoreEditedMaterial() : StoreNewMaterial();
    if (!stored) return false;
    m_pEditMaterial = nullptr;
    SetEditState(false);
    ReturnFocusToList();
    return true;
}

void CQyDlgMatEdituj::ReturnFocusToList()
{
    // The list was disabled while the material was pending, so it could not take the focus
    // then; the disabled field that had it passed it on to whatever came next (the "?" button).
    m_listMat->setFocus(Qt::OtherFocusReason);
}

bool CQyDlgMatEdituj::StoreNewMaterial()
{
    if (!m_pCatalog) return false;
    // The name edit refuses only typed characters: a pasted name may be longer, and a name is
    // the catalog's key of at most 20 characters. The field says so, as for a typed character.
    if (m_shown.name.size() > CWexMaterial::kMaxNameLength) {
        m_editName->setFocus(Qt::OtherFocusReason);
        m_editName->ShowBalloon();
        return false;
    }
    const bool wasSaved = m_pCatalog->m_bSaved;
    auto [material, inserted] =
        m_pCatalog->Insert(std::make_unique<CWexMaterial>(m_pCatalog, m_shown.name, MaterialFilter{3, 31}));
    if (!inserted) {
        m_pCatalog->m_bSaved = wasSaved; // the discarded material's destruction changed nothing
        ShowStoreMessage(u"Tento název již existuje u jiného materiálu, možná jen není zobrazen\n(přepněte filtry)",
                         MessageIcon::Warning);
        return false;
    }
    try {
        m_pCatalog->SetModified();
        material->ApplyForm(m_shown);
        if (m_nEditMode == EditCopying && m_pEditMaterial) CopyProfilesInto(*material, *m_pEditMaterial);
    } catch (...) {
        // Nothing of a refused material stays in the catalog; the fields keep what was typed.
        m_pCatalog->Remove(material->m_strName);
        m_pCatalog->m_bSaved = wasSaved;
        throw;
    }
    m_nEditMode = EditBrowsing;

    const int row = m_listMat->InsertItem(material);
    m_listMat->SortItems(CompareListed);
    m_listMat->setFocus(Qt::OtherFocusReason);
    int shownRow = row;
    for (int r = 0; r < m_listMat->GetItemCount(); ++r) {
        if (m_listMat->GetItemData(r) == material) shownRow = r;
    }
    m_listMat->SelectItem(shownRow);
    m_listMat->RedrawItems(shownRow, shownRow);
    m_nCurItem = shownRow;
    return true;
}

void CQyDlgMatEdituj::CopyProfilesInto(CWexMaterial& target, const CWexMaterial& source)
{
    for (const auto& [dn, profile] : source.m_profiles) {
        auto copy = std::make_unique<CWexProfil>(&target, *profile);
        copy->ClearUsers();
        if (!target.InsertProfile(std::move(copy))) throw CWexException("Nelze vložit profil", __LINE__, "QyDlgMatEditujFields");
        target.SetModified();
    }
}

bool CQyDlgMatEdituj::StoreEditedMaterial()
{
    CWexMaterial* material = m_pEditMaterial;
    if (!material || !m_pCatalog) return false;
    // The name edit refuses only typed characters: a pasted name may be longer.
    if (m_shown.name != material->m_strName && m_shown.name.size() > CWexMaterial::kMaxNameLength)
        throw CWexException("Příliš dlouhý název", kNameTooLongLine, kMaterialSource);

    const std::u16string oldName = material->m_strName;
    const bool wasSaved = m_pCatalog->m_bSaved;
    if (!m_pCatalog->Rename(m_shown.name, material)) {
        ShowStoreMessage(u"Tento název již existuje u jiného materiálu", MessageIcon::None);
        return false;
    }
    try {
        m_pCatalog->SetModified();
        material->ApplyForm(m_shown);
    } catch (...) {
        // ApplyForm takes nothing when it refuses; the name goes back as well.
        m_pCatalog->Rename(oldName, material);
        m_pCatalog->m_bSaved = wasSaved;
        throw;
    }
    m_nEditMode = EditBrowsing;

    m_listMat->RedrawItems(m_nCurItem, m_nCurItem);
    m_listMat->SortItems(CompareListed);
    // The row follows its material through the sorting (a new name may move it): the current
    // row must too, or the profile buttons would act on the material now at the old index.
    m_nCurItem = m_listMat->GetSelectionMark();
    OnMaterialShown(material);
    return true;
}

void CQyDlgMatEdituj::CancelMaterial()
{
    m_nEditMode = EditBrowsing;
    // The selected row is the current material again ("+" and "%" left no current row while
    // the material was pending), and the fields show it: after "+" too, where they would
    // otherwise show an empty new material beside the selected row's profiles.
    m_nCurItem = m_listMat->GetSelectionMark();
    CWexMaterial* selected = SelectedMaterial();
    ShowMaterial(selected ? selected : m_pEditMaterial, DescOuterXWall);
    m_pEditMaterial = nullptr;
    SetEditState(false);
    ReturnFocusToList();
}

// --- Group and purpose rules ---------------------------------------------------------------------

void CQyDlgMatEdituj::KeepOneChecked(int id, const int* ids, std::size_t count)
{
    auto* clicked = GetDlgItemAs<QAbstractButton>(id);
    if (!clicked || clicked->isChecked()) return;
    for (std::size_t i = 0; i < count; ++i) {
        auto* box = GetDlgItemAs<QAbstractButton>(ids[i]);
        if (box && box->isChecked()) return;
    }
    clicked->setChecked(true);
    m_editName->ShowBalloon(QStringLiteral("Označte alesoň jednu možnost"),
                            QStringLiteral("Pro něco ten materiál určen být musí"));
}

void CQyDlgMatEdituj::OnGroupClicked(int id)
{
    KeepOneChecked(id, kGroupBoxIds, std::size(kGroupBoxIds));
}

void CQyDlgMatEdituj::OnPurposeClicked(int id)
{
    KeepOneChecked(id, kPurposeBoxIds, std::size(kPurposeBoxIds));
}

// --- Description format, drawing name ------------------------------------------------------------

void CQyDlgMatEdituj::OnDescriptionOther()
{
    CQyDlgMatPopis dlg;
    dlg.m_strPrefix = QString::fromStdU16String(m_shown.prefix);
    dlg.m_strSuffix = QString::fromStdU16String(m_shown.suffix);
    dlg.m_nDiameterKind = m_shown.diameterKind;
    if (dlg.DoModal() != IDOK) return; // "Jiný" stays checked: the next exchange sets mode 2
    m_shown.descMode = DescUserDefined;
    m_shown.prefix = dlg.m_strPrefix.toStdU16String();
    m_shown.suffix = dlg.m_strSuffix.toStdU16String();
    m_shown.diameterKind = dlg.m_nDiameterKind;
}

void CQyDlgMatEdituj::OnNameKillFocus()
{
    // Only a pending material's fields are taken (the edit also loses the focus when the
    // fields are disabled after storing or abandoning).
    if (m_nEditMode == EditBrowsing) return;
    UpdateData(true);
    const QString popis = QString::fromStdU16String(m_shown.popis).trimmed();
    m_shown.popis = popis.toStdU16String();
    if (!m_shown.popis.empty()) return;
    m_shown.popis = m_shown.name;
    UpdateData(false);
}
