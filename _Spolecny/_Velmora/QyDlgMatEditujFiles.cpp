// The editing dialog's catalog files and closing: merging a catalog file or the standard
// catalog into the working copy, OK and Cancel, and the online help.

#include "QyDlgMatEdituj.h"

#include "CWexFileError.h"
#include "CWexFunkce.h"
#include "CWexProfil.h"
#include "CWexRegistry.h"
#include "CatalogFile.h"
#include "HelpPage.h"
#include "WindowServices.h"

#include <QDir>
#include <QFileDialog>

#include <filesystem>
#include <string>
#include <vector>

namespace {

// The buttons of the question of "Načíst standardní...". "Zrušit načítání" carries the cancel
// code, so that Escape and the close box answer it: closing the question loads nothing.
enum LoadStandardChoice : int {
    kClearExisting = 101,
    kAddMaterials = 102,
    kCancelLoading = IDCANCEL,
};

// A material that a host's object points at, itself or through one of its profiles.
// Destroying it would take the record from under that object.
bool InUse(const CWexMaterial& material)
{
    if (material.IsUsed()) return true;
    for (const auto& [dn, profile] : material.m_profiles) {
        if (profile->IsUsed()) return true;
    }
    return false;
}

// Writes every record's address into the reference slots its users registered. After OK the
// users still point at the caller's old records, which the accepted copies replace.
void PointUsersAt(CWexSezMaterialu& catalog)
{
    for (auto& [name, material] : catalog.m_materials) {
        for (CWexMaterial** slot : material->m_users) {
            if (slot) *slot = material.get();
        }
        for (auto& [dn, profile] : material->m_profiles) {
            for (CWexProfil** slot : profile->m_users) {
                if (slot) *slot = profile.get();
            }
        }
    }
}

void ShowCannotOpen(const QString& path)
{
    GetWindowServices().ShowMessage(u"Nelze otevřít soubor" + QDir::toNativeSeparators(path).toStdU16String(),
                                    u"Neočekávaná výjimka", MessageIcon::Error, MessageButtons::Ok);
}

} // namespace

// --- Loading ---------------------------------------------------------------------------------------

void CQyDlgMatEdituj::OnLoadFromFile()
{
    QString path;
    {
        QFileDialog chooser(this);
        try {
            if (!ChooseCatalogFile(chooser)) return;
        } catch (const std::exception& e) {
            ShowException(e);
            return;
        }
        if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return;
        path = chooser.selectedFiles().constFirst();
    }

    TaskDialogSpec question;
    question.title = kProgramTitle;
    question.mainInstruction = u"Vymazat před načtením všechny materiály? (používané materiály vymazat nelze)";
    question.content = u"Pozor, tento krok je nevratný. \nNE - načtené materiály budou přidány\n a v případě výskytu "
                       u"identických názvů budete vyzváni k přepsání";
    question.icon = MessageIcon::Warning;
    question.commonButtons = TaskButtonYes | TaskButtonNo | TaskButtonCancel;
    const int answer = GetWindowServices().ShowTaskDialog(question);
    // Cancel, and a question that could not be shown, leave everything as it is.
    if (answer != IDYES && answer != IDNO) return;

    CommitProfileCodes();
    if (answer == IDYES) ClearWorkingCatalog();
    try {
        ReadCatalogFile(std::filesystem::path(path.toStdU16String()), m_workCatalog, false);
    } catch (const CWexFileError&) {
        // Missing, locked, unreadable or cut short: what was read before the failure stays.
        ShowCannotOpen(path);
    } catch (const std::exception& e) {
        ShowException(e);
    }
    ShowLoadedCatalog();
}

bool CQyDlgMatEdituj::ChooseCatalogFile(QFileDialog& dialog)
{
    dialog.setWindowTitle(QStringLiteral("Vyhledej soubor pro načtení") + QStringLiteral(" katalogu potrubí"));
    // The common data folder itself, where catalogs to share are put; a folder that is not
    // there leaves the chooser where it would start anyway.
    const std::u16string folder = CWexRegistry::GetPath(CWexRegistry::CommonDataPath);
    if (!folder.empty()) dialog.setDirectory(QString::fromStdU16String(folder));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // Only an existing file of the catalog type can be chosen.
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("ptq"));
    dialog.setNameFilter(QStringLiteral("Katalogy potrubí (*.ptq)"));
    return true;
}

