// The catalog files on Windows: the open without sharing (share mode 0) and the atomic
// replacement (FlushFileBuffers, then ReplaceFileW or MoveFileExW), on the real file system,
// with every step after the temporary file failing in turn. Saves killed half way are in
// test_catalog_files_win32.

#include "CWexFileError.h"
#include "CWexSezMaterialu.h"
#include "CatalogFile.h"
#include "CatalogFileIO.h"

#include "CatalogTestSupport.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <set>

namespace fs = std::filesystem;
using catalog_io::ScopedSystemCalls;
using catalog_io::SystemCalls;
using Cause = CWexFileError::Cause;

namespace {

// A catalog with one material whose name tells the saves apart.
void MakeCatalog(CWexSezMaterialu& catalog, const std::u16string& name)
{
    auto material = std::make_unique<CWexMaterial>(&catalog, name, MaterialFilter{2, 1});
    material->m_nDescMode = DescByDn;
    material->m_nPN = 0;
    material->m_nSDR = 0;
    ASSERT_TRUE(material->AddProfile(11));
    ASSERT_TRUE(catalog.Insert(std::move(material)).second);
}

Bytes CatalogBytes(const std::u16string& name)
{
    CWexSezMaterialu catalog;
    MakeCatalog(catalog, name);
    return WriteCatalog(catalog);
}

class WindowsCatalogFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A folder name outside ASCII: every path goes through the wide Win32 calls.
        m_folder = fs::temp_directory_path() /
                   (L"velmora-io-" + std::to_wstring(GetCurrentProcessId()) + L"-Katalogy \u010C\u00E1p");
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
        m_target = m_folder / L"Potrubi.ptq";
        m_backup = m_folder / L"Potrubi.ptq.bak";
    }

    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }

    // Saves a catalog holding the one material `name` to the target.
    void Save(const std::u16string& name)
    {
        CWexSezMaterialu catalog;
        MakeCatalog(catalog, name);
        WriteCatalogFile(m_target, catalog);
    }

    CWexFileError::Cause SaveFailure(const std::u16string& name)
    {
        try {
            Save(name);
        } catch (const CWexFileError& e) {
            return e.GetCause();
        }
        ADD_FAILURE() << "the save did not fail";
        return Cause::EndOfFile;
    }

    std::set<std::wstring> FolderContents() const
    {
        std::set<std::wstring> names;
        for (const auto& entry : fs::directory_iterator(m_folder)) names.insert(entry.path().filename().wstring());
        return names;
    }

    // Another program's handle on the target, opened without sharing.
    HANDLE HoldExclusively(const fs::path& path) const
    {
        HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(handle, INVALID_HANDLE_VALUE);
        return handle;
    }

    fs::path m_folder;
    fs::path m_target;
    fs::path m_backup;
};

TEST_F(WindowsCatalogFiles, FileHeldWithoutSharingCannotBeOpenedForReadingOrReplacing)
{
    Save(u"PVC");
    const Bytes before = ReadBytes(m_target);
    HANDLE held = HoldExclusively(m_target);

    CWexSezMaterialu catalog;
    try {
        ReadCatalogFile(m_target, catalog);
        ADD_FAILURE() << "a file held without sharing was read";
    } catch (const CWexFileError& e) {
        EXPECT_EQ(e.GetCause(), Cause::Locked);
        EXPECT_TRUE(e.IsOpenFailure());
        EXPECT_EQ(e.SystemError(), ERROR_SHARING_VIOLATION);
    }
    EXPECT_TRUE(catalog.m_materials.empty());

    EXPECT_EQ(SaveFailure(u"PE"), Cause::Locked);
    CloseHandle(held);
    EXPECT_EQ(ReadBytes(m_target), before);
    EXPECT_EQ(FolderContents(), (std::set<std::wstring>{L"Potrubi.ptq"}));

    ReadCatalogFile(m_target, catalog);
    EXPECT_NE(catalog.Find(u"PVC"), nullptr);
}

