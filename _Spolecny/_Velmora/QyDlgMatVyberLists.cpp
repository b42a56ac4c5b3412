// The selection dialog's material list and profile tree: filling and sorting the list, the
// texts both give on request, showing a material in the detail controls and its profiles.

#include "QyDlgMatVyber.h"

#include "CWexFunkce.h"
#include "CWexMaterial.h"
#include "CWexProfil.h"
#include "PipeTables.h"
#include "QtGuard.h"
#include "TextConvert.h"

#include <QComboBox>
#include <QLineEdit>
#include <QWidget>

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using namespace MatDlgId;

namespace {

// The purpose check boxes and the bit each one exchanges.
struct PurposeBox {
    int id;
    std::uint32_t bit;
};
constexpr PurposeBox kPurposeBoxes[] = {
    {IdcPurposeSewer, PurposeSewer},
    {IdcPurposePressureSewer, PurposePressureSewer},
    {IdcPurposeWater, PurposeWater},
    {IdcPurposeGas, PurposeGas},
    {IdcPurposeHeating, PurposeHeating},
};

// Orders `materials` by name as CompareMaterialNames does, keeping the order of equal names.
// The names are lowered once into one buffer of sort keys: a list of 100,000 materials is
// compared about two million times.
void SortByName(std::vector<CWexMaterial*>& materials)
{
    std::u16string keys;
    std::vector<std::pair<std::size_t, std::size_t>> spans; // offset, length in keys
    spans.reserve(materials.size());
    for (const CWexMaterial* material : materials) {
        const std::size_t offset = keys.size();
        AppendNameSortKey(keys, material->m_strName);
        spans.emplace_back(offset, keys.size() - offset);
    }
    std::vector<std::size_t> order(materials.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    const std::u16string_view all(keys);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return all.substr(spans[a].first, spans[a].second) < all.substr(spans[b].first, spans[b].second);
    });
    std::vector<CWexMaterial*> sorted;
    sorted.reserve(materials.size());
    for (std::size_t i : order) sorted.push_back(materials[i]);
    materials = std::move(sorted);
}

} // namespace

// --- Profile tree ----------------------------------------------------------------------------

int CQyDlgMatVyber::ProfileTreeClientWidth() const
{
    return m_treeProf ? m_treeProf->contentsRect().width() : 0;
}

void CQyDlgMatVyber::CreateProfileTree()
{
    m_treeProf->Create(TLS_BORDER | TLS_FULLROWSELECT | TLS_SHOWSELALWAYS | TLS_HASBUTTONS, this);
    m_treeProf->SetExtendedStyle(0, 0x400B0000);

    TreeListColumn profile;
    profile.mask = TLCF_FMT | TLCF_WIDTH | TLCF_TEXT;
    profile.fmt = TLFMT_LEFT;
    profile.cx = 80;
    profile.text = QStringLiteral("Profil");
    m_treeProf->InsertColumn(0, profile);

    TreeListColumn dn;
    dn.mask = TLCF_FMT | TLCF_WIDTH | TLCF_TEXT;
    dn.fmt = TLFMT_LEFT;
    dn.cx = ProfileTreeClientWidth() - 100;
    dn.text = QStringLiteral("DN");
    if (dn.cx < 0) {
        // Too narrow for a fixed width: a proportional column weighted by the shortfall.
        dn.mask = TLCF_FMT | TLCF_WEIGHT | TLCF_TEXT;
        dn.cx = -dn.cx;
    }
    m_treeProf->InsertColumn(1, dn);
}

TreeListItem* CQyDlgMatVyber::InsertProfileItem(CWexProfil* profile)
{
    TreeListItem* item = m_treeProf->InsertCallbackItem(profile, TLI_ROOT, TLI_LAST);
    if (profile) profile->m_hItem = item;
    if (item) m_treeProf->SetItemCallbackText(item, 1);
    return item;
}

void CQyDlgMatVyber::OnMaterialShown(CWexMaterial*)
{
}

bool CQyDlgMatVyber::OnTreeListGetText(CTreeListCtrl&, const TreeListTextRequest& request, QString& text)
{
    return GetBaseProfileText(request, text);
}

bool CQyDlgMatVyber::GetBaseProfileText(const TreeListTextRequest& request, QString& text)
{
    const auto* profile = static_cast<const CWexProfil*>(request.data);
    if (!profile) return false;
    const char16_t* source = nullptr;
    if (request.column == -1) source = profile->m_szLabel;
    else if (request.column == 1) source = DnLabel(profile->m_nDN);
    else return true; // other columns have nothing to show

    std::vector<char16_t> buffer(static_cast<std::size_t>(std::max(request.bufferSize, 1)));
    try {
        CopyToBuffer(buffer.data(), buffer.size(), source);
    } catch (const std::exception&) {
        ReportCurrentExceptionLater();
        return false;
    }
    text = QString::fromUtf16(buffer.data());
    return true;
}

// --- Material list -------------------------------------------------------------------------------

void CQyDlgMatVyber::FillMaterialList(MaterialFilter filter)
{
    m_listMat->DeleteAllItems();
    m_reportedTextFailures.clear();
    if (!m_pCatalog || m_pCatalog->m_materials.empty()) {
        m_nCurItem = -1;
        return;
    }
    // Sorted before it is listed, and listed in one step: the list does no work per row.
    std::vector<CWexMaterial*> listed;
    for (const auto& [name, material] : m_pCatalog->m_materials) {
        if (material && filter.Passes(material->m_nGroup, material->m_nPurposes)) listed.push_back(material.get());
    }
    SortByName(listed);
    m_listMat->SetAllItems(std::move(listed));
    m_listMat->viewport()->update();

    // An index into an empty list would name no material: nothing is shown then.
    if (m_listMat->GetItemCount() == 0) {
        m_nCurItem = -1;
        return;
    }
    m_nCurItem = 0;
    m_listMat->setFocus(Qt::OtherFocusReason);
    m_listMat->SelectItem(0);
}

