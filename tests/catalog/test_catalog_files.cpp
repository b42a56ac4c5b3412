// The catalog files on disk: locking, atomic replacement with a backup, saves that fail half
// way, and LoadFromFile/SaveToFile with every message the user sees.

#include "CWexFileError.h"
#include "CWexSezMaterialu.h"
#include "CatalogFile.h"
#include "CatalogFileIO.h"
#include "ScriptedWindowServices.h"

#include "CatalogTestSupport.h"
#include "TextConvert.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <sys/file.h>
#include <sys/stat.h>
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
    // Nothing was edited: OK writes nothing over the file that could not be read whole.
    EXPECT_TRUE(catalog.m_bSaved);
}

// Another process holds the user catalog locked while the program starts: a lock let go within
// the wait is waited for; one held longer leaves the file unread and never written over.
TEST_F(CatalogFiles, LockedUserCatalogIsWaitedForAndNeverWrittenOver)
{
    fs::create_directories(userFile.parent_path());
    const Bytes before = Fixture("material_v6.ptq");
    WriteBytes(userFile, before);
    catalog_io::ScopedLockWait wait(std::chrono::milliseconds(400));

    for (const int holdMs : {150, 1500}) {
        SCOPED_TRACE("lock held for " + std::to_string(holdMs) + " ms");
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            int fd = ::open(userFile.c_str(), O_RDONLY);
            char byte = (fd >= 0 && ::flock(fd, LOCK_EX) == 0) ? 'y' : 'n';
            (void)!::write(ready[1], &byte, 1);
            ::usleep(static_cast<useconds_t>(holdMs) * 1000);
            ::_exit(0);
        }
        char answer = 0;
        ASSERT_EQ(::read(ready[0], &answer, 1), 1);
        ASSERT_EQ(answer, 'y');

        CWexSezMaterialu started;
        services.ClearPrompts();
        EXPECT_TRUE(started.LoadFromFile(false));
        if (holdMs < 400) {
            EXPECT_TRUE(services.Prompts().empty());
            EXPECT_EQ(WriteCatalog(started), before) << "the user catalog was read";
        } else {
            ASSERT_EQ(services.Prompts().size(), 1u);
            EXPECT_EQ(services.Prompts()[0].Text(), "Nelze otevřít soubor:\n" + userFile.string());
            EXPECT_TRUE(services.Prompts()[0].Content().starts_with("Bude načten standardní soubor.\n"));
            EXPECT_EQ(started.m_materials.size(), 2u) << "the standard catalog is shown";
            EXPECT_TRUE(started.m_bSaved) << "nothing to write at OK";
            // Even once the lock is gone, a save does not write over what was never read.
            int status = 0;
            ::waitpid(child, &status, 0);
            child = -1;
            FillCatalog(started, 1);
            services.ClearPrompts();
            EXPECT_FALSE(started.SaveToFile());
            ExpectCannotOpen(0, userFile, services.Prompts().at(0).Content());
            EXPECT_TRUE(services.Prompts()[0].Content().starts_with("Soubor existuje"));
            EXPECT_FALSE(started.m_bSaved);
        }
        if (child > 0) {
            int status = 0;
            ::waitpid(child, &status, 0);
        }
        for (int fd : ready) ::close(fd);
        EXPECT_EQ(ReadBytes(userFile), before);
        EXPECT_EQ(FilesIn(userFile.parent_path()), std::set<std::string>{"Potrubi.ptq"});
    }
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

