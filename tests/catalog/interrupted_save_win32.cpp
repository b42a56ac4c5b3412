// Helper of the Windows file tests: saves a catalog holding the material "Litina" to the file
// named on the command line and is killed (exit code 77) once the new catalog is written and
// flushed to the temporary file, just before it would replace the file. Exit code 1: the save
// never got there.
#include "CWexSezMaterialu.h"
#include "CatalogFile.h"
#include "CatalogFileIO.h"

#include <windows.h>

#include <memory>

namespace {

void Die()
{
    TerminateProcess(GetCurrentProcess(), 77);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) return 2;
    catalog_io::SystemCalls calls = catalog_io::RealSystemCalls();
    calls.replaceFile = [](const wchar_t*, const wchar_t*, const wchar_t*) -> int {
        Die();
        return FALSE;
    };
    calls.moveFileEx = [](const wchar_t*, const wchar_t*, unsigned long) -> int {
        Die();
        return FALSE;
    };
    catalog_io::ScopedSystemCalls scope(calls);
    try {
        CWexSezMaterialu catalog;
        auto material = std::make_unique<CWexMaterial>(&catalog, u"Litina", MaterialFilter{2, 1});
        material->m_nDescMode = DescByDn;
        material->m_nPN = 0;
        material->m_nSDR = 0;
        if (!material->AddProfile(11)) return 1;
        catalog.Insert(std::move(material));
        WriteCatalogFile(argv[1], catalog);
    } catch (...) {
    }
    return 1;
}
