// The selection dialog: construction with template 504, opening, the filter buttons,
// accepting in material and profile mode, the editing button, help and the captions.

#include "QyDlgMatVyber.h"

#include "HelpPage.h"
#include "MatDlgTemplate.h"
#include "PipeTables.h"
#include "ProgramIcons.h"
#include "QtGuard.h"
#include "TreeListCtrl.h"
#include "QyDlgMatEdituj.h"
#include "WindowServices.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QPalette>

#include <bit>

using namespace MatDlgId;

namespace {

constexpr unsigned kBelowList = AnchorMoveY;
constexpr unsigned kBottomRight = AnchorMoveX | AnchorMoveY;

// Template 504, "Materiály pro potrubí", 553 x 354 dialog units. Its controls stand where the
// same controls stand in the editing dialog's template 503; the editing-only controls (material
// and profile buttons, group check boxes, store buttons, price-list codes, load buttons) are
// left out, and "Editace materiálů..." takes the place of "Načíst standardní...".
constexpr TemplateControlSpec kTemplate504[] = {
    {IdcMaterialCaption, TemplateControl::Caption, "Materiály potrubí", {11, 33, 98, 16}, 0},
    {IdcGroupZti, TemplateControl::Radio, "ZTI", {272, 11, 35, 10}, 0},
    {IdcGroupNetworks, TemplateControl::Radio, "Inženýrské sítě", {325, 11, 77, 10}, 0},
    {IdcGroupAll, TemplateControl::Radio, "Vše", {420, 11, 35, 10}, 0},
    {-1, TemplateControl::GroupBox, "Filtrovat", {108, 33, 139, 40}, 0},
    {IdcFilterSewer, TemplateControl::Radio, "Kanalizace", {116, 43, 50, 10}, 0},
    {IdcFilterPressureSewer, TemplateControl::Radio, "Tlak. kan.", {116, 58, 50, 10}, 0},
    {IdcFilterWater, TemplateControl::Radio, "Voda", {171, 43, 36, 10}, 0},
    {IdcFilterGas, TemplateControl::Radio, "Plyn", {171, 58, 36, 10}, 0},
    {IdcFilterHeating, TemplateControl::Radio, "Tpl.", {211, 43, 30, 10}, 0},
    {IdcFilterAll, TemplateControl::Radio, "Vše", {211, 58, 30, 10}, 0},
    {IdcMaterialList, TemplateControl::ListView, nullptr, {10, 80, 237, 101}, AnchorGrowY},
    {IdcPurposeWater, TemplateControl::Check, "Voda", {13, 205, 32, 10}, kBelowList},
    {IdcPurposeGas, TemplateControl::Check, "Plyn", {47, 205, 29, 10}, kBelowList},
    {IdcPurposeSewer, TemplateControl::Check, "Kanalizace", {78, 205, 52, 10}, kBelowList},
    {IdcPurposePressureSewer, TemplateControl::Check, "Kan. tlaková", {132, 205, 55, 10}, kBelowList},
    {IdcPurposeHeating, TemplateControl::Check, "Teplovod/UT", {189, 205, 58, 10}, kBelowList},
    {IdcLabelName, TemplateControl::LabelRight, "Název:", {13, 226, 30, 8}, kBelowList},
    {IdcName, TemplateControl::Edit, nullptr, {46, 223, 81, 14}, kBelowList},
    {IdcLabelPopis, TemplateControl::LabelRight, "Popis:", {135, 226, 25, 8}, kBelowList},
    {IdcPopis, TemplateControl::Edit, nullptr, {162, 223, 85, 14}, kBelowList},
    {IdcLabelManufacturer, TemplateControl::LabelRight, "Výrobce:", {13, 244, 30, 8}, kBelowList},
    {IdcManufacturer, TemplateControl::Edit, nullptr, {46, 241, 201, 14}, kBelowList},
    {IdcLabelDetail, TemplateControl::LabelRight, "Podrobný popis", {13, 262, 55, 8}, kBelowList},
    {IdcDetail, TemplateControl::Edit, nullptr, {71, 260, 198, 14}, kBelowList},
    {IdcLabelPn, TemplateControl::LabelRight, "Tl. třída:", {12, 286, 30, 8}, kBelowList},
    {IdcComboPn, TemplateControl::DropDown, nullptr, {44, 283, 45, 30}, kBelowList},
    {IdcLabelSdr, TemplateControl::LabelRight, "SDr:", {25, 304, 17, 8}, kBelowList},
    {IdcComboSdr, TemplateControl::DropDown, nullptr, {44, 302, 45, 30}, kBelowList},
    {IdcLabelRoughness, TemplateControl::Label, "Drsnost [mm]:", {107, 285, 55, 8}, kBelowList},
    {IdcRoughness, TemplateControl::Edit, nullptr, {164, 282, 49, 14}, kBelowList},
    {IdcLabelDescMode, TemplateControl::Label, "Popis:", {107, 304, 30, 8}, kBelowList},
    {IdcDescDn, TemplateControl::Radio, "DN", {139, 303, 29, 10}, kBelowList},
    {IdcDescDxT, TemplateControl::Radio, "D x t", {170, 303, 34, 10}, kBelowList},
    {IdcDescOther, TemplateControl::Radio, "Jiný", {206, 303, 36, 10}, kBelowList},
    {-1, TemplateControl::GroupBox, "", {10, 318, 263, 26}, kBelowList},
    {IdcShapeCircle, TemplateControl::Radio, "Kruh", {25, 328, 38, 10}, kBelowList},
    {IdcShapeEgg, TemplateControl::Radio, "Vejce", {65, 328, 40, 10}, kBelowList},
    {IdcShapeEggPrague, TemplateControl::Radio, "Vejce - Praha", {107, 328, 66, 10}, kBelowList},
    {IdcShapeMouth, TemplateControl::Radio, "Tlama", {175, 328, 42, 10}, kBelowList},
    {IdcShapeRectangle, TemplateControl::Radio, "Obdélník", {219, 328, 50, 10}, kBelowList},
    {IdcProfileCaption, TemplateControl::Caption, "Profily", {269, 34, 152, 14}, 0},
    {IdcProfilePlaceholder, TemplateControl::Frame, nullptr, {268, 80, 275, 148}, AnchorGrow},
    {IdcEditingButton, TemplateControl::Button, "Editace materiálů...", {291, 330, 81, 14}, AnchorMoveY},
    {IdcHelpButton, TemplateControl::Button, "?", {382, 330, 15, 14}, kBottomRight},
    {IDCANCEL, TemplateControl::Button, "Zruš", {407, 330, 42, 14}, kBottomRight},
    {IDOK, TemplateControl::DefaultButton, "Vyber", {501, 330, 42, 14}, kBottomRight},
};

// The detail controls of the selection dialog: shown, never changed.
constexpr int kDetailControls[] = {
    IdcPurposeWater, IdcPurposeGas, IdcPurposeSewer, IdcPurposePressureSewer, IdcPurposeHeating,
    IdcName, IdcPopis, IdcManufacturer, IdcDetail, IdcComboPn, IdcComboSdr, IdcRoughness,
    IdcDescDn, IdcDescDxT, IdcDescOther, IdcShapeCircle, IdcShapeEgg, IdcShapeEggPrague, IdcShapeMouth, IdcShapeRectangle,
};

// Keeps a view from painting while the records it shows may be replaced under it.
class PaintFreeze {
public:
    explicit PaintFreeze(std::initializer_list<QWidget*> widgets)
    {
        for (QWidget* w : widgets) {
            if (w && w->updatesEnabled()) {
                w->setUpdatesEnabled(false);
                m_frozen.push_back(w);
            }
        }
    }
    ~PaintFreeze()
    {
        for (QWidget* w : m_frozen) w->setUpdatesEnabled(true);
    }
    PaintFreeze(const PaintFreeze&) = delete;
    PaintFreeze& operator=(const PaintFreeze&) = delete;

private:
    std::vector<QWidget*> m_frozen;
};

} // namespace

