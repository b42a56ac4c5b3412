#pragma once
// The catalog editing dialog: the user filters and browses the materials; adds, copies,
// edits and deletes them; edits each material's profile table; merges other catalog files or
// the standard catalog; and accepts (OK) or abandons ("Zruš") all of it at once.
//
// It works on a working copy of the caller's catalog (m_workCatalog); OK hands the work back.
// Derived from the selection dialog, whose list, filters, detail controls and profile tree it
// inherits; m_bEditing switches the selection-only behaviour off.
//
// Use: CQyDlgMatEdituj dlg; dlg.RunEditing(&catalog, {3, 31});
//
// Files, by concern:
//   QyDlgMatEdituj.cpp          construction, opening, RunEditing, edit modes and enable rules,
//                               the material list and its four buttons, keys, all connections
//   QyDlgMatEditujTemplate.cpp  template 503: every control with its position
//   QyDlgMatEditujFields.cpp    the material fields: exchange, storing and abandoning a
//                               material, the group/purpose rules, "Jiný", name -> "Popis:"
//   QyDlgMatEditujProfiles.cpp  the profile table: columns, rows, texts, cell checks, the
//                               profile buttons, the price-list code edits
//   QyDlgMatEditujFiles.cpp     loading catalog files and the standard catalog, OK, Cancel, help

#include "QyDlgMatVyber.h"

#include "CWexSezMaterialu.h"
#include "PipeTables.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <string>

class CCheckedEdit;
class QFileDialog;

class CQyDlgMatEdituj : public CQyDlgMatVyber {
    Q_OBJECT

public:
    enum { IDD = 503 };

    // Edit modes (m_nEditMode).
    enum EditMode : std::int32_t {
        EditBrowsing = 0,
        EditAdding = 1,
        EditCopying = 2,
        EditEditing = 3,
    };

    explicit CQyDlgMatEdituj(QWidget* parent = nullptr);
    ~CQyDlgMatEdituj() override;

    // --- Members, after those of the selection dialog ------------------------------------------
    std::int32_t m_nEditMode = EditBrowsing;
    CWexMaterial* m_pEditMaterial = nullptr;   // edited material (mode 3) or copy source (mode 2)
    const char16_t* m_dnLabels[kDnCount + 1] = {}; // the DN labels, then null: the DN column's list
    CCheckedEdit* m_editRoughness = nullptr;   // edit 11075
    CCheckedEdit* m_editName = nullptr;        // edit 11084
    CCheckedEdit* m_editPopis = nullptr;       // edit 11086
    CCheckedEdit* m_editManufacturer = nullptr; // edit 11070
    CWexSezMaterialu m_workCatalog;            // the working copy the dialog edits (owned)
    CWexSezMaterialu* m_pTargetCatalog = nullptr; // the caller's catalog (not owned)
    QString m_strUrsAssembly;                  // exchanged with edit 11081
    QString m_strUrsMaterial;                  // exchanged with edit 11072

    // The host's and the application's entry: copies `catalog` into the working copy, lists it
    // as `filter` says and runs the dialog. IDOK after OK (the caller's catalog then holds the
    // accepted work), IDCANCEL after "Zruš", Escape or the close box, -1 when the dialog cannot
    // be opened (also for a null catalog).
    virtual int RunEditing(CWexSezMaterialu* catalog, MaterialFilter filter);

    // --- Edit modes and enable rules (QyDlgMatEdituj.cpp) ----------------------------------------
    // true: the material fields enabled, everything that could change the list or the catalog
    // disabled, "Zruš.." and "Ulož.." shown. false: the reverse.
    void SetEditState(bool editing);
    // The profile buttons, the tree-list and the two price-list code edits together.
    void EnableProfileControls(bool enable);
    // While browsing: "X", "%", "..." and the profile controls are enabled only when a list row
    // is selected; with none the fields and the profile table are emptied.
    void ShowCurrentMaterialState();

    // --- Material fields (QyDlgMatEditujFields.cpp) ------------------------------------------------
    // Stores the pending material; true when nothing is pending or it was stored, false when
    // storing was refused (the dialog stays in its editing state).
    bool SaveMaterial();
    // Abandons the pending material and returns to browsing.
    void CancelMaterial();
    // The whole-text check of the roughness edit: a decimal number from 0.01 to 3.0.
    static bool IsValidRoughness(const std::wstring& text);

protected:
    // --- Overrides (the file of each is named above) -------------------------------------------------
    bool OnInitDialog() override;                          // QyDlgMatEdituj.cpp
    bool PreTranslateKey(QKeyEvent* event) override;       // QyDlgMatEdituj.cpp
    void FillMaterialList(MaterialFilter filter) override; // QyDlgMatEdituj.cpp
    void DoDataExchange(bool saveAndValidate) override;    // Fields
    void CreateProfileTree() override;                     // Profiles
    TreeListItem* InsertProfileItem(CWexProfil* profile) override; // Profiles
    void OnMaterialShown(CWexMaterial* material) override; // Profiles
    void OnOK() override;                                  // Files
    void OnCancel() override;                              // Files

