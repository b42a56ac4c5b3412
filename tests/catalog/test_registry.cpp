#include "CWexFunkce.h"
#include "CWexRegistry.h"
#include "TextConvert.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const char* const kMissingText = "Nelze načíst Install/Data Path z registru Windows (z HKLM ani z HKCU), "
                                 "chyba instalace programu, Line 149, \n_Spolecny/CWexRegistry";

// Each test gets its own folder with the two hive files named through the environment.
class Registry : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_root = fs::temp_directory_path() /
                 ("velmora-registry-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_root);
        fs::create_directories(m_root);
        m_machine = m_root / "machine.reg";
        m_user = m_root / "user.reg";
        ::setenv("VELMORA_MACHINE_REGISTRY", m_machine.c_str(), 1);
        ::setenv("VELMORA_USER_REGISTRY", m_user.c_str(), 1);
    }

    void TearDown() override
    {
        ::unsetenv("VELMORA_MACHINE_REGISTRY");
        ::unsetenv("VELMORA_USER_REGISTRY");
        fs::remove_all(m_root);
    }

    static void WriteHive(const fs::path& file, const char* root, const std::string& values)
    {
        std::ofstream out(file, std::ios::binary);
        out << "Windows Registry Editor Version 5.00\r\n\r\n[" << root << "\\Software\\Brevanti]\r\n" << values;
    }
    void Machine(const std::string& values) { WriteHive(m_machine, "HKEY_LOCAL_MACHINE", values); }
    void User(const std::string& values) { WriteHive(m_user, "HKEY_CURRENT_USER", values); }

    static std::string Value(const char* name, const std::string& text)
    {
        return std::string("\"") + name + "\"=\"" + text + "\"\r\n";
    }
    // A plain string written in its hex form, so that its bytes are exactly `bytes`.
    static std::string HexValue(const char* name, const std::string& bytes)
    {
        std::string line = std::string("\"") + name + "\"=hex(1):";
        char hex[4];
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned char>(bytes[i]));
            if (i > 0) line += i % 25 == 0 ? ",\\\r\n  " : ",";
            line += hex;
        }
        return line + "\r\n";
    }

    std::string Path(int kind) { return Utf16ToUtf8(CWexRegistry::GetPath(kind)); }
    std::string Folder(int kind, bool create) { return Utf16ToUtf8(CWexRegistry::GetDataFolder(kind, create)); }

    fs::path m_root, m_machine, m_user;
};

} // namespace

TEST_F(Registry, OnlyPerUserHasTheValue)
{
    Machine(Value("CommonInstallPath", "/opt/brevanti"));
    User(Value("CommonDataPath", "/home/u/data"));
    EXPECT_EQ(Path(CWexRegistry::CommonDataPath), "/home/u/data/");
    EXPECT_EQ(Path(CWexRegistry::CommonInstallPath), "/opt/brevanti/");
}

TEST_F(Registry, MachineWideWinsEvenWhenItsFolderDoesNotExist)
{
    fs::create_directories(m_root / "user" / "Velmora");
    Machine(Value("CommonDataPath", (m_root / "missing").string()));
    User(Value("CommonDataPath", (m_root / "user").string()));
    EXPECT_EQ(Path(CWexRegistry::CommonDataPath), (m_root / "missing").string() + "/");
    EXPECT_EQ(Folder(CWexRegistry::CommonDataPath, false), (m_root / "missing" / "Velmora").string() + "/");
}

TEST_F(Registry, TrailingSeparatorIsNeverDoubled)
{
    for (std::string value : {"/srv/data", "/srv/data/", "/srv/data\\\\"}) {
        Machine(Value("CommonDataPath", value));
        EXPECT_EQ(Path(CWexRegistry::CommonDataPath), "/srv/data/") << value;
        EXPECT_EQ(Folder(CWexRegistry::CommonDataPath, false), "/srv/data/Velmora/") << value;
    }
}