CQyDlgMatVyber::CQyDlgMatVyber(int templateId, QWidget* parent, const QString& headerText, int iconResourceId)
    : CQyAcDialog(templateId, parent, headerText, iconResourceId)
{
    // The tree-list exists with the dialog and is shown over the placeholder by
    // CreateProfileTree, so that the dialogs can connect to it before it is shown.
    m_treeProf = new CTreeListCtrl(this);
    m_treeProf->hide();
}

CQyDlgMatVyber::CQyDlgMatVyber(QWidget* parent)
    : CQyDlgMatVyber(IDD, parent, QStringLiteral("Dialog pro výběr materiálu"), kIconPipes)
{
    CreateTemplate504();
    ConnectCommonControls();
}

CQyDlgMatVyber::~CQyDlgMatVyber()
{
    // The base dialog hides itself during destruction and the tree-list then lays out its rows
    // again: it must not ask a dialog that is no longer whole for their texts.
    if (m_treeProf) m_treeProf->SetOwner(nullptr);
}

void CQyDlgMatVyber::CreateTemplate504()
{
    setWindowTitle(QStringLiteral("Materiály pro potrubí"));
    SetTemplateSize(553, 354);

    BuildTemplate(*this, kTemplate504);

    MakeRadioGroup({IdcGroupZti, IdcGroupNetworks, IdcGroupAll});
    MakeRadioGroup({IdcFilterSewer, IdcFilterPressureSewer, IdcFilterWater, IdcFilterGas, IdcFilterHeating, IdcFilterAll});
    MakeRadioGroup({IdcDescDn, IdcDescDxT, IdcDescOther});
    MakeRadioGroup({IdcShapeCircle, IdcShapeEgg, IdcShapeEggPrague, IdcShapeMouth, IdcShapeRectangle});
    for (int id : kDetailControls) {
        if (QWidget* control = GetDlgItem(id)) control->setEnabled(false);
    }
}

