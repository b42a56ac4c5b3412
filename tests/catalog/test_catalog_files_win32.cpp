// The catalog's LoadFromFile and SaveToFile on Windows: folders from the real registry, the
// user catalog opened without sharing and replaced atomically on the Windows file system, and
// saves that are killed half way.

#include "CWexSezMaterialu.h"
#include "CatalogFileIO.h"
#include "ScriptedWindowServices.h"
#include "TextConvert.h"

#include "CatalogTestSupport.h"
#include "Win32TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>

#include <windows.h>

#include <set>

namespace fs = std::filesystem;

namespace {

std::set<std::wstring> FilesIn(const fs::path& folder)
{
    std::set<std::wstring> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().wstring());
    return names;
}

std::string Utf8(const fs::path& path)
{
    const std::wstring wide = path.wstring();
    return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
}

void SetUserValue(const wchar_t* name, const fs::path& folder)
{
    const std::wstring text = folder.wstring();
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Brevanti", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    LONG set = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                              static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    ASSERT_EQ(set, ERROR_SUCCESS);
}

// A catalog holding the one material `name`.
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

// Runs the helper beside this program, which saves a catalog holding "Litina" with SaveToFile
// and is killed once the temporary file is written and flushed; its exit code (77 then).
long RunKilledSave()
{
    const fs::path helper = BesideThisProgram(L"interrupted_save_win32.exe");
    return RunProgram(L"\"" + helper.wstring() + L"\"", false, helper);
}

class WindowsCatalog : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!RegistryMayBeChanged()) GTEST_SKIP() << kScratchRegistryNote;
        m_active = true;
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Brevanti");
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Brevanti");
        m_root = fs::temp_directory_path() /
                 (L"velmora-catalog-" + std::to_wstring(GetCurrentProcessId()) + L"-\u010C\u00E1p");
        fs::remove_all(m_root);
        installFolder = m_root / L"install";
        dataFolder = m_root / L"data";
        fs::create_directories(installFolder / L"Velmora");
        fs::create_directories(dataFolder);
        userFile = dataFolder / L"Velmora" / L"Potrubi.ptq";
        backupFile = dataFolder / L"Velmora" / L"Potrubi.ptq.bak";
        WriteBytes(installFolder / L"Velmora" / L"Potrubi_std.ptq", Fixture("catalog_v3.ptq"));
        SetUserValue(L"CommonInstallPath", installFolder);
        SetUserValue(L"CommonDataPath", dataFolder);
    }

    void TearDown() override
    {
        if (!m_active) return;
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Brevanti");
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }

    void ExpectCannotOpen(std::size_t index, const std::string& content)
    {
        ASSERT_GT(services.Prompts().size(), index);
        const RecordedPrompt& p = services.Prompts()[index];
        EXPECT_EQ(p.kind, RecordedPrompt::Kind::TaskDialog);
        EXPECT_EQ(p.Title(), "Materiály potrubí");
        // The path as the registry gave it, with backslashes throughout.
        EXPECT_EQ(p.Text(), "Nelze otevřít soubor:\n" + Utf8(dataFolder) + "\\Velmora\\Potrubi.ptq");
        EXPECT_EQ(p.Content(), content);
        EXPECT_EQ(p.icon, MessageIcon::Error);
    }

    void SaveUserCatalog(const std::u16string& name)
    {
        CWexSezMaterialu catalog;
        MakeCatalog(catalog, name);
        ASSERT_TRUE(catalog.SaveToFile());
    }

    fs::path m_root, installFolder, dataFolder, userFile, backupFile;
    bool m_active = false;
    ScriptedWindowServices services;
    ScopedWindowServices scope{services};
    CWexSezMaterialu catalog;
};