TEST_F(Registry, OnlyAPlainStringCounts)
{
    // "%D%" as an expandable string, and a number: both absent, so the per-user value is used.
    Machine("\"CommonDataPath\"=hex(2):25,00,44,00,25,00,00,00\r\n\"CommonInstallPath\"=dword:00000001\r\n");
    User(Value("CommonDataPath", "/u/data") + Value("CommonInstallPath", "/u/install"));
    EXPECT_EQ(Path(CWexRegistry::CommonDataPath), "/u/data/");
    EXPECT_EQ(Path(CWexRegistry::CommonInstallPath), "/u/install/");

    User("\"CommonDataPath\"=hex(2):25,00,44,00,25,00,00,00\r\n\"CommonInstallPath\"=dword:00000001\r\n");
    for (int kind : {CWexRegistry::CommonDataPath, CWexRegistry::CommonInstallPath}) {
        try {
            CWexRegistry::GetPath(kind);
            FAIL() << "an expandable string or a number must not count as a path";
        } catch (const CWexException& e) {
            EXPECT_STREQ(e.what(), kMissingText);
        }
    }
}

TEST_F(Registry, MissingEverywhereIsAnInstallationError)
{
    // No files at all, then files without the value, then an unknown kind.
    EXPECT_THROW(CWexRegistry::GetPath(CWexRegistry::CommonDataPath), CWexException);
    Machine(Value("CommonInstallPath", "/opt"));
    User(Value("DataPath", "/d"));
    try {
        CWexRegistry::GetDataFolder(CWexRegistry::CommonDataPath, true);
        FAIL();
    } catch (const CWexException& e) {
        EXPECT_STREQ(e.what(), kMissingText);
    }
    EXPECT_THROW(CWexRegistry::GetPath(7), CWexException);
    EXPECT_THROW(CWexRegistry::GetPath(-1), CWexException);
}

TEST_F(Registry, EmptyValueIsOutOfRangeAndHidesThePerUserValue)
{
    Machine(Value("CommonDataPath", ""));
    User(Value("CommonDataPath", "/u"));
    try {
        CWexRegistry::GetPath(CWexRegistry::CommonDataPath);
        FAIL();
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "invalid string position");
    }
}

TEST_F(Registry, ValuesOverTheThousandByteBufferAreAbsent)
{
    User(Value("CommonDataPath", "/user"));
    // 499 characters and the terminator fill exactly 1000 bytes: read.
    std::string fits = "/" + std::string(498, 'a');
    Machine(Value("CommonDataPath", fits));
    EXPECT_EQ(Path(CWexRegistry::CommonDataPath), fits + "/");
    // 500 characters need 1002 bytes: absent in that hive, so the per-user value is taken.
    Machine(Value("CommonDataPath", fits + "b"));
    EXPECT_EQ(Path(CWexRegistry::CommonDataPath), "/user/");
    // Counted in UTF-16 units, not in UTF-8 bytes: 499 two-byte letters still fit.
    std::string czech = "/";
    for (int i = 0; i < 498; ++i) czech += "č";
    Machine(Value("CommonDataPath", czech));
    EXPECT_EQ(Path(CWexRegistry::CommonDataPath), czech + "/");
}

TEST_F(Registry, DataFillingTheWholeBufferWithoutTerminatorIsTakenWhole)
{
    User(Value("CommonDataPath", "/user"));
    std::string units;
    for (int i = 0; i < 500; ++i) units += (i == 0 ? std::string("/\0", 2) : std::string("x\0", 2));
    Machine(HexValue("CommonDataPath", units));
    EXPECT_EQ(Path(CWexRegistry::CommonDataPath), "/" + std::string(499, 'x') + "/");
    // One byte more no longer fits.
    Machine(HexValue("CommonDataPath", units + "y"));
    EXPECT_EQ(Path(CWexRegistry::CommonDataPath), "/user/");
    // A NUL inside the data ends the text.
    Machine(HexValue("CommonDataPath", std::string("/\0a\0\0\0/\0b\0", 10)));
    EXPECT_EQ(Path(CWexRegistry::CommonDataPath), "/a/");
}

TEST_F(Registry, NothingIsCached)
{
    Machine(Value("CommonDataPath", "/first"));
    EXPECT_EQ(Path(CWexRegistry::CommonDataPath), "/first/");
    Machine(Value("CommonDataPath", "/second"));
    EXPECT_EQ(Path(CWexRegistry::CommonDataPath), "/second/");
    fs::remove(m_machine);
    EXPECT_THROW(CWexRegistry::GetPath(CWexRegistry::CommonDataPath), CWexException);
}

