// Helper of the Windows catalog tests: saves a catalog holding the material "Litina" as the
// user catalog (SaveToFile, folders from the registry) and is killed (exit code 77) once the
// new catalog is written and flushed to the temporary file, just before it would take the
// user catalog's place. Exit code 1: the save never got there.
#include "CWexSezMaterialu.h"
#include "CatalogFileIO.h"
#include "ScriptedWindowServices.h"

#include <windows.h>

#include <memory>

namespace {

int Die()
{
    TerminateProcess(GetCurrentProcess(), 77);
    return FALSE;
}

} // namespace

int main()
{
    catalog_io::SystemCalls calls = catalog_io::RealSystemCalls();
    calls.replaceFile = [](const wchar_t*, const wchar_t*, const wchar_t*) { return Die(); };
    calls.moveFileEx = [](const wchar_t*, const wchar_t*, unsigned long) { return Die(); };
    catalog_io::ScopedSystemCalls scope(calls);
    ScriptedWindowServices services;
    ScopedWindowServices servicesScope(services);

    CWexSezMaterialu catalog;
    auto material = std::make_unique<CWexMaterial>(&catalog, u"Litina", MaterialFilter{2, 1});
    material->m_nDescMode = DescByDn;
    material->m_nPN = 0;
    material->m_nSDR = 0;
    if (!material->AddProfile(11)) return 1;
    catalog.Insert(std::move(material));
    catalog.SaveToFile();
    return 1;
}