QButtonGroup* CQyDlgMatVyber::MakeRadioGroup(std::initializer_list<int> ids)
{
    auto* group = new QButtonGroup(this);
    group->setExclusive(true);
    for (int id : ids) {
        if (auto* button = GetDlgItemAs<QAbstractButton>(id)) group->addButton(button, id);
    }
    return group;
}

void CQyDlgMatVyber::ConnectCommonControls()
{
    m_listMat = GetDlgItemAs<CMaterialListCtrl>(IdcMaterialList);
    m_comboPN = GetDlgItemAs<QComboBox>(IdcComboPn);
    m_comboSDR = GetDlgItemAs<QComboBox>(IdcComboSdr);

    if (m_listMat) {
        m_listMat->Model()->SetTextProvider(
            [this](CWexMaterial* material, int column) { return OnGetMaterialText(material, column); });
        connect(m_listMat, &CMaterialListCtrl::itemSelected, this,
                [this](int row) { Guarded([&] { OnMaterialItemChanged(row); }); });
        m_listDblClkConnection = connect(m_listMat, &CMaterialListCtrl::itemDoubleClicked, this,
                                         [this](int row) { Guarded([&] { OnMaterialDblClk(row); }); });
    }
    connect(m_treeProf, &CTreeListCtrl::itemDoubleClicked, this,
            [this](TreeListItem*, int) { Guarded([&] { OnProfileDblClk(); }); });

    for (int id : {IdcFilterSewer, IdcFilterPressureSewer, IdcFilterWater, IdcFilterGas, IdcFilterHeating, IdcFilterAll,
                   IdcGroupZti, IdcGroupNetworks, IdcGroupAll})
        OnClicked(id, [this] { OnFilterClicked(); });
    OnClicked(IdcEditingButton, [this] { OnEditingButton(); });
    if (auto* help = GetDlgItemAs<QAbstractButton>(IdcHelpButton)) {
        m_helpConnection = connect(help, &QAbstractButton::clicked, this, [this] { Guarded([&] { OnHelp(); }); });
    }
}

int CQyDlgMatVyber::RunSelection(CWexSezMaterialu* catalog, MaterialFilter filter, bool selectProfile)
{
    // A dialog run before still lists the records of the catalog it was given then, which
    // may be gone: its rows go before anything can ask them for texts.
    if (IsInitialized()) {
        m_treeProf->DeleteAllItems();
        m_listMat->DeleteAllItems();
        m_nCurItem = -1;
    }
    m_pCatalog = catalog;
    m_filter = filter;
    m_bSelectProfile = selectProfile;
    m_pSelMaterial = nullptr;
    m_pSelProfile = nullptr;
    if (IsInitialized()) {
        // Opened again: listed afresh as the first opening lists, for the new catalog.
        CheckFilterButtons(m_filter);
        FillMaterialList(CheckedButtonFilter());
        m_treeProf->setEnabled(m_bSelectProfile);
    }
    return DoModal();
}

