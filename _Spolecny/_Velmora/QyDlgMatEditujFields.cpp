// The editing dialog's material fields: their exchange with the shown-material record, storing
// and abandoning a pending material, and the rules of the group and purpose check boxes.

#include "QyDlgMatEdituj.h"

#include "CWexMaterial.h"
#include "TextConvert.h"

#include <regex>

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

} // namespace

bool CQyDlgMatEdituj::IsValidRoughness(const std::wstring& text)
{
    static const std::wregex decimal(L"^[+-]?([0-9]*[.])?[0-9]+$");
    if (!std::regex_match(text, decimal)) return false;
    const std::u16string utf16(text.begin(), text.end());
    const std::optional<double> value = ParseLeadingNumber(utf16);
    return value && *value >= 0.01 && *value <= 3.0;
}

void CQyDlgMatEdituj::DoDataExchange(bool saveAndValidate)
{
    const bool save = saveAndValidate;
    for (const GroupBox& box : kGroupBoxes) {
        bool checked = (m_shown.filter.group & box.bit) != 0;
        DDX_Check(save, box.id, checked);
        if (save && !ExchangeFailed()) {
            if (checked) m_shown.filter.group |= box.bit;
            else m_shown.filter.group &= ~box.bit;
        }
    }
    CQyDlgMatVyber::DoDataExchange(saveAndValidate);
}

bool CQyDlgMatEdituj::SaveMaterial()
{
    if (m_nEditMode == EditBrowsing) return true;
    // Until materials can be stored from the fields, "Ulož.." ends the pending material as
    // "Zruš.." does, so the dialog never stays locked in its editing state.
    CancelMaterial();
    return true;
}

void CQyDlgMatEdituj::CancelMaterial()
{
    m_nEditMode = EditBrowsing;
    ShowMaterial(m_pEditMaterial, DescOuterXWall);
    m_pEditMaterial = nullptr;
    SetEditState(false);
}

void CQyDlgMatEdituj::OnGroupClicked(int)
{
}

void CQyDlgMatEdituj::OnPurposeClicked(int)
{
}

void CQyDlgMatEdituj::OnDescriptionOther()
{
}

void CQyDlgMatEdituj::OnNameKillFocus()
{
}