TEST_F(CatalogFiles, FolderInPlaceOfTheUserCatalogCannotBeOpenedAndStays)
{
    fs::create_directories(userFile);
    EXPECT_TRUE(catalog.LoadFromFile(false));
    ASSERT_EQ(services.Prompts().size(), 1u);
    EXPECT_TRUE(services.Prompts()[0].Content().starts_with("Bude načten standardní soubor.\n"));
    EXPECT_TRUE(fs::is_directory(userFile));
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

// Every material deleted: the save asks, and neither answer passes for what did not happen.
TEST_F(CatalogFiles, EmptyCatalogIsWrittenOnlyWhenTheUserSaysSo)
{
    fs::create_directories(userFile.parent_path());
    WriteBytes(userFile, Fixture("catalog_v3.ptq"));
    catalog.SetModified();
    services.QueueAnswer(IDNO);
    EXPECT_FALSE(catalog.SaveToFile());
    ASSERT_EQ(services.Prompts().size(), 1u);
    EXPECT_EQ(services.Prompts()[0].buttons, MessageButtons::YesNo);
    EXPECT_TRUE(services.Prompts()[0].Text().starts_with("Katalog neobsahuje žádný materiál.\nUložit jej přesto?"));
    EXPECT_FALSE(catalog.m_bSaved);
    EXPECT_EQ(ReadBytes(userFile), Fixture("catalog_v3.ptq"));

    services.QueueAnswer(IDYES);
    EXPECT_TRUE(catalog.SaveToFile());
    EXPECT_TRUE(catalog.m_bSaved);
    EXPECT_EQ(ReadBytes(userFile), (Bytes{0x03, 0xFF}));
    EXPECT_EQ(ReadBytes(dataFolder / "Velmora" / "Potrubi.ptq.bak"), Fixture("catalog_v3.ptq"));
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

// The names in the user catalog's folder that begin with `prefix`.
std::vector<std::string> NamesStartingWith(const fs::path& folder, const std::string& prefix)
{
    std::vector<std::string> names;
    for (const std::string& name : FilesIn(folder)) {
        if (name.starts_with(prefix)) names.push_back(name);
    }
    return names;
}

// A user catalog read only in part, or written by a newer version: OK on it writes nothing,
// and the first save that replaces it keeps its bytes aside under a name that says why.
TEST_F(CatalogFiles, PartlyReadOrNewerUserCatalogIsKeptAsideBeforeItIsReplaced)
{
    const std::pair<const char*, const char*> cases[] = {
        {"broken_truncated_profile.ptq", "Potrubi-poskozeny-"}, {"broken_duplicate_dn.ptq", "Potrubi-poskozeny-"},
        {"broken_catalog_v4.ptq", "Potrubi-novejsi-verze-"},   {"broken_material_v7.ptq", "Potrubi-novejsi-verze-"},
        {"broken_profile_v8.ptq", "Potrubi-novejsi-verze-"},
    };
    const fs::path folder = userFile.parent_path();
    for (const auto& [fixture, asidePrefix] : cases) {
        SCOPED_TRACE(fixture);
        fs::remove_all(folder);
        fs::create_directories(folder);
        const Bytes original = Fixture(fixture);
        WriteBytes(userFile, original);

        CWexSezMaterialu loaded;
        services.ClearPrompts();
        EXPECT_FALSE(loaded.LoadFromFile(false));
        EXPECT_TRUE(loaded.m_bSaved) << "OK without edits writes nothing";
        const std::size_t readPart = loaded.m_materials.size();

        FillCatalog(loaded, 1);
        services.ClearPrompts();
        ASSERT_TRUE(loaded.SaveToFile());
        const std::vector<std::string> aside = NamesStartingWith(folder, asidePrefix);
        ASSERT_EQ(aside.size(), 1u);
        EXPECT_TRUE(aside[0].ends_with(".ptq"));
        EXPECT_EQ(ReadBytes(folder / aside[0]), original);
        ASSERT_EQ(services.Prompts().size(), 1u);
        EXPECT_EQ(services.Prompts()[0].icon, MessageIcon::Warning);
        EXPECT_NE(services.Prompts()[0].Text().find((folder / aside[0]).string()), std::string::npos);

        CWexSezMaterialu back;
        EXPECT_TRUE(back.LoadFromFile(false));
        EXPECT_EQ(back.m_materials.size(), readPart + 1);

        // Once replaced knowingly, the file is the user's own again: no second copy.
        loaded.Find(u"Materiál Aa")->m_strDetail = u"změna";
        loaded.SetModified();
        services.ClearPrompts();
        ASSERT_TRUE(loaded.SaveToFile());
        EXPECT_TRUE(services.Prompts().empty());
        EXPECT_EQ(NamesStartingWith(folder, "Potrubi-").size(), 1u);
    }
}

// Each save keeps the replaced file as the newest backup and shifts the older ones, five in
// all; a generation missing (a save killed between two renames) is filled before any goes.
TEST_F(CatalogFiles, SavesKeepFiveBackupGenerationsNewestFirst)
{
    const fs::path folder = userFile.parent_path();
    const auto generation = [&](int n) { return catalog_io::BackupGeneration(folder / "Potrubi.ptq.bak", n); };
    std::vector<Bytes> versions;
    for (int i = 0; i < 7; ++i) {
        FillCatalog(catalog, i + 1);
        ASSERT_TRUE(catalog.SaveToFile());
        versions.push_back(ReadBytes(userFile));
    }
    EXPECT_EQ(ReadBytes(userFile), versions[6]);
    for (int n = 1; n <= 5; ++n) EXPECT_EQ(ReadBytes(generation(n)), versions[6 - n]) << "generation " << n;
    EXPECT_EQ(FilesIn(folder), (std::set<std::string>{"Potrubi.ptq", "Potrubi.ptq.bak", "Potrubi.ptq.bak2",
                                                      "Potrubi.ptq.bak3", "Potrubi.ptq.bak4", "Potrubi.ptq.bak5"}));

    fs::remove(generation(3));
    FillCatalog(catalog, 8);
    ASSERT_TRUE(catalog.SaveToFile());
    EXPECT_EQ(ReadBytes(generation(1)), versions[6]);
    EXPECT_EQ(ReadBytes(generation(2)), versions[5]);
    EXPECT_EQ(ReadBytes(generation(3)), versions[4]);
    EXPECT_EQ(ReadBytes(generation(4)), versions[2]) << "nothing older went while there was a gap";
    EXPECT_EQ(ReadBytes(generation(5)), versions[1]);
}

// The replaced catalog's permission bits and group stay, whatever the saver's umask.
TEST_F(CatalogFiles, SaveKeepsTheCatalogsModeAndGroup)
{
    fs::create_directories(userFile.parent_path());
    WriteBytes(userFile, Fixture("catalog_v3.ptq"));
    ASSERT_EQ(::chmod(userFile.c_str(), 0664), 0);
    gid_t group = ::getegid();
    if (::geteuid() == 0) {
        group = 4242; // root may give any group
    } else {
        gid_t groups[64];
        const int count = ::getgroups(64, groups);
        for (int i = 0; i < count; ++i) {
            if (groups[i] != ::getegid()) group = groups[i];
        }
    }
    ASSERT_EQ(::chown(userFile.c_str(), static_cast<uid_t>(-1), group), 0);
    const mode_t previousMask = ::umask(022);
    FillCatalog(catalog, 1);
    const bool saved = catalog.SaveToFile();
    ::umask(previousMask);
    ASSERT_TRUE(saved);
    struct stat info {};
    ASSERT_EQ(::stat(userFile.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0664u);
    EXPECT_EQ(info.st_gid, group);
}

// Two programs load the shared catalog, each adds a material, and the second to save merges
// the first one's work instead of erasing it.
TEST_F(CatalogFiles, SecondProgramToSaveMergesTheFirstOnesWork)
{
    fs::create_directories(userFile.parent_path());
    WriteBytes(userFile, Fixture("catalog_v3.ptq"));
    int loaded[2], go[2];
    ASSERT_EQ(::pipe(loaded), 0);
    ASSERT_EQ(::pipe(go), 0);
    pid_t other = ::fork();
    ASSERT_GE(other, 0);
    if (other == 0) {
        CWexSezMaterialu theirs;
        char byte = theirs.LoadFromFile(false) ? 'y' : 'n';
        (void)!::write(loaded[1], &byte, 1);
        (void)!::read(go[0], &byte, 1);
        theirs.Insert(std::make_unique<CWexMaterial>(&theirs, u"Druhý", MaterialFilter{3, 31}));
        ::_exit(theirs.SaveToFile() ? 0 : 1);
    }
    EXPECT_TRUE(catalog.LoadFromFile(false));
    char answer = 0;
    ASSERT_EQ(::read(loaded[0], &answer, 1), 1);
    ASSERT_EQ(answer, 'y');
    catalog.Insert(std::make_unique<CWexMaterial>(&catalog, u"První", MaterialFilter{3, 31}));
    (void)!::write(go[1], &answer, 1);
    int status = -1;
    ::waitpid(other, &status, 0);
    for (int fd : {loaded[0], loaded[1], go[0], go[1]}) ::close(fd);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    services.ClearPrompts();
    ASSERT_TRUE(catalog.SaveToFile());
    CWexSezMaterialu file;
    ReadCatalog(ReadBytes(userFile), file);
    EXPECT_NE(file.Find(u"První"), nullptr);
    EXPECT_NE(file.Find(u"Druhý"), nullptr);
    EXPECT_EQ(file.m_materials.size(), 4u);
    EXPECT_EQ(WriteCatalog(catalog), ReadBytes(userFile)) << "the catalog holds what it wrote";
    ASSERT_EQ(services.Prompts().size(), 1u);
    EXPECT_EQ(services.Prompts()[0].icon, MessageIcon::Information);
    EXPECT_NE(services.Prompts()[0].Text().find("Převzato ze souboru: Druhý"), std::string::npos);
}

// Random edits by two programs of one catalog, the second one's save answering the
// questions at random, against a model of the three-way merge: a material changed on one
// side only takes that side's state; changed on both, the answer decides ("Ano": as here).
TEST_F(CatalogFiles, ConcurrentEditsMergeAsTheModelSays)
{
    using Model = std::map<std::u16string, std::u16string>; // name -> detail
    std::random_device device;
    const unsigned seed = std::getenv("VELMORA_MERGE_SEED") ? std::atoi(std::getenv("VELMORA_MERGE_SEED")) : device();
    SCOPED_TRACE("VELMORA_MERGE_SEED=" + std::to_string(seed));
    std::mt19937 random(seed);
    const auto chance = [&](int percent) { return static_cast<int>(random() % 100) < percent; };
    fs::create_directories(userFile.parent_path());
    int unique = 0;
    const auto put = [](CWexSezMaterialu& c, const std::u16string& name, const std::u16string& detail) {
        if (CWexMaterial* m = c.Find(name)) {
            m->m_strDetail = detail;
            m->SetModified();
        } else {
            auto added = std::make_unique<CWexMaterial>(&c, name, MaterialFilter{3, 31});
            added->m_strDetail = detail;
            added->AddProfile(static_cast<int>(name.back() - u'0'));
            c.Insert(std::move(added));
        }
    };
    const auto edit = [&](CWexSezMaterialu& c, Model& m) {
        for (int i = 0; i < 6; ++i) {
            const std::u16string name = u"M" + std::u16string(1, static_cast<char16_t>(u'0' + i));
            if (!chance(40)) continue;
            if (m.count(name) && chance(35)) {
                c.Remove(name);
                m.erase(name);
            } else {
                const std::u16string detail = u"v" + Utf8ToUtf16(std::to_string(++unique));
                put(c, name, detail);
                m[name] = detail;
            }
        }
    };
    for (int round = 0; round < 150; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        Model base;
        CWexSezMaterialu start;
        for (int i = 0; i < 6; ++i) {
            if (!chance(60)) continue;
            const std::u16string name = u"M" + std::u16string(1, static_cast<char16_t>(u'0' + i));
            put(start, name, u"base");
            base[name] = u"base";
        }
        WriteBytes(userFile, WriteCatalog(start));

        CWexSezMaterialu here, there;
        ASSERT_TRUE(here.LoadFromFile(false));
        ASSERT_TRUE(there.LoadFromFile(false));
        Model mine = base, theirs = base;
        edit(there, theirs);
        edit(here, mine);
        if (there.m_materials.empty()) services.QueueAnswer(IDYES);
        ASSERT_TRUE(there.SaveToFile());

        // What the merge must make of it, and the answers it will be asked for.
        Model expected;
        std::set<std::u16string> names;
        for (const Model* m : {&base, &mine, &theirs}) {
            for (const auto& [name, detail] : *m) names.insert(name);
        }
        const auto state = [](const Model& m, const std::u16string& name) {
            auto it = m.find(name);
            return it == m.end() ? std::optional<std::u16string>() : it->second;
        };
        int forAll = 0, questions = 0;
        if (here.m_materials.empty()) services.QueueAnswer(IDYES);
        for (const std::u16string& name : names) {
            const auto was = state(base, name), own = state(mine, name), other = state(theirs, name);
            std::optional<std::u16string> result = own;
            if (other != own && other != was) {
                if (own == was) {
                    result = other;
                } else {
                    int answer = forAll;
                    if (!answer) {
                        static const int buttons[] = {2, 4, 16, 32};
                        const int button = buttons[random() % 4];
                        services.QueueAnswer(button);
                        ++questions;
                        answer = button;
                        if (button >= 16) forAll = button;
                    }
                    if (answer == 4 || answer == 32) result = other;
                }
            }
            if (result) expected[name] = *result;
        }
        services.ClearPrompts();
        ASSERT_TRUE(here.SaveToFile());
        EXPECT_EQ(services.PendingAnswers(), 0u);
        int asked = 0;
        for (const RecordedPrompt& p : services.Prompts()) asked += p.kind == RecordedPrompt::Kind::TaskDialog;
        EXPECT_EQ(asked, questions);

        CWexSezMaterialu written;
        ReadCatalog(ReadBytes(userFile), written);
        Model got;
        for (const auto& [name, m] : written.m_materials) got[name] = m->m_strDetail;
        ASSERT_EQ(got, expected);
        EXPECT_EQ(WriteCatalog(here), ReadBytes(userFile));
        if (::testing::Test::HasFailure()) return;
    }
}

} // namespace