// --- Opening -----------------------------------------------------------------------------------

bool CQyDlgMatVyber::OnInitDialog()
{
    CQyAcDialog::OnInitDialog();

    auto* materialCaption = GetDlgItemAs<QLabel>(IdcMaterialCaption);
    auto* profileCaption = GetDlgItemAs<QLabel>(IdcProfileCaption);
    for (QLabel* caption : {materialCaption, profileCaption}) {
        if (caption) caption->setFont(CaptionFont());
    }
    if (!m_bEditing) {
        if (m_bSelectProfile && profileCaption) profileCaption->setText(QStringLiteral("Vyber profil potrubí"));
        if (!m_bSelectProfile && materialCaption) materialCaption->setText(QStringLiteral("Vyber materiál potrubí"));
    }
    ApplyCaptionColours();
    setWindowTitle(QStringLiteral("Materiály potrubí"));

    InitListColumns();
    CreateProfileTree();
    FillCombos();

    // Where no tooltip names the two lists for a screen reader, their captions do.
    if (m_listMat && m_listMat->accessibleName().isEmpty() && materialCaption) m_listMat->setAccessibleName(materialCaption->text());
    if (m_treeProf->accessibleName().isEmpty() && profileCaption) m_treeProf->setAccessibleName(profileCaption->text());

    // The list opens as the filter buttons show the host's filter, so the buttons never
    // claim a filter the list does not follow.
    CheckFilterButtons(m_filter);
    FillMaterialList(CheckedButtonFilter());

    m_treeProf->setEnabled(m_bSelectProfile);
    return true;
}

void CQyDlgMatVyber::InitListColumns()
{
    if (!m_listMat) return;
    // The client width of the list as it opens, empty (no scroll bar yet): the 20 pixels that
    // the three columns leave free make room for the vertical scroll bar once it fills.
    m_listMat->ensurePolished();
    const int client = m_listMat->width() - 2 * m_listMat->frameWidth();
    m_listMat->SetColumns({QStringLiteral("Zkrác. název"), QStringLiteral("Plný název / popis"), QStringLiteral("Výrobce")},
                          {95, 170, client - 285});
}

void CQyDlgMatVyber::FillCombos()
{
    if (m_comboPN) {
        m_comboPN->clear();
        for (int i = 0; i < kPnCount; ++i) m_comboPN->addItem(QString::fromUtf16(PnLabel(i)));
    }
    if (m_comboSDR) {
        m_comboSDR->clear();
        for (int i = 0; i < kSdrCount; ++i) m_comboSDR->addItem(QString::fromUtf16(SdrLabel(i)));
    }
    // A combo box selects its first entry as it is filled; the lists show the shown record's
    // selection instead, which is none until a material is shown.
    if (m_comboPN) m_comboPN->setCurrentIndex(m_shown.pnIndex);
    if (m_comboSDR) m_comboSDR->setCurrentIndex(m_shown.sdrIndex);
}

int CQyDlgMatVyber::PurposeButtonFor(std::uint32_t purposes)
{
    purposes &= PurposeAll;
    if (purposes == PurposeAll || purposes == 0) return IdcFilterAll;
    return IdcFilterSewer + std::countr_zero(purposes);
}

int CQyDlgMatVyber::GroupButtonFor(std::uint32_t group)
{
    if (group >= GroupBuildingServices && group <= GroupAll) return IdcGroupZti - 1 + static_cast<int>(group);
    return IdcGroupAll;
}

void CQyDlgMatVyber::CheckFilterButtons(MaterialFilter filter)
{
    if (auto* button = GetDlgItemAs<QAbstractButton>(PurposeButtonFor(filter.purposes))) button->setChecked(true);
    if (auto* button = GetDlgItemAs<QAbstractButton>(GroupButtonFor(filter.group))) button->setChecked(true);
}

