// Loading and saving the user catalog and the standard catalog, with every message the user
// sees on the way.

#include "CWexFileError.h"
#include "CWexFunkce.h"
#include "CWexRegistry.h"
#include "CWexSezMaterialu.h"
#include "CatalogFile.h"
#include "WindowServices.h"

#include <filesystem>

namespace {

void ShowCannotOpen(const std::u16string& path, const std::u16string& content)
{
    TaskDialogSpec request;
    request.title = kProgramTitle;
    request.mainInstruction = u"Nelze otevřít soubor:\n" + path;
    request.content = content;
    request.icon = MessageIcon::Error;
    request.commonButtons = TaskButtonOk;
    GetWindowServices().ShowTaskDialog(request);
}

void ShowFileError(const char16_t* text)
{
    GetWindowServices().ShowMessage(text, u"Neočekávaná výjimka", MessageIcon::Error, MessageButtons::Ok);
}

} // namespace

bool CWexSezMaterialu::LoadFromFile(bool standard)
{
    std::u16string path;
    try {
        path = CWexRegistry::GetDataFolder(standard ? CWexRegistry::CommonInstallPath : CWexRegistry::CommonDataPath,
                                           false) +
               (standard ? kStandardCatalogName : kUserCatalogName);
        try {
            ReadCatalogFile(std::filesystem::path(path), *this, false);
            m_bSaved = !standard; // the standard catalog is not what the user file holds
            ResetProjectIndexes();
            return true;
        } catch (const CWexFileError& e) {
            if (!e.IsOpenFailure()) throw;
        }
    } catch (const CWexFileError&) {
        // Also a file that ends inside a record: what was read so far stays.
        ShowFileError(u"Chyba při čtení ze souboru");
        return false;
    } catch (const std::exception& e) {
        ShowException(e);
        return false;
    }

    // The file could not be opened: missing, refused, or held by another process.
    if (standard) {
        ShowCannotOpen(path, u"\nDoporučujeme přeinstalovat program" + kProgramTitle);
        return false;
    }
    ShowCannotOpen(path, u"Bude načten standardní soubor");
    const bool loaded = LoadFromFile(true);
    // The first start creates the user catalog (and its folder) this way.
    if (loaded) SaveToFile();
    return loaded;
}

bool CWexSezMaterialu::SaveToFile()
{
    // An empty catalog is never written: the file on disk keeps what it holds.
    if (m_materials.empty()) return true;
    std::u16string path;
    try {
        path = CWexRegistry::GetDataFolder(CWexRegistry::CommonDataPath, true) + kUserCatalogName;
        WriteCatalogFile(std::filesystem::path(path), *this);
    } catch (const CWexFileError& e) {
        if (e.IsOpenFailure())
            ShowCannotOpen(path, u"Nelze uložit provedené změny");
        else
            ShowFileError(u"Chyba při zápisu do souboru");
        return false;
    } catch (const std::exception& e) {
        ShowException(e);
        return false;
    }
    m_bSaved = true;
    return true;
}