TEST_F(WindowsCatalog, FirstStartCreatesTheDataFolderAndWritesTheStandardCatalogAsTheUserCatalog)
{
    ASSERT_FALSE(fs::exists(userFile.parent_path()));
    EXPECT_TRUE(catalog.LoadFromFile(false));
    ASSERT_EQ(services.Prompts().size(), 1u);
    ExpectCannotOpen(0, "Bude načten standardní soubor");
    EXPECT_EQ(catalog.m_materials.size(), 2u);
    EXPECT_TRUE(catalog.m_bSaved);
    EXPECT_EQ(ReadBytes(userFile), WriteCatalog(catalog));
    EXPECT_EQ(FilesIn(userFile.parent_path()), std::set<std::wstring>{L"Potrubi.ptq"});

    CWexSezMaterialu next;
    services.ClearPrompts();
    EXPECT_TRUE(next.LoadFromFile(false));
    EXPECT_TRUE(services.Prompts().empty());
    EXPECT_EQ(next.m_materials.size(), 2u);
}

// Share modes are checked for every open, so a handle of this process opened without
// sharing stands for another program that holds the user catalog: after a short wait the
// standard catalog is shown, and the user catalog is never written over.
TEST_F(WindowsCatalog, UserCatalogHeldByAnotherProgramIsNeverWrittenOver)
{
    SaveUserCatalog(u"PE");
    const Bytes before = ReadBytes(userFile);
    {
        HANDLE held =
            CreateFileW(userFile.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        struct Release {
            HANDLE handle;
            ~Release() { CloseHandle(handle); }
        } release{held};
        catalog_io::ScopedLockWait wait(std::chrono::milliseconds(100));

        EXPECT_TRUE(catalog.LoadFromFile(false));
        ASSERT_EQ(services.Prompts().size(), 1u);
        EXPECT_EQ(services.Prompts()[0].Content().rfind("Bude načten standardní soubor.\n", 0), 0u);
        EXPECT_EQ(catalog.m_materials.size(), 2u);
        EXPECT_EQ(catalog.Find(u"PE"), nullptr);
        EXPECT_TRUE(catalog.m_bSaved);
    }
    // Even once the other program has let go, what was never read is not written over.
    catalog.SetModified();
    EXPECT_FALSE(catalog.SaveToFile());
    EXPECT_EQ(services.Prompts().size(), 2u);
    EXPECT_EQ(ReadBytes(userFile), before);
    EXPECT_EQ(FilesIn(userFile.parent_path()), std::set<std::wstring>{L"Potrubi.ptq"});
}

TEST_F(WindowsCatalog, SaveKilledAfterTheTemporaryFileIsWrittenLeavesTheUserCatalogIntact)
{
    SaveUserCatalog(u"PE");
    SaveUserCatalog(u"PVC");
    ASSERT_EQ(ReadBytes(backupFile), CatalogBytes(u"PE"));

    EXPECT_EQ(RunKilledSave(), 77);

    EXPECT_EQ(ReadBytes(userFile), CatalogBytes(u"PVC"));
    EXPECT_EQ(ReadBytes(backupFile), CatalogBytes(u"PE"));
    // The killed save got as far as a complete temporary file, and no further.
    std::set<std::wstring> names = FilesIn(userFile.parent_path());
    names.erase(L"Potrubi.ptq");
    names.erase(L"Potrubi.ptq.bak");
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(ReadBytes(userFile.parent_path() / *names.begin()), CatalogBytes(u"Litina"));

    // The next start reads the previous catalog without a word, and saves go on as usual.
    EXPECT_TRUE(catalog.LoadFromFile(false));
    EXPECT_TRUE(services.Prompts().empty());
    ASSERT_EQ(catalog.m_materials.size(), 1u);
    EXPECT_NE(catalog.Find(u"PVC"), nullptr);
    SaveUserCatalog(u"Ocel");
    EXPECT_EQ(ReadBytes(userFile), CatalogBytes(u"Ocel"));
    EXPECT_EQ(ReadBytes(backupFile), CatalogBytes(u"PVC"));
}

TEST_F(WindowsCatalog, FirstSaveKilledBeforeTheMoveLeavesNoUserCatalog)
{
    EXPECT_EQ(RunKilledSave(), 77);
    EXPECT_FALSE(fs::exists(userFile));

    // So the next start falls back to the standard catalog, as on a first start.
    EXPECT_TRUE(catalog.LoadFromFile(false));
    ASSERT_EQ(services.Prompts().size(), 1u);
    ExpectCannotOpen(0, "Bude načten standardní soubor");
    EXPECT_EQ(ReadBytes(userFile), WriteCatalog(catalog));
}

} // namespace