MaterialFilter CQyDlgMatVyber::CheckedButtonFilter() const
{
    static constexpr std::uint32_t kPurposeOfButton[] = {PurposeSewer, PurposePressureSewer, PurposeWater,
                                                         PurposeGas, PurposeHeating};
    MaterialFilter filter{GroupAll, PurposeAll};
    for (int i = 0; i < 5; ++i) {
        auto* button = GetDlgItemAs<QAbstractButton>(IdcFilterSewer + i);
        if (button && button->isChecked()) filter.purposes = kPurposeOfButton[i];
    }
    auto* zti = GetDlgItemAs<QAbstractButton>(IdcGroupZti);
    auto* networks = GetDlgItemAs<QAbstractButton>(IdcGroupNetworks);
    if (zti && zti->isChecked()) filter.group = GroupBuildingServices;
    else if (networks && networks->isChecked()) filter.group = GroupUtilityNetworks;
    return filter;
}

// --- Buttons -------------------------------------------------------------------------------------

void CQyDlgMatVyber::OnFilterClicked()
{
    FillMaterialList(CheckedButtonFilter());
}

void CQyDlgMatVyber::OnOK()
{
    const int mark = m_listMat ? m_listMat->GetSelectionMark() : -1;
    CWexMaterial* material = m_listMat ? m_listMat->GetItemData(mark) : nullptr;
    if (!material) {
        GetWindowServices().ShowMessage(u"Není vybrána žádný materiál", kProgramTitle, MessageIcon::Warning,
                                        MessageButtons::Ok);
        return;
    }
    m_pSelMaterial = material;
    if (m_bSelectProfile) {
        TreeListItem* item = m_treeProf->GetSelectedItem();
        auto* profile = item ? static_cast<CWexProfil*>(m_treeProf->GetItemData(item)) : nullptr;
        if (!profile) {
            GetWindowServices().ShowMessage(u"Není vybrána žádný profil", kProgramTitle, MessageIcon::Warning,
                                            MessageButtons::Ok);
            return;
        }
        m_pSelProfile = profile;
    }
    CQyAcDialog::OnOK();
}

void CQyDlgMatVyber::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CQyDlgMatVyber::OnMaterialDblClk(int row)
{
    if (m_bSelectProfile) {
        GetWindowServices().ShowMessage(u"Je třeba vybrat profil z vedlejšího seznamu", kProgramTitle,
                                        MessageIcon::Warning, MessageButtons::Ok);
        return;
    }
    m_pSelMaterial = m_listMat->GetItemData(row);
    OnOK();
}

void CQyDlgMatVyber::OnProfileDblClk()
{
    if (m_bEditing) return;
    TreeListItem* item = m_treeProf->GetSelectedItem();
    m_pSelProfile = item ? static_cast<CWexProfil*>(m_treeProf->GetItemData(item)) : nullptr;
    OnOK();
}

void CQyDlgMatVyber::OnEditingButton()
{
    int result = -1;
    {
        // Accepted work replaces the catalog's records while the editing dialog is still up;
        // the list and the tree must not paint the old ones in that time.
        PaintFreeze freeze{m_listMat, m_treeProf};
        CQyDlgMatEdituj editing;
        result = editing.RunEditing(m_pCatalog, m_filter);
        if (result == IDOK) {
            // The profile rows name the replaced records; an emptied catalog lists no
            // material that would refill them.
            m_treeProf->DeleteAllItems();
            FillMaterialList(MaterialFilter{GroupAll, PurposeAll});
        }
    }
    if (result == -1) {
        GetWindowServices().ShowMessage(u"Nelze otevřít dialog editace materiálů - neznámá chyba", kProgramTitle,
                                        MessageIcon::Error, MessageButtons::Ok);
    }
}

void CQyDlgMatVyber::OnHelp()
{
    OpenHelpPage();
}

void CQyDlgMatVyber::ApplyCaptionColours()
{
    const int promptId = m_bSelectProfile ? IdcProfileCaption : IdcMaterialCaption;
    for (int id : {IdcMaterialCaption, IdcProfileCaption}) {
        auto* caption = GetDlgItemAs<QLabel>(id);
        if (!caption) continue;
        QPalette palette = caption->palette();
        const bool prompt = !m_bEditing && id == promptId;
        palette.setColor(QPalette::WindowText, prompt ? QColor(255, 0, 0) : HotLightColor());
        caption->setPalette(palette);
    }
}
