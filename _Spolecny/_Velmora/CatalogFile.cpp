#include "CatalogFile.h"

#include "CWexArchive.h"
#include "CWexSezMaterialu.h"
#include "CatalogFileIO.h"
#include "TaskButtons.h"
#include "WindowServices.h"

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
    catalog_io::AtomicFileWriter file(path, catalog_io::BackupPathOf(path));
    CWexArchive ar(file, path);
    catalog.WriteTo(ar, false);
    ar.Close();
    file.Commit();
}

std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& path)
{
    catalog_io::LockedReadFile file(path);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(file.Remaining()));
    std::size_t got = 0;
    for (;;) {
        if (got == bytes.size()) bytes.resize(bytes.size() + 4096);
        const std::size_t n = file.Read(bytes.data() + got, bytes.size() - got);
        if (n == 0) break;
        got += n;
    }
    bytes.resize(got);
    return bytes;
}

int ReadCatalogBytes(std::span<const std::uint8_t> bytes, const std::filesystem::path& name,
                     CWexSezMaterialu& catalog, bool projectMode)
{
    MemorySource source(bytes);
    CWexArchive ar(source, name);
    const int version = catalog.ReadRecord(ar, projectMode);
    catalog.FinishReading();
    return version;
}

void ReadCatalogBytesQuietly(std::span<const std::uint8_t> bytes, const std::filesystem::path& name,
                             CWexSezMaterialu& catalog)
{
    struct Silence {
        WindowServices* previous = SetWindowServices(nullptr);
        ~Silence() { SetWindowServices(previous); }
    } silence;
    catalog.m_nPromptAnswer = kOverwriteYesForAll;
    MemorySource source(bytes);
    CWexArchive ar(source, name);
    catalog.ReadRecord(ar, false);
}

void WriteFileBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes, bool keepBackups)
{
    catalog_io::AtomicFileWriter file(path, keepBackups ? catalog_io::BackupPathOf(path) : std::filesystem::path());
    file.Write(bytes.data(), bytes.size());
    file.Commit();
}
