// The catalog files on disk: locking, atomic replacement with a backup, saves that fail half
// way, and LoadFromFile/SaveToFile with every message the user sees.

#include "CWexFileError.h"
#include "CWexSezMaterialu.h"
#include "CatalogFile.h"
#include "CatalogFileIO.h"
#include "ScriptedWindowServices.h"

#include "CatalogTestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <set>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using catalog_io::SystemCalls;

namespace {

std::set<std::string> FilesIn(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

// A catalog large enough to need several buffers.
void FillCatalog(CWexSezMaterialu& catalog, int materials)
{
    for (int i = 0; i < materials; ++i) {
        auto m = std::make_unique<CWexMaterial>(&catalog, u"Materiál " + std::u16string(1, u'A' + i % 26) +
                                                              std::u16string(1, u'a' + i / 26),
                                                MaterialFilter{3, 31});
        m->m_nDescMode = DescByDn;
        m->GenerateProfiles(0, 27);
        catalog.Insert(std::move(m));
    }
}

// Installs the real system calls with one of them replaced.
class InjectedCalls {
public:
    explicit InjectedCalls(auto&& change) : m_calls(catalog_io::RealSystemCalls())
    {
        change(m_calls);
        m_scope.emplace(m_calls);
    }

private:
    SystemCalls m_calls;
    std::optional<catalog_io::ScopedSystemCalls> m_scope;
};

class CatalogFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        installFolder = dir / "install";
        dataFolder = dir / "data";
        fs::create_directories(installFolder / "Velmora");
        fs::create_directories(dataFolder);
        userFile = dataFolder / "Velmora" / "Potrubi.ptq";
        standardFile = installFolder / "Velmora" / "Potrubi_std.ptq";
        WriteBytes(standardFile, Fixture("catalog_v3.ptq"));
        Registry("\"CommonInstallPath\"=\"" + installFolder.string() + "\"\r\n\"CommonDataPath\"=\"" +
                 dataFolder.string() + "\"\r\n");
        ::setenv("VELMORA_USER_REGISTRY", (dir / "user.reg").c_str(), 1);
    }
    void TearDown() override
    {
        ::unsetenv("VELMORA_MACHINE_REGISTRY");
        ::unsetenv("VELMORA_USER_REGISTRY");
    }

    void Registry(const std::string& values)
    {
        const fs::path file = dir / "machine.reg";
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Brevanti]\r\n" << values;
        ::setenv("VELMORA_MACHINE_REGISTRY", file.c_str(), 1);
    }

    void ExpectCannotOpen(std::size_t index, const fs::path& path, const std::string& content)
    {
        ASSERT_GT(services.Prompts().size(), index);
        const RecordedPrompt& p = services.Prompts()[index];
        EXPECT_EQ(p.kind, RecordedPrompt::Kind::TaskDialog);
        EXPECT_EQ(p.Title(), "Materiály potrubí");
        EXPECT_EQ(p.Text(), "Nelze otevřít soubor:\n" + path.string());
        EXPECT_EQ(p.Content(), content);
        EXPECT_EQ(p.icon, MessageIcon::Error);
        EXPECT_EQ(p.task.commonButtons, TaskButtonOk);
        EXPECT_EQ(p.owner, MessageOwner::ActiveWindow);
    }

    void ExpectMessage(std::size_t index, const std::string& text, const std::string& title, MessageIcon icon)
    {
        ASSERT_GT(services.Prompts().size(), index);
        const RecordedPrompt& p = services.Prompts()[index];
        EXPECT_EQ(p.kind, RecordedPrompt::Kind::Message);
        EXPECT_EQ(p.Text(), text);
        EXPECT_EQ(p.Title(), title);
        EXPECT_EQ(p.icon, icon);
        EXPECT_EQ(p.buttons, MessageButtons::Ok);
    }

    TempDir dir;
    fs::path installFolder, dataFolder, userFile, standardFile;
    ScriptedWindowServices services;
    ScopedWindowServices scope{services};
    CWexSezMaterialu catalog;
};