TEST_F(Registry, ReadRegStringSetsOutputOnlyOnSuccess)
{
    User(Value("CommonDataPath", "/u"));
    std::u16string out = u"untouched";
    EXPECT_FALSE(CWexRegistry::ReadRegString(CWexRegistry::Hive::LocalMachine, CWexRegistry::kKeyPath,
                                             u"CommonDataPath", out));
    EXPECT_FALSE(CWexRegistry::ReadRegString(CWexRegistry::Hive::CurrentUser, u"Software\\Other\\",
                                             u"CommonDataPath", out));
    EXPECT_EQ(out, u"untouched");
    EXPECT_TRUE(CWexRegistry::ReadRegString(CWexRegistry::Hive::CurrentUser, CWexRegistry::kKeyPath,
                                            u"commondatapath", out));
    EXPECT_EQ(out, u"/u");
}

TEST_F(Registry, PerUserFileDefaultsToTheConfigFolder)
{
    ::unsetenv("VELMORA_USER_REGISTRY");
    const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
    std::string savedXdg = oldXdg ? oldXdg : "";
    const char* oldHome = std::getenv("HOME");
    std::string savedHome = oldHome ? oldHome : "";

    fs::create_directories(m_root / "xdg" / "brevanti");
    WriteHive(m_root / "xdg" / "brevanti" / "registry.reg", "HKEY_CURRENT_USER", Value("CommonDataPath", "/xdg"));
    fs::create_directories(m_root / "home" / ".config" / "brevanti");
    WriteHive(m_root / "home" / ".config" / "brevanti" / "registry.reg", "HKEY_CURRENT_USER",
              Value("CommonDataPath", "/home"));

    ::setenv("XDG_CONFIG_HOME", (m_root / "xdg").c_str(), 1);
    ::setenv("HOME", (m_root / "home").c_str(), 1);
    EXPECT_EQ(Path(CWexRegistry::CommonDataPath), "/xdg/");
    ::setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
    EXPECT_EQ(Path(CWexRegistry::CommonDataPath), "/home/");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(Path(CWexRegistry::CommonDataPath), "/home/");

    if (oldXdg) ::setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
    if (oldHome) ::setenv("HOME", savedHome.c_str(), 1);
}

TEST_F(Registry, DataFolderIsCreatedOnceWhenAsked)
{
    fs::create_directories(m_root / "data");
    Machine(Value("CommonDataPath", (m_root / "data").string()));
    const std::string expected = (m_root / "data" / "Velmora").string() + "/";

    // Without the flag nothing is created, and the parent stays as it was.
    EXPECT_EQ(Folder(CWexRegistry::CommonDataPath, false), expected);
    EXPECT_FALSE(fs::exists(m_root / "data" / "Velmora"));
    EXPECT_TRUE(fs::is_empty(m_root / "data"));

    EXPECT_EQ(Folder(CWexRegistry::CommonDataPath, true), expected);
    ASSERT_TRUE(fs::is_directory(m_root / "data" / "Velmora"));
    std::ofstream(m_root / "data" / "Velmora" / "Potrubi.ptq") << "x";
    struct stat first {};
    ::stat(expected.c_str(), &first);

    // The second call finds the folder: same folder, contents untouched.
    EXPECT_EQ(Folder(CWexRegistry::CommonDataPath, true), expected);
    struct stat second {};
    ::stat(expected.c_str(), &second);
    EXPECT_EQ(first.st_ino, second.st_ino);
    EXPECT_TRUE(fs::exists(m_root / "data" / "Velmora" / "Potrubi.ptq"));
}

TEST_F(Registry, DataFolderThatCannotBeCreatedIsAnError)
{
    const std::string failure = "Adresář nelze založit, Line 251, \n_Spolecny/CWexRegistry";
    // Only one level is created: a missing parent is not.
    Machine(Value("CommonDataPath", (m_root / "no" / "parent").string()));
    try {
        CWexRegistry::GetDataFolder(CWexRegistry::CommonDataPath, true);
        FAIL();
    } catch (const CWexException& e) {
        EXPECT_STREQ(e.what(), failure.c_str());
    }
    EXPECT_FALSE(fs::exists(m_root / "no"));

    // A file in the folder's place.
    fs::create_directories(m_root / "data");
    std::ofstream(m_root / "data" / "Velmora") << "file";
    Machine(Value("CommonDataPath", (m_root / "data").string()));
    EXPECT_THROW(CWexRegistry::GetDataFolder(CWexRegistry::CommonDataPath, true), CWexException);
    EXPECT_EQ(Folder(CWexRegistry::CommonDataPath, false), (m_root / "data" / "Velmora").string() + "/");
}
