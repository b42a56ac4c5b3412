// libFuzzer target for the settings-file reader: any bytes as the per-user settings file, asked
// for every folder the program looks up, exactly as the program asks at start-up (the
// machine-wide file is absent). Then the same bytes parsed directly and looked up under the
// spellings the reader promises to treat alike.
//
// Whatever the file holds must not crash, leak or allocate beyond the data; a lookup either
// finds a folder that ends with the separator or fails with the program's own message.

#include "CWexFunkce.h"
#include "CWexRegistry.h"
#include "RegFile.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A folder of this process for the settings file, removed at exit.
const fs::path& SettingsFile()
{
    static const fs::path file = [] {
        fs::path folder = fs::temp_directory_path() / ("velmora-fuzz-settings-" + std::to_string(::getpid()));
        fs::create_directories(folder);
        ::setenv("VELMORA_MACHINE_REGISTRY", (folder / "missing.reg").c_str(), 1);
        ::setenv("VELMORA_USER_REGISTRY", (folder / "user.reg").c_str(), 1);
        static const fs::path remove = folder;
        std::atexit([] {
            std::error_code ignored;
            fs::remove_all(remove, ignored);
        });
        return folder / "user.reg";
    }();
    return file;
}

void LookUpEveryFolder()
{
    for (int kind = CWexRegistry::PathNull; kind <= CWexRegistry::CommonDataPath + 1; ++kind) {
        try {
            std::u16string folder = CWexRegistry::GetDataFolder(kind, false);
            if (folder.back() != CWexRegistry::kSeparator) std::abort();
        } catch (const CWexException&) {
        } catch (const std::out_of_range&) {
            // An empty value: the program reports it as the string class does.
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    {
        std::ofstream out(SettingsFile(), std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    LookUpEveryFolder();

    const regfile::Document document = regfile::Document::Parse(bytes);
    const regfile::Value* value = document.Find(u"HKEY_CURRENT_USER\\Software\\Brevanti", u"DataPath");
    // Roots may be abbreviated, a trailing backslash is allowed, and case does not matter.
    if (document.Find(u"HKCU\\software\\BREVANTI\\", u"datapath") != value) std::abort();
    if (value && !document.HasHeader()) std::abort();
    return 0;
}