void CQyDlgMatEdituj::OnLoadStandard()
{
    TaskDialogSpec question;
    question.title = kProgramTitle;
    question.icon = MessageIcon::Warning;
    question.mainInstruction = u"Vymazat stávající materiály?";
    question.content = u"Vymazat před načtením všechny materiály (používané materiály vymazat nelze)?\nPozor, tento "
                       u"krok je nevratný.\n(V případě výskytu identických názvů budete vyzváni k přepsání)";
    question.customButtons = {{kClearExisting, u"Vymazat stávající"},
                              {kAddMaterials, u"Přidat materiály"},
                              {kCancelLoading, u"Zrušit načítání"}};
    question.defaultButton = kClearExisting;
    const int answer = GetWindowServices().ShowTaskDialog(question);
    // "Zrušit načítání", the question closed without a button, or not shown at all.
    if (answer != kClearExisting && answer != kAddMaterials) return;

    CommitProfileCodes();
    if (answer == kClearExisting) ClearWorkingCatalog();
    m_workCatalog.LoadFromFile(true); // reports its own failures
    ShowLoadedCatalog();
}

void CQyDlgMatEdituj::ClearWorkingCatalog()
{
    // No row may show a record that is about to go.
    m_treeProf->DeleteAllItems();
    ShowProfileCodes(nullptr);
    m_listMat->DeleteAllItems();
    m_nCurItem = -1;

    // The questions promise that materials in use are not deleted: they stay and are listed
    // again with what is read.
    std::vector<std::u16string> unused;
    for (const auto& [name, material] : m_workCatalog.m_materials) {
        if (!InUse(*material)) unused.push_back(name);
    }
    for (const std::u16string& name : unused) m_workCatalog.Remove(name);
}

void CQyDlgMatEdituj::ShowLoadedCatalog()
{
    // After a load the working catalog counts as changed, even when the file added nothing
    // or its reading failed half-way, so that OK writes what the list now shows.
    m_workCatalog.m_bSaved = false;
    FillMaterialList(MaterialFilter{GroupAll, PurposeAll});
}

// --- Closing ---------------------------------------------------------------------------------------

void CQyDlgMatEdituj::OnOK()
{
    // A price-list code still in its edit belongs to the work being accepted.
    CommitProfileCodes();
    // The controls are checked before anything is handed back: a dialog that stays open has
    // changed neither the file nor the caller's catalog.
    if (!UpdateData(true)) return;

    // A material pending in the fields is not stored: the catalog is taken as it stands.
    // A failed save is reported by SaveToFile itself and does not keep the work from the caller.
    if (!m_workCatalog.m_bSaved) m_workCatalog.SaveToFile();
    if (m_pTargetCatalog && m_pTargetCatalog != &m_workCatalog) {
        m_pTargetCatalog->Assign(m_workCatalog);
        // The working copy dies with the dialog; its records must not null the users' slots.
        m_workCatalog.ClearUsers();
        PointUsersAt(*m_pTargetCatalog);
    }
    EndDialog(IDOK);
}

void CQyDlgMatEdituj::OnCancel()
{
    CommitProfileCodes();
    if (!m_workCatalog.m_bSaved) {
        const int answer = GetWindowServices().ShowMessage(u"Uložit provedené změny do souboru?", kProgramTitle,
                                                           MessageIcon::None, MessageButtons::YesNoCancel);
        if (answer == IDCANCEL) return;
        if (answer == IDYES) m_workCatalog.SaveToFile();
    }
    // The caller's catalog keeps its own records, and the users' slots keep pointing at them.
    m_workCatalog.ClearUsers();
    EndDialog(IDCANCEL);
}

void CQyDlgMatEdituj::OnOnlineHelp()
{
    OpenHelpPage();
}
