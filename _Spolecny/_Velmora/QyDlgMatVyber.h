#pragma once
// The selection dialog: a host picks one material of a catalog and, when asked, one of its
// profiles. The materials stand in a filterable list sorted by name; the shown material's
// values fill read-only controls, its profiles a tree-list beside them. "Editace materiálů..."
// runs the editing dialog on the same catalog.
//
// It is also the base of the editing dialog CQyDlgMatEdituj, which overrides the virtual
// operations below and switches the selection-only behaviour off with m_bEditing.
//
// Host use: CQyDlgMatVyber dlg; if (dlg.RunSelection(&catalog, {3, 31}, true) == IDOK) read
// dlg.m_pSelMaterial and dlg.m_pSelProfile (both point into the catalog's own records).
//
// Files: QyDlgMatVyber.cpp (construction, template 504, opening, buttons, accept),
// QyDlgMatVyberLists.cpp (material list, profile tree, showing a material).

#include "CWexSezMaterialu.h"
#include "MaterialListCtrl.h"
#include "QyAcDialog.h"
#include "ShownMaterial.h"
#include "TreeListCtrl.h"

#include <QMetaObject>

#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

class QButtonGroup;
class QComboBox;
class CWexMaterial;
class CWexProfil;

// Control IDs of the catalog dialogs (templates 503 and 504).
namespace MatDlgId {
enum : int {
    IdcDescDn = 11010, IdcDescDxT = 11011, IdcDescOther = 11012,
    IdcFilterSewer = 11020, IdcFilterPressureSewer = 11021, IdcFilterWater = 11022, IdcFilterGas = 11023,
    IdcFilterHeating = 11024, IdcFilterAll = 11025,
    IdcGroupZti = 11030, IdcGroupNetworks = 11031, IdcGroupAll = 11032,
    IdcShapeCircle = 11035, IdcShapeEgg = 11036, IdcShapeEggPrague = 11037, IdcShapeMouth = 11038, IdcShapeRectangle = 11039,
    IdcEditingButton = 11047,
    IdcProfilePlaceholder = 11049,
    IdcHelpButton = 11050,
    IdcDetail = 11051,
    IdcLoadStandard = 11056,
    IdcLoadFromFile = 11058,
    IdcMaterialList = 11063,
    IdcDeleteMaterial = 11064, IdcCopyMaterial = 11065, IdcAddMaterial = 11066, IdcEditMaterial = 11067,
    IdcAddProfile = 11068, IdcDeleteProfile = 11069,
    IdcManufacturer = 11070,
    IdcDeleteAllProfiles = 11071,
    IdcUrsMaterial = 11072,
    IdcComboPn = 11073, IdcComboSdr = 11074,
    IdcRoughness = 11075,
    IdcPurposeWater = 11076, IdcPurposeGas = 11077, IdcPurposeSewer = 11078, IdcPurposeHeating = 11079,
    IdcPurposePressureSewer = 11080,
    IdcUrsAssembly = 11081,
    IdcSaveMaterial = 11082, IdcCancelMaterial = 11083,
    IdcName = 11084,
    IdcGenerateProfiles = 11085,
    IdcPopis = 11086,
    IdcGroupCheckZti = 11087, IdcGroupCheckNetworks = 11088,
    IdcMaterialCaption = 11100, IdcProfileCaption = 11101,
    IdcLabelManufacturer = 11105, IdcLabelName = 11106, IdcLabelDetail = 11107, IdcLabelPn = 11108,
    IdcLabelRoughness = 11109, IdcLabelDescMode = 11110, IdcLabelSdr = 11111, IdcLabelPopis = 11112,
    IdcProfileTree = 4100,
};
} // namespace MatDlgId

class CQyDlgMatVyber : public CQyAcDialog, public TreeListOwner {
    Q_OBJECT

public:
    enum { IDD = 504 };

    explicit CQyDlgMatVyber(QWidget* parent = nullptr);
    ~CQyDlgMatVyber() override;

    // --- Members ----------------------------------------------------------------------------
    CMaterialListCtrl* m_listMat = nullptr; // material list 11063
    CTreeListCtrl* m_treeProf = nullptr;    // profile tree-list 4100, shown by CreateProfileTree
    QComboBox* m_comboPN = nullptr;         // pressure-class combo 11073
    QComboBox* m_comboSDR = nullptr;        // SDR combo 11074
    CWexSezMaterialu* m_pCatalog = nullptr; // the listed catalog; not owned
    ShownMaterial m_shown;                  // the material in the detail controls
    std::int32_t m_nCurItem = -1;           // list row of the shown material; -1: none
    bool m_bSelectProfile = false;          // a profile must be chosen as well
    bool m_bEditing = false;                // true in the editing dialog
    MaterialFilter m_filter;                // the host's filter
    CWexMaterial* m_pSelMaterial = nullptr; // result: the chosen material
    CWexProfil* m_pSelProfile = nullptr;    // result: the chosen profile