    // TreeListOwner: forwarded to the profile handlers below (QyDlgMatEdituj.cpp).
    bool OnTreeListGetText(CTreeListCtrl& tree, const TreeListTextRequest& request, QString& text) override;
    int OnTreeListCheckCell(CTreeListCtrl& tree, CCheckedEdit& editor, const TreeListEditInfo& edit) override;
    int OnTreeListSetText(CTreeListCtrl& tree, const TreeListEditInfo& edit) override;

    // Enter on a push button while a material is pending stores it, as everywhere else.
    bool eventFilter(QObject* watched, QEvent* event) override;

    // --- Material list and its buttons (QyDlgMatEdituj.cpp) ----------------------------------------
    void OnAddMaterial();    // "+" 11066
    void OnDeleteMaterial(); // "X" 11064
    void OnCopyMaterial();   // "%" 11065
    void OnEditMaterial();   // "..." 11067 and a double click on a list row

    // --- Material fields (QyDlgMatEditujFields.cpp) ------------------------------------------------
    void OnGroupClicked(int id);   // check boxes 11087, 11088
    void OnPurposeClicked(int id); // check boxes 11076, 11077, 11078, 11080, 11079
    void OnDescriptionOther();     // radio 11012 "Jiný"
    void OnNameKillFocus();        // edit 11084 lost the focus

    // --- Profile table (QyDlgMatEditujProfiles.cpp) -------------------------------------------------
    void OnAddProfile();        // "+" 11068
    void OnDeleteProfile();     // "X" 11069
    void OnDeleteAllProfiles(); // "Vymazat vše" 11071
    void OnGenerateProfiles();  // "Generovat..." 11085
    // The tree-list's selection moved from `oldItem` to `newItem` (either may be null).
    void OnProfileSelChanged(TreeListItem* oldItem, TreeListItem* newItem);
    // The text of a profile cell; false when there is none.
    bool OnGetProfileText(const TreeListTextRequest& request, QString& text);
    // The new text of a profile cell after an accepted edit; non-zero answer on failure.
    int OnSetProfileText(const TreeListEditInfo& edit);
    // Checks a cell edit before it ends: 0 accepts, anything else refuses (editor stays open).
    int OnCheckProfileCell(CCheckedEdit& editor, const TreeListEditInfo& edit);

    // --- Catalog files, closing, help (QyDlgMatEditujFiles.cpp) ------------------------------------
    void OnLoadFromFile(); // "Načíst ze souboru..." 11058
    // Configures the file chooser (title, start folder, file type); false when it cannot be.
    bool ChooseCatalogFile(QFileDialog& dialog);
    void OnLoadStandard(); // "Načíst standardní..." 11056
    void OnOnlineHelp();   // "?" 11050
    // "Vymazat stávající" and Yes before a load: every row of the list and the profile table
    // goes, then every material of the working catalog that is not in use (a material stays
    // while a host points at it or at one of its profiles).
    void ClearWorkingCatalog();
    // After a load, failed or not: the working catalog counts as changed and the list shows
    // every material.
    void ShowLoadedCatalog();

private:
    void CreateTemplate503();     // QyDlgMatEditujTemplate.cpp
    void RegisterToolTips();
    void ConnectEditingControls();
    // The material of the list's selection mark, or null.
    CWexMaterial* SelectedMaterial() const;
    // The fields and the profile table show no material.
    void ShowNoMaterial();
    // After storing or abandoning a material: the list takes the focus back, so that the next
    // Enter reaches the default button.
    void ReturnFocusToList();
    // "%" and "...": the fields show the selected material in `mode`.
    void StartEditingSelected(EditMode mode);

public:
    // Stores the price-list codes typed into edits 11081 and 11072 into the profile they are
    // shown for (the tree-list's selected row). OK, showing another material and loading a
    // catalog call it first, so a code typed into the selected row is never lost.
    void CommitProfileCodes();

private:
    // --- Profile table helpers (QyDlgMatEditujProfiles.cpp) ----------------------------------------
    TreeListItem* m_pCodesItem = nullptr;   // the row whose codes edits 11081 and 11072 show
    CWexProfil* m_pCodesProfile = nullptr;  // that row's profile
    void ShowProfileCodes(TreeListItem* item);
    void OnProfileCodeEdited(int id, const QString& text);
    void ConnectProfileCodeEdits();
    void SortProfileRows();
    CWexMaterial* CurrentListMaterial() const;

    // Storing the pending material (QyDlgMatEditujFields.cpp). False when refused with a
    // message; a CWexException from the material passes on after everything was put back.
    bool StoreNewMaterial();
    bool StoreEditedMaterial();
    // Copies of the source's profiles, with empty users lists, entered in `target`.
    static void CopyProfilesInto(CWexMaterial& target, const CWexMaterial& source);
    // Checks box `id` again when it was the last checked one of `ids` (with the balloon).
    void KeepOneChecked(int id, const int* ids, std::size_t count);
};
