// The install and data paths read from the real Windows registry. Values are put in with the
// system's own registry tool (reg.exe add, as an installer or an administrator would), so the
// reader meets exactly what the registry stores for REG_SZ and REG_EXPAND_SZ data.
#include "CWexFunkce.h"
#include "CWexRegistry.h"

#include "Win32TestSupport.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace fs = std::filesystem;

namespace {

const char* const kMissingText = "Nelze načíst Install/Data Path z registru Windows (z HKLM ani z HKCU), "
                                 "chyba instalace programu, Line 149, \n_Spolecny/CWexRegistry";

// One command-line argument quoted so that the program's argument parser gives it back as it
// is: backslashes are doubled only before a quote, as the runtime's parser expects.
std::wstring Quote(const std::wstring& argument)
{
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted.push_back(c);
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

// Runs reg.exe with the arguments, its output discarded; its exit code (-1: not started).
long RunReg(const std::wstring& arguments)
{
    return RunProgram(L"reg.exe " + arguments, true);
}

const wchar_t* HiveKey(CWexRegistry::Hive hive)
{
    return hive == CWexRegistry::Hive::LocalMachine ? L"HKLM\\Software\\Brevanti"
                                                    : L"HKCU\\Software\\Brevanti";
}

std::u16string U16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }
std::u16string U16(const fs::path& path) { return U16(path.wstring()); }

class Win32Registry : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!RegistryMayBeChanged()) GTEST_SKIP() << kScratchRegistryNote;
        m_active = true;
        DeleteKeys();
        wchar_t temp[MAX_PATH + 1] = {};
        ASSERT_GT(GetTempPathW(MAX_PATH + 1, temp), 0u);
        // A folder name outside ASCII shows that the path survives the trip through the registry.
        m_root = fs::path(temp) /
                 (L"velmora-reg-" + std::to_wstring(GetCurrentProcessId()) + L"-Data \u010C\u00E1st");
        fs::remove_all(m_root);
        fs::create_directories(m_root);
    }

    void TearDown() override
    {
        if (!m_active) return;
        DeleteKeys();
        fs::remove_all(m_root);
    }

    static void DeleteKeys()
    {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Brevanti");
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Brevanti");
    }

    static void Put(CWexRegistry::Hive hive, const wchar_t* name, const std::wstring& data,
                    const wchar_t* type = L"REG_SZ")
    {
        ASSERT_EQ(RunReg(L"add " + Quote(HiveKey(hive)) + L" /v " + name + L" /t " + type + L" /d " +
                         Quote(data) + L" /f"),
                  0);
    }

    static std::string MissingTextOf(int kind)
    {
        try {
            CWexRegistry::GetPath(kind);
        } catch (const CWexException& e) {
            return e.what();
        }
        return "no exception";
    }

    fs::path m_root;
    bool m_active = false;
};

using Hive = CWexRegistry::Hive;

TEST_F(Win32Registry, OnlyThePerUserHiveHasTheValue)
{
    Put(Hive::CurrentUser, L"CommonDataPath", m_root.wstring());
    EXPECT_EQ(CWexRegistry::GetPath(CWexRegistry::CommonDataPath), U16(m_root) + u"\\");
    // The other kind is still missing in both hives.
    EXPECT_EQ(MissingTextOf(CWexRegistry::CommonInstallPath), kMissingText);
}

TEST_F(Win32Registry, MachineWideWinsEvenWhenItsFolderDoesNotExist)
{
    Put(Hive::LocalMachine, L"CommonDataPath", L"C:\\nowhere\\machine");
    Put(Hive::CurrentUser, L"CommonDataPath", m_root.wstring());
    EXPECT_EQ(CWexRegistry::GetPath(CWexRegistry::CommonDataPath), u"C:\\nowhere\\machine\\");

    std::u16string out = u"unchanged";
    EXPECT_TRUE(CWexRegistry::ReadRegString(Hive::CurrentUser, CWexRegistry::kKeyPath, u"CommonDataPath", out));
    EXPECT_EQ(out, U16(m_root));
}

TEST_F(Win32Registry, TrailingBackslashIsNeverDoubled)
{
    Put(Hive::LocalMachine, L"CommonInstallPath", L"C:\\Program Files\\Brevanti\\");
    Put(Hive::LocalMachine, L"CommonDataPath", L"C:\\Program Files\\Brevanti");
    EXPECT_EQ(CWexRegistry::GetPath(CWexRegistry::CommonInstallPath), u"C:\\Program Files\\Brevanti\\");
    EXPECT_EQ(CWexRegistry::GetPath(CWexRegistry::CommonDataPath), u"C:\\Program Files\\Brevanti\\");
}

TEST_F(Win32Registry, ExpandableStringCountsAsAbsent)
{
    Put(Hive::LocalMachine, L"CommonDataPath", L"%ProgramData%\\Brevanti", L"REG_EXPAND_SZ");
    Put(Hive::CurrentUser, L"CommonDataPath", L"%APPDATA%\\Brevanti", L"REG_EXPAND_SZ");
    EXPECT_EQ(MissingTextOf(CWexRegistry::CommonDataPath), kMissingText);

    std::u16string out = u"unchanged";
    EXPECT_FALSE(CWexRegistry::ReadRegString(Hive::LocalMachine, CWexRegistry::kKeyPath, u"CommonDataPath", out));
    EXPECT_EQ(out, u"unchanged");

    // An expandable machine-wide value does not hide a plain per-user one.
    Put(Hive::CurrentUser, L"CommonDataPath", m_root.wstring());
    EXPECT_EQ(CWexRegistry::GetPath(CWexRegistry::CommonDataPath), U16(m_root) + u"\\");
}