    // --- Virtual operations, in their order ---------------------------------------------------
    // Shows the profile tree-list over placeholder 11049, with its columns.
    virtual void CreateProfileTree();
    // Appends the profile's row (callback texts, item data the profile); the handle is stored
    // in the profile's m_hItem and returned.
    virtual TreeListItem* InsertProfileItem(CWexProfil* profile);
    // After the profile rows were deleted for a newly shown material, before its rows are
    // inserted. Nothing here.
    virtual void OnMaterialShown(CWexMaterial* material);
    // Refills the list with the catalog's materials that pass `filter`, sorted by name, and
    // selects (and so shows) the first one.
    virtual void FillMaterialList(MaterialFilter filter);
    // The host's entry: lists `catalog` (not owned; null lists nothing), checks the filter
    // buttons for `filter`, runs the dialog. IDOK (results set), IDCANCEL, or -1 when the
    // dialog could not be opened.
    virtual int RunSelection(CWexSezMaterialu* catalog, MaterialFilter filter, bool selectProfile);

    // Fills m_shown from `material` (null: the values of a new material, with `descMode`)
    // and the detail controls from m_shown; the focus goes to the name edit.
    void ShowMaterial(CWexMaterial* material, int descMode);

    // The filter the purpose and group buttons stand for (what a click on them applies).
    MaterialFilter CheckedButtonFilter() const;
    // The buttons that show `filter`: "Vše" for all purposes, else the lowest purpose bit; the
    // group's button ("Vše" for a group outside 1..3).
    static int PurposeButtonFor(std::uint32_t purposes);
    static int GroupButtonFor(std::uint32_t group);

    // Buffer sizes the texts on request are copied into, as the platform's controls offer.
    static constexpr int kListTextBuffer = 260;

protected:
    // The editing dialog's construction: no controls yet (it lays out template 503).
    CQyDlgMatVyber(int templateId, QWidget* parent, const QString& headerText, int iconResourceId);

    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void DoDataExchange(bool saveAndValidate) override;

    // TreeListOwner: the profile texts.
    bool OnTreeListGetText(CTreeListCtrl& tree, const TreeListTextRequest& request, QString& text) override;

    // The material texts (column 0 name, 1 detail, 2 manufacturer), copied as into the list
    // control's buffer. A text that does not fit is reported once per material and column
    // and shows empty.
    QString OnGetMaterialText(CWexMaterial* material, int column);
    // The texts of the selection dialog's two tree columns.
    bool GetBaseProfileText(const TreeListTextRequest& request, QString& text);

    // Message handlers of the selection dialog.
    void OnMaterialItemChanged(int row);   // a list row became selected: show its material
    void OnMaterialDblClk(int row);        // accept on double-click (material mode)
    void OnProfileDblClk();                // accept on double-click of a profile
    void OnFilterClicked();                // any filter button
    void OnEditingButton();                // "Editace materiálů..."
    void OnHelp();                         // "?"

    // Template 504's controls (QyDlgMatVyber.cpp).
    void CreateTemplate504();
    // Connects what both dialogs share: list, tree-list, filter buttons, "?" and the
    // editing button. The derived dialog replaces the two connections below.
    void ConnectCommonControls();
    // The profile tree-list's client width in pixels (no vertical scroll bar counted).
    int ProfileTreeClientWidth() const;
    // An exclusive group of radio buttons (each radio group checks one button).
    QButtonGroup* MakeRadioGroup(std::initializer_list<int> ids);
    // Colours of the captions 11100 and 11101.
    void ApplyCaptionColours();

    QMetaObject::Connection m_listDblClkConnection;
    QMetaObject::Connection m_helpConnection;

private:
    void InitListColumns();
    void FillCombos();
    void CheckFilterButtons(MaterialFilter filter);
    void ReportTextFailureOnce(CWexMaterial* material, int column);

    // (material, column) whose text failed and was reported already.
    std::vector<std::pair<const CWexMaterial*, int>> m_reportedTextFailures;
};