TEST_F(WindowsCatalogFiles, ReadingAndReplacingHoldTheFileWithoutSharing)
{
    Save(u"PVC");
    auto openShared = [&] {
        HANDLE h = CreateFileW(m_target.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD error = GetLastError();
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
        return h == INVALID_HANDLE_VALUE ? error : ERROR_SUCCESS;
    };
    {
        catalog_io::LockedReadFile reading(m_target);
        EXPECT_EQ(openShared(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    }
    {
        catalog_io::AtomicFileWriter writing(m_target, catalog_io::BackupPathOf(m_target));
        EXPECT_EQ(openShared(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    }
    EXPECT_EQ(openShared(), static_cast<DWORD>(ERROR_SUCCESS));
}

TEST_F(WindowsCatalogFiles, SavesCreateThenReplaceKeepingThePreviousFileAsBackup)
{
    Save(u"PVC"); // no target yet: MoveFileExW
    EXPECT_EQ(ReadBytes(m_target), CatalogBytes(u"PVC"));
    EXPECT_EQ(FolderContents(), (std::set<std::wstring>{L"Potrubi.ptq"}));

    Save(u"PE"); // ReplaceFileW, with the backup
    EXPECT_EQ(ReadBytes(m_target), CatalogBytes(u"PE"));
    EXPECT_EQ(ReadBytes(m_backup), CatalogBytes(u"PVC"));

    Save(u"Litina"); // an existing backup moves down a generation
    EXPECT_EQ(ReadBytes(m_target), CatalogBytes(u"Litina"));
    EXPECT_EQ(ReadBytes(m_backup), CatalogBytes(u"PE"));
    EXPECT_EQ(ReadBytes(catalog_io::BackupGeneration(m_backup, 2)), CatalogBytes(u"PVC"));
    EXPECT_EQ(FolderContents(), (std::set<std::wstring>{L"Potrubi.ptq", L"Potrubi.ptq.bak", L"Potrubi.ptq.bak2"}));
}

// Each step after the temporary file is written fails in turn, as a full disk, a virus
// scanner or a network share would make it fail: the previous files stay byte for byte.
TEST_F(WindowsCatalogFiles, FailedSaveLeavesThePreviousCatalogAndBackupIntact)
{
    Save(u"PVC");
    Save(u"PE");
    const Bytes target = ReadBytes(m_target);
    const Bytes backup = ReadBytes(m_backup);

    auto failWith = [](DWORD error) {
        SetLastError(error);
        return FALSE;
    };
    struct Step {
        const char* what;
        SystemCalls calls;
    };
    SystemCalls base = catalog_io::RealSystemCalls();
    std::vector<Step> steps;
    steps.push_back({"write", base});
    steps.back().calls.writeFile = [&](void*, const void*, unsigned long, unsigned long*) {
        return failWith(ERROR_DISK_FULL);
    };
    steps.push_back({"flush", base});
    steps.back().calls.flushFileBuffers = [&](void*) { return failWith(ERROR_IO_DEVICE); };
    steps.push_back({"replace", base});
    steps.back().calls.replaceFile = [&](const wchar_t*, const wchar_t*, const wchar_t*) {
        return failWith(ERROR_UNABLE_TO_REMOVE_REPLACED);
    };

    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        ScopedSystemCalls scope(step.calls);
        EXPECT_EQ(SaveFailure(u"Litina"), Cause::WriteFailed);
        EXPECT_EQ(ReadBytes(m_target), target);
        EXPECT_EQ(ReadBytes(m_backup), backup);
        EXPECT_EQ(FolderContents(), (std::set<std::wstring>{L"Potrubi.ptq", L"Potrubi.ptq.bak"}));
    }
}

TEST_F(WindowsCatalogFiles, FailedFirstSaveCreatesNoCatalog)
{
    SystemCalls calls = catalog_io::RealSystemCalls();
    calls.moveFileEx = [](const wchar_t*, const wchar_t*, unsigned long) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    };
    ScopedSystemCalls scope(calls);
    EXPECT_EQ(SaveFailure(u"PVC"), Cause::WriteFailed);
    EXPECT_TRUE(FolderContents().empty());
}

// ReplaceFileW may move the target to the backup name and then fail to move the new file in
// (ERROR_UNABLE_TO_MOVE_REPLACEMENT_2): the target name would be left empty.
TEST_F(WindowsCatalogFiles, ReplaceThatLeavesTheTargetUnderTheBackupNamePutsItBack)
{
    Save(u"PVC");
    Save(u"PE");
    const Bytes target = ReadBytes(m_target);
    const Bytes backup = ReadBytes(m_backup);

    SystemCalls calls = catalog_io::RealSystemCalls();
    calls.replaceFile = [](const wchar_t* replaced, const wchar_t*, const wchar_t* backup) {
        if (!MoveFileExW(replaced, backup, MOVEFILE_REPLACE_EXISTING)) return FALSE;
        SetLastError(ERROR_UNABLE_TO_MOVE_REPLACEMENT_2);
        return FALSE;
    };
    ScopedSystemCalls scope(calls);
    EXPECT_EQ(SaveFailure(u"Litina"), Cause::WriteFailed);
    EXPECT_EQ(ReadBytes(m_target), target);
    // The move went to a name of its own: the older backup stays too.
    EXPECT_EQ(ReadBytes(m_backup), backup);
    EXPECT_EQ(FolderContents(), (std::set<std::wstring>{L"Potrubi.ptq", L"Potrubi.ptq.bak"}));
}

} // namespace
