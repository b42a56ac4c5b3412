#pragma once
// The install and data folders that the installer records as string values under
// "Software\Brevanti\" (machine-wide first, then per-user). Nothing is cached and nothing is
// written: every call reads the settings again.
//
// On Windows the values come from the registry. Elsewhere each hive is a registry export file:
// machine-wide /etc/brevanti/registry.reg (or the file named by VELMORA_MACHINE_REGISTRY),
// per-user ${XDG_CONFIG_HOME:-~/.config}/brevanti/registry.reg (or VELMORA_USER_REGISTRY).

#include <string>

class CWexRegistry {
public:
    enum PathKind { PathNull = 0, InstallPath = 1, DataPath = 2, CommonInstallPath = 3, CommonDataPath = 4 };
    enum class Hive { LocalMachine, CurrentUser };

    // Reads the plain-string value `valueName` of `keyPath` in `hive`. True when read; `out`
    // is set only then. Any other value type, or data over 1000 bytes, counts as absent.
    static bool ReadRegString(Hive hive, const std::u16string& keyPath, const std::u16string& valueName,
                              std::u16string& out);

    // The folder of a path kind, ending with the platform separator. Throws CWexException
    // (line 149) when neither hive has the value, std::out_of_range when it is empty.
    static std::u16string GetPath(int kind);

    // GetPath(kind) + "Velmora" + separator. With `create`, a missing last level is created
    // (never its parents); failing that throws CWexException "Adresář nelze založit" (line 251).
    static std::u16string GetDataFolder(int kind, bool create);

    // The platform's path separator, which every returned path ends with.
    static constexpr char16_t kSeparator =
#ifdef _WIN32
        u'\\';
#else
        u'/';
#endif

    // The key under which the installer records the paths.
    static constexpr const char16_t* kKeyPath = u"Software\\Brevanti\\";
    // The program's own folder below a path.
    static constexpr const char16_t* kFolderName = u"Velmora";
};