TEST_F(CatalogFiles, FirstStartLoadsTheStandardCatalogAndWritesTheUserCatalogAndItsFolder)
{
    EXPECT_TRUE(catalog.LoadFromFile(false));
    ASSERT_EQ(services.Prompts().size(), 1u);
    ExpectCannotOpen(0, userFile, "Bude načten standardní soubor");
    EXPECT_EQ(catalog.m_materials.size(), 2u);
    EXPECT_TRUE(catalog.m_bSaved);
    for (const auto& [name, m] : catalog.m_materials) EXPECT_EQ(m->m_nProjectIndex, -2);
    EXPECT_EQ(ReadBytes(userFile), WriteCatalog(catalog));
    EXPECT_EQ(FilesIn(userFile.parent_path()), std::set<std::string>{"Potrubi.ptq"});

    // The next start reads the user catalog without a word.
    CWexSezMaterialu next;
    services.ClearPrompts();
    EXPECT_TRUE(next.LoadFromFile(false));
    EXPECT_TRUE(services.Prompts().empty());
    EXPECT_TRUE(next.m_bSaved);
    EXPECT_EQ(next.m_materials.size(), 2u);
}

TEST_F(CatalogFiles, LoadingAddsToWhatTheCatalogHolds)
{
    FillCatalog(catalog, 1);
    EXPECT_TRUE(catalog.LoadFromFile(true));
    EXPECT_EQ(catalog.m_materials.size(), 3u);
    EXPECT_FALSE(catalog.m_bSaved); // the standard catalog is not the user file
}

TEST_F(CatalogFiles, BothCatalogsMissingShowTwoDialogsAndLoadNothing)
{
    fs::remove(standardFile);
    EXPECT_FALSE(catalog.LoadFromFile(false));
    ASSERT_EQ(services.Prompts().size(), 2u);
    ExpectCannotOpen(0, userFile, "Bude načten standardní soubor");
    ExpectCannotOpen(1, standardFile, "\nDoporučujeme přeinstalovat programMateriály potrubí");
    EXPECT_TRUE(catalog.m_materials.empty());
    EXPECT_FALSE(fs::exists(userFile));
}

TEST_F(CatalogFiles, EmptyStandardCatalogWritesNothingAndAsksAgainNextTime)
{
    WriteBytes(standardFile, {0x03, 0xFF});
    EXPECT_TRUE(catalog.LoadFromFile(false));
    EXPECT_TRUE(catalog.m_materials.empty());
    EXPECT_FALSE(catalog.m_bSaved);
    EXPECT_FALSE(fs::exists(dataFolder / "Velmora"));

    CWexSezMaterialu next;
    services.ClearPrompts();
    next.LoadFromFile(false);
    ASSERT_EQ(services.Prompts().size(), 1u);
    ExpectCannotOpen(0, userFile, "Bude načten standardní soubor");
}

TEST_F(CatalogFiles, NewerCatalogIsReportedAsTheExceptionWithoutFallback)
{
    fs::create_directories(userFile.parent_path());
    WriteBytes(userFile, Fixture("broken_catalog_v4.ptq"));
    EXPECT_FALSE(catalog.LoadFromFile(false));
    ASSERT_EQ(services.Prompts().size(), 1u);
    ExpectMessage(0,
                  "Nelze načíst, soubor byl uložen vyšší verzí programu, aktualizujte program, Line 257, "
                  "\n_Spolecny/_Velmora/CWexSezMaterialu",
                  "Program vyvolal výjimku", MessageIcon::Information);
    EXPECT_TRUE(catalog.m_materials.empty());
}

TEST_F(CatalogFiles, MissingRegistryValueIsReportedAndNothingElseTried)
{
    Registry("");
    EXPECT_FALSE(catalog.LoadFromFile(false));
    ASSERT_EQ(services.Prompts().size(), 1u);
    ExpectMessage(0,
                  "Nelze načíst Install/Data Path z registru Windows (z HKLM ani z HKCU), chyba instalace programu, "
                  "Line 149, \n_Spolecny/CWexRegistry",
                  "Program vyvolal výjimku", MessageIcon::Information);

    FillCatalog(catalog, 1);
    services.ClearPrompts();
    EXPECT_FALSE(catalog.SaveToFile());
    ASSERT_EQ(services.Prompts().size(), 1u);
    EXPECT_EQ(services.Prompts()[0].Title(), "Program vyvolal výjimku");
}

