// The editing dialog as a whole: construction, opening, RunEditing, the edit modes with their
// enable rules, the material list and its four buttons, the keyboard, and every connection of
// the dialog's controls to their handlers (the handlers of the fields, the profile table and
// the catalog files live in the files named in the header).

#include "QyDlgMatEdituj.h"

#include "CWexMaterial.h"
#include "CheckedEdit.h"
#include "InputChecks.h"
#include "ProgramIcons.h"
#include "QtGuard.h"
#include "TreeListCtrl.h"
#include "WindowServices.h"

#include <QAbstractButton>
#include <QEvent>
#include <QKeyEvent>
#include <QPushButton>

using namespace MatDlgId;

namespace {

// Tooltips of all the dialog's controls, in the order they are registered.
struct ToolTipText {
    int id;
    const char* text;
};
constexpr ToolTipText kToolTipsBeforeRoughness[] = {
    {IdcGenerateProfiles, "Generovat automaticky řadu profilů"},
    {IdcCancelMaterial, "Zrušit provedené změny"},
    {IdcSaveMaterial, "Uložit provedené změny"},
    {IdcPurposeHeating, "Materiál vhodný pro tepelné systémy"},
    {IdcPurposeSewer, "Materiál je vhodný pro kanalizační systémy"},
    {IdcPurposePressureSewer, "Materiál je vhodný pro systémy tlakové (a podtlakové) kanalizace"},
    {IdcPurposeGas, "Materiál je vhodný pro plynovodní systémy"},
    {IdcPurposeWater, "Materiál je vhodný pro vodovodní systémy"},
    {IdcGroupCheckZti, "Materiál je vhodný pro vnitřní systémy - potrubí uvnitř objektu"},
    {IdcGroupCheckNetworks, "Materiál je vhodný pro inženýrské sítě, přípojky a rozvody v zemi"},
};
constexpr ToolTipText kToolTipsAfterRoughness[] = {
    {IdcRoughness, "Zadej desetinné číslo od 0.01 do 3.01"},
    {IdcComboSdr, "Charakterisktika profilu OD/s - SDr"},
    {IdcComboPn, "Tlaková řada"},
    {IdcUrsAssembly, "Kód položky v ceníku URS pro materiál (volitelně)"},
    {IdcUrsMaterial, "Kód položky v ceníku URS pro montáž (volitelně)"},
    {IdcName, "Unikátní název materiálu (max. 20 znaků) - pro evidenci"},
    {IdcPopis, "Název materiálu, který se bude zobrazovat ve výkrese (max. 20 znaků) - nemusí být unikátní"},
    {IdcDetail, "Podrobný název (popis) materiálu"},
    {IdcManufacturer, "Výrobce / distributor materiálu (max. 25 znaků)"},
    {IdcDeleteProfile, "Vymaž profil"},
    {IdcDeleteAllProfiles, "Vymaž všechny profily"},
    {IdcAddProfile, "Přidej profil"},
    {IdcEditMaterial, "Edituj materiál"},
    {IdcAddMaterial, "Přidej materiál"},
    {IdcCopyMaterial, "Kopíruj materiál"},
    {IdcDeleteMaterial, "Vymaž materiál"},
    {IdcGroupAll, "Zobrazit všechny materiály"},
    {IdcGroupNetworks, "Zobrazit materály vhodné pro inženýrské sítě"},
    {IdcGroupZti, "Zobrazit materály vhodné pro vnitřní a venkovní instalace ZTI"},
    {IdcFilterSewer, "Zobrazit materály vhodné pro kanalizaci"},
    {IdcFilterPressureSewer, "Zobrazit materály vhodné pro tlakovou kanalizaci"},
    {IdcFilterWater, "Zobrazit materály vhodné pro vodovod"},
    {IdcFilterGas, "Zobrazit materiály vhodné pro plynovod"},
    {IdcFilterHeating, "Zobrazit materály vhodné pro tepelné sítě / vytápění"},
    {IdcFilterAll, "Zobrazit všechny materiály"},
    {IdcDescDn, "Materiál bude popisován DN"},
    {IdcDescDxT, "Materiál bude popisován jako Dxt (vnější x stěna)"},
    {IdcDescOther, "Materiál bude popisován uživatelsky nadefinovaným popisem"},
    {IdcShapeCircle, "Standardní kruhový profil"},
    {IdcShapeMouth, "Tlamový profil"},
    {IdcShapeEgg, "Vejčitá stoka Vídeňského normálu"},
    {IdcShapeEggPrague, "Vejčitá stoka Pražského normálu"},
    {IdcShapeRectangle, "Obdélníkový profil (např. kolektor, apod.)"},
    {IdcProfilePlaceholder, "Seznam profilů"},
    {IdcMaterialList, "Seznam materiálů"},
    {IdcLoadFromFile, "Načte materiály z externího souboru"},
    {IdcLoadStandard, "Načte standardní materiály ze vestavěného souboru programu"},
    {IdcHelpButton, "Spustí online help"},
    {IDOK, "Opustí dialog s uložením provedených změn, bez výběru"},
    {IDCANCEL, "Opustí dialog bez uložení provedených změn"},
};

// What SetEditState enables while a material is pending (and disables while browsing).
constexpr int kFieldControls[] = {
    IdcPurposeWater, IdcPurposeGas, IdcPurposeSewer, IdcPurposePressureSewer, IdcPurposeHeating,
    IdcGroupCheckZti, IdcGroupCheckNetworks,
    IdcName, IdcPopis, IdcDetail, IdcManufacturer, IdcRoughness, IdcComboPn, IdcComboSdr,
    IdcDescDn, IdcDescDxT, IdcDescOther,
    IdcShapeCircle, IdcShapeEgg, IdcShapeEggPrague, IdcShapeMouth, IdcShapeRectangle,
    IdcLabelDescMode, IdcLabelDetail, IdcLabelManufacturer, IdcLabelSdr, IdcLabelName, IdcLabelPopis,
    IdcLabelPn, IdcLabelRoughness,
};
// What SetEditState disables while a material is pending (besides the profile controls).
constexpr int kBrowsingControls[] = {
    IdcMaterialList,
    IdcAddMaterial, IdcDeleteMaterial, IdcCopyMaterial, IdcEditMaterial,
    IdcFilterSewer, IdcFilterPressureSewer, IdcFilterWater, IdcFilterGas, IdcFilterHeating, IdcFilterAll,
    IdcGroupZti, IdcGroupNetworks, IdcGroupAll,
    IdcLoadFromFile, IdcLoadStandard,
};
// The material buttons that need a selected material (besides the profile controls).
constexpr int kCurrentMaterialButtons[] = {IdcDeleteMaterial, IdcCopyMaterial, IdcEditMaterial};
constexpr int kProfileControls[] = {
    IdcAddProfile, IdcDeleteProfile, IdcDeleteAllProfiles, IdcGenerateProfiles, IdcProfileTree,
    IdcUrsAssembly, IdcUrsMaterial,
};

bool IsEnterKey(const QKeyEvent* key)
{
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

} // namespace

// --- Construction --------------------------------------------------------------------------------

CQyDlgMatEdituj::CQyDlgMatEdituj(QWidget* parent)
    : CQyDlgMatVyber(IDD, parent, QStringLiteral("Dialog pro zadání materiálů"), kIconPipes)
{
    for (int i = 0; i < kDnCount; ++i) m_dnLabels[i] = DnLabel(i);
    m_dnLabels[kDnCount] = nullptr;

    m_editRoughness = new CCheckedEdit(&CQyDlgMatEdituj::IsValidRoughness, &IsDecimalKeystroke, QString(), QString(), -1, this);
    m_editName = new CCheckedEdit(nullptr, nullptr, QStringLiteral("Maximální délka je omezena na 20 znaků"),
                                  QStringLiteral("Příliš dlouhý název"), 20, this);
    m_editPopis = new CCheckedEdit(nullptr, nullptr, QStringLiteral("Maximální délka je omezena na 20 znaků"),
                                   QStringLiteral("Příliš dlouhý název"), 20, this);
    m_editManufacturer = new CCheckedEdit(nullptr, nullptr, QStringLiteral("Maximální délka je omezena na 25 znaků"),
                                          QStringLiteral("Příliš dlouhý název"), 25, this);

    m_bEditing = true;
    RegisterToolTips();

    CreateTemplate503();
    ConnectCommonControls();
    ConnectEditingControls();
}

CQyDlgMatEdituj::~CQyDlgMatEdituj()
{
    // The name edit loses the focus while the base dialog hides itself during destruction;
    // its handler must not reach the members destroyed by then.
    m_editName->blockSignals(true);
    // The base dialog hides itself during destruction and the tree-list then asks for texts
    // again: it must not ask this dialog, whose catalog and profiles are gone by then.
    if (m_treeProf) m_treeProf->SetOwner(nullptr);
    // The working copy's users lists name the slots of the caller's records (OK and Cancel
    // empty them too): a dialog that ends any other way must not null those slots either.
    m_workCatalog.ClearUsers();
}

void CQyDlgMatEdituj::RegisterToolTips()
{
    for (const ToolTipText& t : kToolTipsBeforeRoughness) AddToolTip(t.id, QString::fromUtf8(t.text));
    m_editRoughness->balloonText = QStringLiteral("Hydraulická drsnost potrubí [mm]\nod 0.01 do 3.0");
    m_editRoughness->balloonTitle = QStringLiteral("Zadání mimo rozsah");
    for (const ToolTipText& t : kToolTipsAfterRoughness) AddToolTip(t.id, QString::fromUtf8(t.text));
}

void CQyDlgMatEdituj::ConnectEditingControls()
{
    // The list's double click edits instead of accepting; "?" is the editing dialog's own.
    disconnect(m_listDblClkConnection);
    disconnect(m_helpConnection);
    connect(m_listMat, &CMaterialListCtrl::itemDoubleClicked, this, [this](int) { Guarded([&] { OnEditMaterial(); }); });
    OnClicked(IdcHelpButton, [this] { OnOnlineHelp(); });

    OnClicked(IdcAddMaterial, [this] { OnAddMaterial(); });
    OnClicked(IdcDeleteMaterial, [this] { OnDeleteMaterial(); });
    OnClicked(IdcCopyMaterial, [this] { OnCopyMaterial(); });
    OnClicked(IdcEditMaterial, [this] { OnEditMaterial(); });

    OnClicked(IdcSaveMaterial, [this] { SaveMaterial(); });
    OnClicked(IdcCancelMaterial, [this] { CancelMaterial(); });
    for (int id : {IdcGroupCheckZti, IdcGroupCheckNetworks}) OnClicked(id, [this, id] { OnGroupClicked(id); });
    for (int id : {IdcPurposeWater, IdcPurposeGas, IdcPurposeSewer, IdcPurposePressureSewer, IdcPurposeHeating})
        OnClicked(id, [this, id] { OnPurposeClicked(id); });
    OnClicked(IdcDescOther, [this] { OnDescriptionOther(); });
    connect(m_editName, &CCheckedEdit::killFocus, this, [this] { Guarded([&] { OnNameKillFocus(); }); });

    OnClicked(IdcAddProfile, [this] { OnAddProfile(); });
    OnClicked(IdcDeleteProfile, [this] { OnDeleteProfile(); });
    OnClicked(IdcDeleteAllProfiles, [this] { OnDeleteAllProfiles(); });
    OnClicked(IdcGenerateProfiles, [this] { OnGenerateProfiles(); });
    connect(m_treeProf, &CTreeListCtrl::itemSelectionChanged, this,
            [this](TreeListItem* oldItem, TreeListItem* newItem) { Guarded([&] { OnProfileSelChanged(oldItem, newItem); }); });

    OnClicked(IdcLoadFromFile, [this] { OnLoadFromFile(); });
    OnClicked(IdcLoadStandard, [this] { OnLoadStandard(); });

    for (QPushButton* button : findChildren<QPushButton*>(QString(), Qt::FindDirectChildrenOnly))
        button->installEventFilter(this);
}

// --- Running and opening ---------------------------------------------------------------------------

int CQyDlgMatEdituj::RunEditing(CWexSezMaterialu* catalog, MaterialFilter filter)
{
    if (!catalog) return -1;
    m_workCatalog.Assign(*catalog);
    m_pTargetCatalog = catalog;
    m_pCatalog = &m_workCatalog;
    m_filter = filter;
    return DoModal();
}

bool CQyDlgMatEdituj::OnInitDialog()
{
    CQyDlgMatVyber::OnInitDialog();

    // The placeholder's tooltip belongs to the profile list that now stands in its place.
    if (QWidget* placeholder = GetDlgItem(IdcProfilePlaceholder); placeholder && m_treeProf->toolTip().isEmpty())
        m_treeProf->setToolTip(placeholder->toolTip());

    SetEditState(false);

    SetButtonIcon(IdcDeleteProfile, kIconDelete);
    SetButtonIcon(IdcAddProfile, kIconAdd);
    SetButtonIcon(IdcEditMaterial, kIconEdit);
    SetButtonIcon(IdcAddMaterial, kIconAdd);
    SetButtonIcon(IdcCopyMaterial, kIconCopy);
    SetButtonIcon(IdcDeleteMaterial, kIconDelete);
    return true;
}

// --- Edit modes ------------------------------------------------------------------------------------

void CQyDlgMatEdituj::SetEditState(bool editing)
{
    for (int id : kFieldControls) {
        if (QWidget* control = GetDlgItem(id)) control->setEnabled(editing);
    }
    for (int id : {IdcCancelMaterial, IdcSaveMaterial}) {
        if (QWidget* control = GetDlgItem(id)) control->setVisible(editing);
    }
    for (int id : kBrowsingControls) {
        if (QWidget* control = GetDlgItem(id)) control->setEnabled(!editing);
    }
    if (editing) EnableProfileControls(false);
    else ShowCurrentMaterialState();
}

void CQyDlgMatEdituj::ShowCurrentMaterialState()
{
    // Every button that acts on "the current material" acts on the selected row's material,
    // the one the fields and the profile table show; without one there is nothing to act on.
    const bool current = m_nEditMode == EditBrowsing && CurrentListMaterial();
    for (int id : kCurrentMaterialButtons) {
        if (QWidget* control = GetDlgItem(id)) control->setEnabled(current);
    }
    EnableProfileControls(current);
    if (!current && m_nEditMode == EditBrowsing) ShowNoMaterial();
}

void CQyDlgMatEdituj::ShowNoMaterial()
{
    // No row is selected (an empty catalog, a filter no material passes, the last listed row
    // deleted): the fields and the profile table must not go on showing a material that the
    // list does not select.
    m_treeProf->DeleteAllItems();
    ShowProfileCodes(nullptr);
    m_shown = ShownMaterial{};
    m_shown.filter = MaterialFilter{0, 0};
    m_shown.descMode = -1;
    UpdateData(false);
}

void CQyDlgMatEdituj::EnableProfileControls(bool enable)
{
    for (int id : kProfileControls) {
        if (QWidget* control = GetDlgItem(id)) control->setEnabled(enable);
    }
}

// --- Material list ---------------------------------------------------------------------------------

void CQyDlgMatEdituj::FillMaterialList(MaterialFilter filter)
{
    if (m_pEditMaterial) {
        // A pending edit or copy is abandoned: its row may not be listed any more.
        m_nEditMode = EditBrowsing;
        ShowMaterial(m_pEditMaterial, DescOuterXWall);
        m_pEditMaterial = nullptr;
        SetEditState(false);
    }
    CQyDlgMatVyber::FillMaterialList(filter);
    ShowCurrentMaterialState();
}

CWexMaterial* CQyDlgMatEdituj::SelectedMaterial() const
{
    return m_listMat->GetItemData(m_listMat->GetSelectionMark());
}

void CQyDlgMatEdituj::OnAddMaterial()
{
    m_nEditMode = EditAdding;
    SetEditState(true);
    m_nCurItem = -1;
    const CWexMaterial* selected = SelectedMaterial();
    ShowMaterial(nullptr, selected ? selected->m_nDescMode : DescOuterXWall);
}

void CQyDlgMatEdituj::StartEditingSelected(EditMode mode)
{
    const int mark = m_listMat->GetSelectionMark();
    if (mark < 0) {
        m_pEditMaterial = nullptr;
        return;
    }
    m_pEditMaterial = m_listMat->GetItemData(mark);
    if (!m_pEditMaterial) return;
    m_nEditMode = mode;
    m_nCurItem = mode == EditEditing ? mark : -1;
    SetEditState(true);
    ShowMaterial(m_pEditMaterial, DescOuterXWall);
}

void CQyDlgMatEdituj::OnCopyMaterial()
{
    StartEditingSelected(EditCopying);
}

void CQyDlgMatEdituj::OnEditMaterial()
{
    StartEditingSelected(EditEditing);
}

void CQyDlgMatEdituj::OnDeleteMaterial()
{
    if (m_nEditMode != EditBrowsing || !m_pCatalog) return;
    const int mark = m_listMat->GetSelectionMark();
    if (mark < 0) return;

    const std::u16string name = m_listMat->GetItemText(mark, 0).toStdU16String();
    const CWexMaterial* material = m_pCatalog->Find(name);
    if (material && !material->IsUsed()) {
        // No row of the profile table may refer to a profile of the destroyed material.
        m_treeProf->DeleteAllItems();
        m_pCatalog->Remove(name);
        m_listMat->SetItemData(mark, nullptr);
        m_listMat->DeleteItem(mark);
    }

    m_nCurItem = m_listMat->GetSelectionMark();
    m_listMat->setFocus(Qt::OtherFocusReason);
    m_listMat->SelectItem(m_nCurItem);
    // The last listed row deleted leaves no current material, also when the filter hides others.
    ShowCurrentMaterialState();
}

// --- Keyboard ---------------------------------------------------------------------------------------

bool CQyDlgMatEdituj::PreTranslateKey(QKeyEvent* event)
{
    if (!event || event->type() != QEvent::KeyPress || m_nEditMode == EditBrowsing) return false;
    if (IsEnterKey(event)) {
        SaveMaterial();
        return true;
    }
    if (event->key() == Qt::Key_Escape) {
        CancelMaterial();
        return true;
    }
    return false;
}

bool CQyDlgMatEdituj::eventFilter(QObject* watched, QEvent* event)
{
    // A push button takes Enter itself (it clicks); while a material is pending Enter stores it,
    // whichever control has the focus.
    if (event->type() == QEvent::KeyPress && m_nEditMode != EditBrowsing) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (IsEnterKey(key)) {
            bool handled = false;
            Guarded([&] { handled = PreTranslateKey(key); });
            if (handled) return true;
        }
    }
    return CQyDlgMatVyber::eventFilter(watched, event);
}

// --- Tree-list owner --------------------------------------------------------------------------------

bool CQyDlgMatEdituj::OnTreeListGetText(CTreeListCtrl&, const TreeListTextRequest& request, QString& text)
{
    return OnGetProfileText(request, text);
}

int CQyDlgMatEdituj::OnTreeListCheckCell(CTreeListCtrl&, CCheckedEdit& editor, const TreeListEditInfo& edit)
{
    return OnCheckProfileCell(editor, edit);
}

int CQyDlgMatEdituj::OnTreeListSetText(CTreeListCtrl&, const TreeListEditInfo& edit)
{
    return OnSetProfileText(edit);
}
