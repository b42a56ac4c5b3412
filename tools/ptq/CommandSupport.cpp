#include "CommandSupport.h"

#include "CWexFileError.h"
#include "CWexFunkce.h"
#include "CWexSezMaterialu.h"
#include "CatalogFile.h"
#include "WindowServices.h"

#include <cstdio>

std::filesystem::path FilePath(const std::string& name)
{
    return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

void Error(const std::string& text) { std::fprintf(stderr, "ptq: %s\n", text.c_str()); }

void ReportFileError(const CWexFileError& e, bool writing)
{
    GetWindowServices().ShowMessage(writing ? u"Chyba při zápisu do souboru" : u"Chyba při čtení ze souboru",
                                    u"Neočekávaná výjimka", MessageIcon::Error, MessageButtons::Ok);
    Error(e.what());
}

std::optional<int> ReadReported(const std::string& path, CWexSezMaterialu& catalog)
{
    try {
        return ReadCatalogFile(FilePath(path), catalog);
    } catch (const CWexFileError& e) {
        ReportFileError(e, false);
    } catch (const std::exception& e) {
        ShowException(e);
    }
    return std::nullopt;
}

std::size_t ProfileCount(const CWexSezMaterialu& catalog)
{
    std::size_t count = 0;
    for (const auto& [name, material] : catalog.m_materials) count += material->m_profiles.size();
    return count;
}