TEST_F(CatalogFiles, TruncatedUserCatalogIsAReadErrorAndKeepsWhatWasRead)
{
    fs::create_directories(userFile.parent_path());
    WriteBytes(userFile, Fixture("broken_truncated_profile.ptq"));
    EXPECT_FALSE(catalog.LoadFromFile(false));
    ASSERT_EQ(services.Prompts().size(), 1u);
    ExpectMessage(0, "Chyba při čtení ze souboru", "Neočekávaná výjimka", MessageIcon::Error);
    EXPECT_NE(catalog.Find(u"Beton"), nullptr);
    EXPECT_FALSE(catalog.m_bSaved);
}

TEST_F(CatalogFiles, FileLockedByAnotherProcessCountsAsNotOpenableAndIsLeftAsItWas)
{
    fs::create_directories(userFile.parent_path());
    const Bytes before = Fixture("material_v6.ptq");
    WriteBytes(userFile, before);

    // Another process opens the user catalog without sharing and holds it.
    int ready[2];
    int release[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int fd = ::open(userFile.c_str(), O_RDONLY);
        char byte = (fd >= 0 && ::flock(fd, LOCK_EX) == 0) ? 'y' : 'n';
        (void)!::write(ready[1], &byte, 1);
        (void)!::read(release[0], &byte, 1);
        ::_exit(0);
    }
    char answer = 0;
    ASSERT_EQ(::read(ready[0], &answer, 1), 1);
    ASSERT_EQ(answer, 'y');

    EXPECT_TRUE(catalog.LoadFromFile(false));
    ASSERT_EQ(services.Prompts().size(), 2u);
    ExpectCannotOpen(0, userFile, "Bude načten standardní soubor");
    ExpectCannotOpen(1, userFile, "Nelze uložit provedené změny");
    EXPECT_EQ(catalog.m_materials.size(), 2u);
    EXPECT_FALSE(catalog.m_bSaved);

    char go = 'x';
    (void)!::write(release[1], &go, 1);
    int status = 0;
    ::waitpid(child, &status, 0);
    for (int fd : {ready[0], ready[1], release[0], release[1]}) ::close(fd);

    EXPECT_EQ(ReadBytes(userFile), before);
    EXPECT_EQ(FilesIn(userFile.parent_path()), std::set<std::string>{"Potrubi.ptq"});
}

TEST_F(CatalogFiles, LockIsHeldWhileAFileIsRead)
{
    catalog_io::LockedReadFile reading(standardFile);
    try {
        catalog_io::LockedReadFile second(standardFile);
        FAIL() << "opened twice";
    } catch (const CWexFileError& e) {
        EXPECT_EQ(e.GetCause(), CWexFileError::Cause::Locked);
        EXPECT_TRUE(e.IsOpenFailure());
    }
}

TEST_F(CatalogFiles, FolderInPlaceOfTheUserCatalogCannotBeOpened)
{
    fs::create_directories(userFile);
    EXPECT_TRUE(catalog.LoadFromFile(false));
    ASSERT_EQ(services.Prompts().size(), 2u);
    ExpectCannotOpen(0, userFile, "Bude načten standardní soubor");
    ExpectCannotOpen(1, userFile, "Nelze uložit provedené změny");
}

TEST_F(CatalogFiles, SaveKeepsTheReplacedCatalogAsBackup)
{
    FillCatalog(catalog, 2);
    ASSERT_TRUE(catalog.SaveToFile());
    EXPECT_TRUE(catalog.m_bSaved);
    const Bytes first = ReadBytes(userFile);
    EXPECT_FALSE(fs::exists(dataFolder / "Velmora" / "Potrubi.ptq.bak"));

    FillCatalog(catalog, 5);
    ASSERT_TRUE(catalog.SaveToFile());
    EXPECT_EQ(ReadBytes(dataFolder / "Velmora" / "Potrubi.ptq.bak"), first);
    EXPECT_EQ(ReadBytes(userFile), WriteCatalog(catalog));
    EXPECT_EQ(FilesIn(userFile.parent_path()), (std::set<std::string>{"Potrubi.ptq", "Potrubi.ptq.bak"}));
    EXPECT_TRUE(services.Prompts().empty());
}

TEST_F(CatalogFiles, EmptyCatalogIsNotWrittenAndLeavesTheFileAlone)
{
    fs::create_directories(userFile.parent_path());
    WriteBytes(userFile, Fixture("catalog_v3.ptq"));
    catalog.SetModified();
    EXPECT_TRUE(catalog.SaveToFile());
    EXPECT_FALSE(catalog.m_bSaved);
    EXPECT_EQ(ReadBytes(userFile), Fixture("catalog_v3.ptq"));
}