QString CQyDlgMatVyber::OnGetMaterialText(CWexMaterial* material, int column)
{
    if (!material) return {};
    const std::u16string* source = nullptr;
    switch (column) {
    case 0: source = &material->m_strName; break;
    case 1: source = &material->m_strDetail; break;
    case 2: source = &material->m_strManufacturer; break;
    default: return {};
    }
    char16_t buffer[kListTextBuffer];
    try {
        CopyToBuffer(buffer, kListTextBuffer, *source);
    } catch (const std::exception&) {
        // Asked while painting: reported once the painting is over, and only once, since the
        // list asks again at every repaint.
        const std::pair<const CWexMaterial*, int> key{material, column};
        if (std::find(m_reportedTextFailures.begin(), m_reportedTextFailures.end(), key) == m_reportedTextFailures.end()) {
            m_reportedTextFailures.push_back(key);
            ReportCurrentExceptionLater();
        }
        return {};
    }
    return QString::fromUtf16(buffer);
}

void CQyDlgMatVyber::OnMaterialItemChanged(int row)
{
    m_nCurItem = row;
    CWexMaterial* material = m_listMat->GetItemData(row);
    ShowMaterial(material, DescOuterXWall);

    m_treeProf->DeleteAllItems();
    OnMaterialShown(material);
    if (!material) return;
    for (const auto& [dn, profile] : material->m_profiles) InsertProfileItem(profile.get());
    if (m_treeProf->GetCount() > 0) m_treeProf->SelectItem(m_treeProf->GetRootItem());
    m_treeProf->viewport()->update();
}

// --- IdcDetail controls -----------------------------------------------------------------------------

void CQyDlgMatVyber::ShowMaterial(CWexMaterial* material, int descMode)
{
    if (material) {
        m_shown.name = material->m_strName;
        m_shown.popis = material->m_strDrawingName;
        m_shown.roughness = FormatFixed16(material->m_fRoughness, 5);
        m_shown.manufacturer = material->m_strManufacturer;
        m_shown.detail = material->m_strDetail;
        m_shown.pnIndex = material->m_nPN;
        m_shown.sdrIndex = material->m_nSDR;
        m_shown.descMode = material->m_nDescMode;
        m_shown.shape = static_cast<std::int32_t>(material->m_nShape);
        m_shown.prefix = material->m_szPrefix;
        m_shown.suffix = material->m_szSuffix;
        m_shown.diameterKind = material->m_bInnerDiameter ? 1 : 0;
        m_shown.filter = MaterialFilter{material->m_nGroup, material->m_nPurposes};
    } else {
        m_shown.name.clear();
        m_shown.popis.clear();
        m_shown.roughness = u"0.01";
        m_shown.manufacturer.clear();
        m_shown.detail.clear();
        m_shown.pnIndex = 0;
        m_shown.sdrIndex = 0;
        m_shown.descMode = descMode;
        m_shown.shape = 0;
        m_shown.prefix.clear();
        m_shown.suffix.clear();
        m_shown.diameterKind = 0;
        m_shown.filter = MaterialFilter{GroupAll, PurposeAll};
    }
    UpdateData(false);
    // Long texts show their beginning, as a freshly filled edit does.
    for (int id : {IdcName, IdcPopis, IdcManufacturer, IdcDetail, IdcRoughness}) {
        if (auto* edit = GetDlgItemAs<QLineEdit>(id)) edit->setCursorPosition(0);
    }
    if (QWidget* name = GetDlgItem(IdcName)) name->setFocus(Qt::OtherFocusReason);
}

void CQyDlgMatVyber::DoDataExchange(bool saveAndValidate)
{
    const bool save = saveAndValidate;
    m_listMat = GetDlgItemAs<CMaterialListCtrl>(IdcMaterialList);
    m_comboPN = GetDlgItemAs<QComboBox>(IdcComboPn);
    m_comboSDR = GetDlgItemAs<QComboBox>(IdcComboSdr);

    DDX_Text(save, IdcRoughness, m_shown.roughness);
    DDX_Text(save, IdcName, m_shown.name);
    DDX_Text(save, IdcDetail, m_shown.detail);
    DDX_Text(save, IdcPopis, m_shown.popis);
    DDX_Text(save, IdcManufacturer, m_shown.manufacturer);
    for (const PurposeBox& box : kPurposeBoxes) {
        bool checked = (m_shown.filter.purposes & box.bit) != 0;
        DDX_Check(save, box.id, checked);
        if (save && !ExchangeFailed()) {
            if (checked) m_shown.filter.purposes |= box.bit;
            else m_shown.filter.purposes &= ~box.bit;
        }
    }
    DDX_CBIndex(save, IdcComboPn, m_shown.pnIndex);
    DDX_CBIndex(save, IdcComboSdr, m_shown.sdrIndex);
    DDX_Radio(save, IdcDescDn, IdcDescOther, m_shown.descMode);
    DDX_Radio(save, IdcShapeCircle, IdcShapeRectangle, m_shown.shape);
}
