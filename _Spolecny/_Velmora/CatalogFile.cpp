#include "CatalogFile.h"

#include "CWexArchive.h"
#include "CWexSezMaterialu.h"
#include "CatalogFileIO.h"

int ReadCatalogFile(const std::filesystem::path& path, CWexSezMaterialu& catalog, bool projectMode)
{
    int version;
    {
        catalog_io::LockedReadFile file(path);
        CWexArchive ar(file, path);
        version = catalog.ReadRecord(ar, projectMode);
    }
    // The file is closed (and unlocked) before the offer to save: the file read may be the
    // user catalog itself.
    catalog.FinishReading();
    return version;
}

void WriteCatalogFile(const std::filesystem::path& path, CWexSezMaterialu& catalog)
{
    // Every replaced catalog file is kept once as "<name>.bak".
    catalog_io::AtomicFileWriter file(path, catalog_io::BackupPathOf(path));
    CWexArchive ar(file, path);
    catalog.WriteTo(ar, false);
    ar.Close();
    file.Commit();
}
