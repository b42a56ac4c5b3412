// ptq backups and ptq restore: the saved versions the program keeps beside a catalog file
// ("<FILE>.bak", the newest, to "<FILE>.bak5"), and the copies it kept aside of a file it
// could not read whole; and putting one of them back.

#include "CommandSupport.h"
#include "Commands.h"

#include "CWexFileError.h"
#include "CWexFunkce.h"
#include "CWexSezMaterialu.h"
#include "CatalogFile.h"
#include "CatalogFileIO.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string Utf8(const fs::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string ModificationTime(const fs::path& path)
{
    std::error_code error;
    const auto written = fs::last_write_time(path, error);
    if (error) return "?";
    return LocalTimeText(std::chrono::system_clock::to_time_t(std::chrono::file_clock::to_sys(written)),
                         "%Y-%m-%d %H:%M:%S");
}

// What a file holds, read without a word to the user; the reason when it cannot be read whole.
std::string Contents(const fs::path& path, bool& whole)
{
    whole = false;
    try {
        CWexSezMaterialu catalog;
        ReadCatalogBytesQuietly(ReadWholeFile(path), path, catalog);
        whole = true;
        return std::to_string(catalog.m_materials.size()) + " materials, " + std::to_string(ProfileCount(catalog)) +
               " profiles";
    } catch (const std::exception& e) {
        return std::string("cannot be read: ") + e.what();
    }
}

void PrintEntry(const std::string& label, const fs::path& path)
{
    bool whole;
    const std::string contents = Contents(path, whole);
    std::error_code error;
    const auto size = fs::file_size(path, error);
    std::printf("%-6s %s  %s  %ju bytes  %s\n", label.c_str(), Utf8(path.filename()).c_str(),
                ModificationTime(path).c_str(), static_cast<std::uintmax_t>(error ? 0 : size), contents.c_str());
}

fs::path Generation(const fs::path& file, int n)
{
    return catalog_io::BackupGeneration(catalog_io::BackupPathOf(file), n);
}

} // namespace

int RunBackups(const Options& options)
{
    const fs::path file = FilePath(options.input);
    int listed = 0;
    for (int n = 1; n <= catalog_io::kBackupGenerations; ++n) {
        std::error_code error;
        if (!fs::is_regular_file(Generation(file, n), error)) continue;
        PrintEntry(std::to_string(n), Generation(file, n));
        ++listed;
    }
    // Copies kept aside before a damaged or newer file was replaced: "<stem>-<why>-<time>.ptq".
    std::vector<fs::path> aside;
    std::error_code error;
    const fs::path folder = file.parent_path().empty() ? fs::path(".") : file.parent_path();
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const std::string name = Utf8(entry.path().filename());
        const std::string stem = Utf8(file.stem());
        if ((name.starts_with(stem + "-poskozeny-") || name.starts_with(stem + "-novejsi-verze-")) &&
            name.ends_with(".ptq"))
            aside.push_back(entry.path());
    }
    std::sort(aside.begin(), aside.end());
    for (const fs::path& path : aside) PrintEntry("aside", path);
    if (listed + aside.size() == 0) std::printf("%s: no backups\n", options.input.c_str());
    return 0;
}

int RunRestore(const Options& options)
{
    const fs::path file = FilePath(options.input);
    const fs::path backup = Generation(file, options.generation);
    std::vector<std::uint8_t> bytes;
    try {
        bytes = ReadWholeFile(backup);
        CWexSezMaterialu check;
        ReadCatalogBytesQuietly(bytes, backup, check);
    } catch (const CWexFileError& e) {
        ReportFileError(e, false);
        return 1;
    } catch (const std::exception& e) {
        Error(Utf8(backup) + " cannot be read whole, nothing restored: " + e.what());
        return 1;
    }
    try {
        // The file replaced is kept as the newest backup, so a restore can be undone.
        WriteFileBytes(file, bytes, true);
    } catch (const CWexFileError& e) {
        ReportFileError(e, true);
        return 1;
    }
    std::printf("%s: restored from %s; the replaced file is now %s\n", options.input.c_str(),
                Utf8(backup.filename()).c_str(), Utf8(catalog_io::BackupPathOf(file).filename()).c_str());
    return 0;
}