TEST_F(CatalogFiles, DataFolderThatCannotBeCreatedIsReported)
{
    Registry("\"CommonDataPath\"=\"" + (dir / "missing" / "deeper").string() + "\"\r\n");
    FillCatalog(catalog, 1);
    catalog.SetModified();
    EXPECT_FALSE(catalog.SaveToFile());
    ASSERT_EQ(services.Prompts().size(), 1u);
    ExpectMessage(0, "Adresář nelze založit, Line 251, \n_Spolecny/CWexRegistry", "Program vyvolal výjimku",
                  MessageIcon::Information);
    EXPECT_FALSE(catalog.m_bSaved);
}

TEST_F(CatalogFiles, UnwritableFolderCannotTakeTheUserCatalog)
{
    fs::create_directories(userFile.parent_path());
    WriteBytes(userFile, Fixture("catalog_v3.ptq"));
    FillCatalog(catalog, 1);
    catalog.SetModified();
    {
        // What a folder without write permission answers (root is never refused by chmod).
        InjectedCalls refuse([](SystemCalls& calls) {
            calls.open = [](const char* path, int flags, mode_t mode) {
                if (flags & O_CREAT) {
                    errno = EACCES;
                    return -1;
                }
                return ::open(path, flags, mode);
            };
        });
        EXPECT_FALSE(catalog.SaveToFile());
    }
    ASSERT_EQ(services.Prompts().size(), 1u);
    ExpectCannotOpen(0, userFile, "Nelze uložit provedené změny");
    EXPECT_FALSE(catalog.m_bSaved);
    EXPECT_EQ(ReadBytes(userFile), Fixture("catalog_v3.ptq"));

    if (::geteuid() != 0) {
        services.ClearPrompts();
        fs::permissions(userFile.parent_path(), fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_FALSE(catalog.SaveToFile());
        fs::permissions(userFile.parent_path(), fs::perms::owner_all);
        ASSERT_EQ(services.Prompts().size(), 1u);
        ExpectCannotOpen(0, userFile, "Nelze uložit provedené změny");
    }
}

// A save that fails at any step before the rename leaves the previous file byte for byte,
// keeps the old backup, and leaves no temporary file behind.
struct FailurePoint {
    const char* step;
    std::function<void(SystemCalls&, int& count)> inject;
};

class HalfWaySave : public CatalogFiles, public ::testing::WithParamInterface<FailurePoint> {};

TEST_P(HalfWaySave, LeavesThePreviousFileAndNoTemporaryFile)
{
    fs::create_directories(userFile.parent_path());
    const Bytes previous = Fixture("catalog_v3.ptq");
    const Bytes oldBackup{0x03, 0xFF};
    WriteBytes(userFile, previous);
    WriteBytes(dataFolder / "Velmora" / "Potrubi.ptq.bak", oldBackup);
    FillCatalog(catalog, 20); // some 40 kB: many writes
    catalog.SetModified();

    int count = 0;
    {
        InjectedCalls inject([&](SystemCalls& calls) { GetParam().inject(calls, count); });
        EXPECT_FALSE(catalog.SaveToFile());
    }
    EXPECT_GT(count, 0);
    ASSERT_EQ(services.Prompts().size(), 1u);
    ExpectMessage(0, "Chyba při zápisu do souboru", "Neočekávaná výjimka", MessageIcon::Error);
    EXPECT_FALSE(catalog.m_bSaved);
    EXPECT_EQ(ReadBytes(userFile), previous);
    EXPECT_EQ(FilesIn(userFile.parent_path()), (std::set<std::string>{"Potrubi.ptq", "Potrubi.ptq.bak"}));
    if (std::string(GetParam().step) != "rename of the new file") {
        EXPECT_EQ(ReadBytes(dataFolder / "Velmora" / "Potrubi.ptq.bak"), oldBackup);
    }

    // And the next save goes through.
    services.ClearPrompts();
    EXPECT_TRUE(catalog.SaveToFile());
    EXPECT_EQ(ReadBytes(userFile), WriteCatalog(catalog));
    EXPECT_EQ(ReadBytes(dataFolder / "Velmora" / "Potrubi.ptq.bak"), previous);
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, HalfWaySave,
    ::testing::Values(
        FailurePoint{"third write",
                     [](SystemCalls& c, int& n) {
                         c.write = [&n](int fd, const void* data, size_t size) -> ssize_t {
                             if (++n == 3) {
                                 errno = ENOSPC;
                                 return -1;
                             }
                             // Short writes on the way: the layer must finish them.
                             return ::write(fd, data, size > 1000 ? size - 1000 : size);
                         };
                     }},
        FailurePoint{"fsync of the new file",
                     [](SystemCalls& c, int& n) {
                         c.fsync = [&n](int) {
                             ++n;
                             errno = EIO;
                             return -1;
                         };
                     }},
        FailurePoint{"backup: no links and a failing copy",
                     [](SystemCalls& c, int& n) {
                         c.link = [&n](const char*, const char*) {
                             ++n;
                             errno = EPERM;
                             return -1;
                         };
                         c.read = [](int, void*, size_t) -> ssize_t {
                             errno = EIO;
                             return -1;
                         };
                     }},
        FailurePoint{"rename of the new file", [](SystemCalls& c, int& n) {
                         c.rename = [&n](const char* from, const char* to) {
                             if (std::string(to).ends_with(".bak")) return ::rename(from, to);
                             ++n;
                             errno = EIO;
                             return -1;
                         };
                     }}),
    [](const ::testing::TestParamInfo<FailurePoint>& info) {
        std::string name;
        for (char c : std::string(info.param.step)) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

TEST_F(CatalogFiles, BackupIsCopiedWhereLinksAreNotPossible)
{
    fs::create_directories(userFile.parent_path());
    WriteBytes(userFile, Fixture("catalog_v2.ptq"));
    FillCatalog(catalog, 1);
    {
        InjectedCalls noLinks([](SystemCalls& calls) {
            calls.link = [](const char*, const char*) {
                errno = EPERM;
                return -1;
            };
        });
        EXPECT_TRUE(catalog.SaveToFile());
    }
    EXPECT_EQ(ReadBytes(dataFolder / "Velmora" / "Potrubi.ptq.bak"), Fixture("catalog_v2.ptq"));
    EXPECT_EQ(FilesIn(userFile.parent_path()), (std::set<std::string>{"Potrubi.ptq", "Potrubi.ptq.bak"}));
}

TEST_F(CatalogFiles, FailedFolderSyncPutsThePreviousFileBack)
{
    fs::create_directories(userFile.parent_path());
    WriteBytes(userFile, Fixture("catalog_v2.ptq"));
    FillCatalog(catalog, 1);
    catalog.SetModified();
    {
        InjectedCalls failingFolderSync([](SystemCalls& calls) {
            calls.fsync = [](int fd) {
                struct stat info {};
                ::fstat(fd, &info);
                if (S_ISDIR(info.st_mode)) {
                    errno = EIO;
                    return -1;
                }
                return ::fsync(fd);
            };
        });
        EXPECT_FALSE(catalog.SaveToFile());
    }
    ExpectMessage(0, "Chyba při zápisu do souboru", "Neočekávaná výjimka", MessageIcon::Error);
    // The new name is not known to survive a crash: the save failed and, as after any
    // failed save, the previous file is in place and the next OK saves again.
    EXPECT_FALSE(catalog.m_bSaved);
    EXPECT_EQ(ReadBytes(userFile), Fixture("catalog_v2.ptq"));
    EXPECT_EQ(ReadBytes(dataFolder / "Velmora" / "Potrubi.ptq.bak"), Fixture("catalog_v2.ptq"));
    EXPECT_EQ(FilesIn(userFile.parent_path()), (std::set<std::string>{"Potrubi.ptq", "Potrubi.ptq.bak"}));
}

TEST_F(CatalogFiles, CatalogFileFunctionsReadAndWriteWholeFiles)
{
    EXPECT_EQ(ReadCatalogFile(FixturePath("catalog_v0.ptq"), catalog), 0);
    const fs::path out = dir / "out.ptq";
    WriteCatalogFile(out, catalog);
    CWexSezMaterialu back;
    EXPECT_EQ(ReadCatalogFile(out, back), 3);
    EXPECT_EQ(WriteCatalog(back), ReadBytes(out));
    try {
        ReadCatalogFile(dir / "none.ptq", back);
        FAIL();
    } catch (const CWexFileError& e) {
        EXPECT_EQ(e.GetCause(), CWexFileError::Cause::OpenFailed);
        EXPECT_EQ(e.SystemError(), ENOENT);
    }
}

} // namespace