TEST_F(Win32Registry, ValuesOverTheThousandByteBufferAreAbsent)
{
    // 499 characters and the terminator the registry stores with them: 1000 bytes, which fit.
    std::wstring fits = L"C:\\" + std::wstring(496, L'a');
    Put(Hive::LocalMachine, L"CommonInstallPath", fits);
    EXPECT_EQ(CWexRegistry::GetPath(CWexRegistry::CommonInstallPath), U16(fits) + u"\\");

    // One character more is 1002 bytes: absent in that hive, so the per-user value is taken.
    std::wstring tooLong = fits + L"b";
    Put(Hive::LocalMachine, L"CommonDataPath", tooLong);
    EXPECT_EQ(MissingTextOf(CWexRegistry::CommonDataPath), kMissingText);
    Put(Hive::CurrentUser, L"CommonDataPath", m_root.wstring());
    EXPECT_EQ(CWexRegistry::GetPath(CWexRegistry::CommonDataPath), U16(m_root) + u"\\");

    // Far beyond the buffer, in both hives.
    Put(Hive::CurrentUser, L"CommonDataPath", L"C:\\" + std::wstring(3000, L'c'));
    EXPECT_EQ(MissingTextOf(CWexRegistry::CommonDataPath), kMissingText);
}

TEST_F(Win32Registry, DataFillingTheBufferWithoutTerminatorIsTakenWhole)
{
    // Only a program can store string data without its terminator; reg.exe always adds one.
    // The registry also adds it when the unit after the data is a NUL, so the buffer holds
    // one more, non-NUL unit that is not stored.
    std::wstring text = L"C:\\" + std::wstring(497, L'd');
    std::wstring buffer = text + L"!";
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Brevanti", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    LONG set = RegSetValueExW(key, L"CommonDataPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(buffer.data()),
                              static_cast<DWORD>(text.size() * sizeof(wchar_t)));
    RegCloseKey(key);
    ASSERT_EQ(set, ERROR_SUCCESS);
    ASSERT_EQ(text.size() * sizeof(wchar_t), 1000u);
    EXPECT_EQ(CWexRegistry::GetPath(CWexRegistry::CommonDataPath), U16(text) + u"\\");
}

TEST_F(Win32Registry, EmptyValueIsOutOfRangeAndHidesThePerUserValue)
{
    Put(Hive::LocalMachine, L"CommonDataPath", L"");
    Put(Hive::CurrentUser, L"CommonDataPath", m_root.wstring());
    try {
        CWexRegistry::GetPath(CWexRegistry::CommonDataPath);
        FAIL() << "an empty value must not give a path";
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "invalid string position");
    }
}

TEST_F(Win32Registry, NothingIsCached)
{
    Put(Hive::CurrentUser, L"CommonDataPath", L"C:\\first");
    EXPECT_EQ(CWexRegistry::GetPath(CWexRegistry::CommonDataPath), u"C:\\first\\");
    Put(Hive::CurrentUser, L"CommonDataPath", L"C:\\second");
    EXPECT_EQ(CWexRegistry::GetPath(CWexRegistry::CommonDataPath), u"C:\\second\\");
}

TEST_F(Win32Registry, DataFolderIsCreatedOnceWhenAsked)
{
    Put(Hive::CurrentUser, L"CommonDataPath", m_root.wstring());
    const fs::path folder = m_root / L"Velmora";
    const std::u16string expected = U16(m_root) + u"\\Velmora\\";

    // Without creation only the existence test runs.
    EXPECT_EQ(CWexRegistry::GetDataFolder(CWexRegistry::CommonDataPath, false), expected);
    EXPECT_FALSE(fs::exists(folder));

    EXPECT_EQ(CWexRegistry::GetDataFolder(CWexRegistry::CommonDataPath, true), expected);
    ASSERT_TRUE(fs::is_directory(folder));

    // The second call finds the folder: what it holds stays.
    std::ofstream(folder / "Potrubi.ptq") << "kept";
    EXPECT_EQ(CWexRegistry::GetDataFolder(CWexRegistry::CommonDataPath, true), expected);
    EXPECT_TRUE(fs::exists(folder / "Potrubi.ptq"));
}

TEST_F(Win32Registry, DataFolderThatCannotBeCreatedIsAnError)
{
    // Parents are never created.
    Put(Hive::CurrentUser, L"CommonDataPath", (m_root / L"missing").wstring());
    try {
        CWexRegistry::GetDataFolder(CWexRegistry::CommonDataPath, true);
        FAIL() << "a folder below a missing parent cannot be made";
    } catch (const CWexException& e) {
        EXPECT_STREQ(e.what(), "Adresář nelze založit, Line 251, \n_Spolecny/CWexRegistry");
    }
    EXPECT_FALSE(fs::exists(m_root / L"missing"));

    // A file where the folder should be.
    Put(Hive::CurrentUser, L"CommonDataPath", m_root.wstring());
    std::ofstream(m_root / L"Velmora") << "a file";
    EXPECT_THROW(CWexRegistry::GetDataFolder(CWexRegistry::CommonDataPath, true), CWexException);
}

} // namespace
