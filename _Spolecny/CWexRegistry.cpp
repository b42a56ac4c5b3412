#include "CWexRegistry.h"

#include "CWexFunkce.h"

#include <cstdint>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#include <direct.h>
#include <wchar.h>
#else
#include "RegFile.h"
#include "TextConvert.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

const char* const kSource = "_Spolecny/CWexRegistry";

// A value is read into a buffer of this size; larger data does not fit and counts as absent.
constexpr std::size_t kValueBufferBytes = 1000;

// Path kinds index this table; the order is the installer's and does not change.
const char16_t* const kValueNames[] = {u"NULL", u"InstallPath", u"DataPath", u"CommonInstallPath",
                                       u"CommonDataPath"};

// The text of plain-string data as the registry returns it into the value buffer: up to the
// first NUL, and never past the data. Data that fills the whole buffer without a NUL is taken
// whole (it did fit: nothing of the value was lost). An odd last byte is not a whole unit.
std::u16string TextOfStringData(const std::uint8_t* data, std::size_t size)
{
    std::u16string text;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        auto unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
        if (unit == 0) break;
        text.push_back(unit);
    }
    return text;
}

#ifdef _WIN32

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

bool IsDirectory(const std::u16string& path)
{
    DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool MakeDirectory(const std::u16string& path) { return _wmkdir(Wide(path).c_str()) == 0; }

#else

// The settings file that stands for a hive.
std::optional<std::filesystem::path> HiveFile(CWexRegistry::Hive hive)
{
    auto env = [](const char* name) -> const char* {
        const char* value = std::getenv(name);
        return value && *value ? value : nullptr;
    };
    if (hive == CWexRegistry::Hive::LocalMachine) {
        if (const char* file = env("VELMORA_MACHINE_REGISTRY")) return std::filesystem::path(file);
        return std::filesystem::path("/etc/brevanti/registry.reg");
    }
    if (const char* file = env("VELMORA_USER_REGISTRY")) return std::filesystem::path(file);
    std::filesystem::path config;
    if (const char* xdg = env("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') {
        config = xdg;
    } else if (const char* home = env("HOME")) {
        config = std::filesystem::path(home) / ".config";
    } else if (const passwd* user = getpwuid(getuid()); user && user->pw_dir && *user->pw_dir) {
        config = std::filesystem::path(user->pw_dir) / ".config";
    } else {
        return std::nullopt;
    }
    return config / "brevanti" / "registry.reg";
}

// The bytes of a regular file; nullopt when it is missing, unreadable or not a plain file.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& file)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return std::move(bytes).str();
}

std::string Narrow(const std::u16string& path) { return Utf16ToUtf8(path); }

bool IsDirectory(const std::u16string& path)
{
    struct stat info {};
    return ::stat(Narrow(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool MakeDirectory(const std::u16string& path)
{
    if (::mkdir(Narrow(path).c_str(), 0777) == 0) return true;
    // Someone else may have made it between the test and this call.
    return errno == EEXIST && IsDirectory(path);
}

#endif

} // namespace

bool CWexRegistry::ReadRegString(Hive hive, const std::u16string& keyPath, const std::u16string& valueName,
                                 std::u16string& out)
{
#ifdef _WIN32
    HKEY key = nullptr;
    HKEY root = hive == Hive::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    if (RegOpenKeyExW(root, Wide(keyPath).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    BYTE buffer[kValueBufferBytes] = {};
    DWORD size = sizeof buffer;
    DWORD type = 0;
    LONG result = RegQueryValueExW(key, Wide(valueName).c_str(), nullptr, &type, buffer, &size);
    RegCloseKey(key);
    // ERROR_MORE_DATA: the value is larger than the buffer and counts as absent.
    if (result != ERROR_SUCCESS || type != REG_SZ) return false;
    out = TextOfStringData(buffer, size < sizeof buffer ? size : sizeof buffer);
    return true;
#else
    auto file = HiveFile(hive);
    if (!file) return false;
    auto bytes = ReadWholeFile(*file);
    if (!bytes) return false;
    regfile::Document document = regfile::Document::Parse(*bytes);
    std::u16string root = hive == Hive::LocalMachine ? u"HKEY_LOCAL_MACHINE\\" : u"HKEY_CURRENT_USER\\";
    const regfile::Value* value = document.Find(root + keyPath, valueName);
    if (!value || value->type != regfile::kTypeString || value->data.size() > kValueBufferBytes) return false;
    out = TextOfStringData(value->data.data(), value->data.size());
    return true;
#endif
}

std::u16string CWexRegistry::GetPath(int kind)
{
    std::u16string path;
    bool found = kind >= 0 && kind < static_cast<int>(std::size(kValueNames)) &&
                 (ReadRegString(Hive::LocalMachine, kKeyPath, kValueNames[kind], path) ||
                  ReadRegString(Hive::CurrentUser, kKeyPath, kValueNames[kind], path));
    if (!found) {
        throw CWexException("Nelze načíst Install/Data Path z registru Windows (z HKLM ani z HKCU), "
                            "chyba instalace programu",
                            149, kSource);
    }
    if (path.empty()) throw std::out_of_range("invalid string position");
#ifndef _WIN32
    // A value copied from a Windows installation may end with a backslash: here it ends the
    // folder just the same, so it becomes the separator instead of gaining a second one.
    if (path.back() == u'\\') path.back() = kSeparator;
#endif
    if (path.back() != u'\\' && path.back() != u'/') path.push_back(kSeparator);
    return path;
}

std::u16string CWexRegistry::GetDataFolder(int kind, bool create)
{
    std::u16string folder = GetPath(kind) + kFolderName + kSeparator;
    if (IsDirectory(folder) || !create) return folder;
    if (!MakeDirectory(folder)) throw CWexException("Adresář nelze založit", 251, kSource);
    return folder;
}
