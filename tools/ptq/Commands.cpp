#include "Commands.h"

#include "CWexFileError.h"
#include "CWexFunkce.h"
#include "CWexSezMaterialu.h"
#include "CatalogFile.h"
#include "CatalogJson.h"
#include "ConsoleWindowServices.h"
#include "PipeTables.h"
#include "TextConvert.h"
#include "WindowServices.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>

namespace {

void Error(const std::string& text) { std::fprintf(stderr, "ptq: %s\n", text.c_str()); }

// A file failure as the program shows it, then what exactly happened.
void ReportFileError(const CWexFileError& e, bool writing)
{
    GetWindowServices().ShowMessage(writing ? u"Chyba při zápisu do souboru" : u"Chyba při čtení ze souboru",
                                    u"Neočekávaná výjimka", MessageIcon::Error, MessageButtons::Ok);
    Error(e.what());
}

// Reads a catalog file as the program does; nullopt (reported) when reading failed.
// Materials read completely before a failure stay in `catalog`.
std::optional<int> ReadReported(const std::string& path, CWexSezMaterialu& catalog)
{
    try {
        return ReadCatalogFile(path, catalog);
    } catch (const CWexFileError& e) {
        ReportFileError(e, false);
    } catch (const std::exception& e) {
        ShowException(e);
    }
    return std::nullopt;
}

std::size_t ProfileCount(const CWexSezMaterialu& catalog)
{
    std::size_t count = 0;
    for (const auto& [name, material] : catalog.m_materials) count += material->m_profiles.size();
    return count;
}

std::optional<std::string> ReadText(const std::string& path)
{
    std::ostringstream text;
    if (path == "-") {
        text << std::cin.rdbuf();
        if (std::cin.bad()) return std::nullopt;
        return std::move(text).str();
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    text << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return std::move(text).str();
}

bool WriteText(const std::string& path, const std::string& text)
{
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        if (out && out.write(text.data(), static_cast<std::streamsize>(text.size())) && out.flush()) return true;
    }
    std::remove(path.c_str()); // no half-written export is left behind
    return false;
}

// What the reader keeps as read although the program's tables have no such row.
int ReportIndexesOutsideTables(const CWexSezMaterialu& catalog)
{
    int warnings = 0;
    auto warn = [&](const CWexMaterial& material, const std::string& what) {
        Error("material \"" + Utf16ToUtf8(material.m_strName) + "\": " + what + " is outside the table (kept as read)");
        ++warnings;
    };
    for (const auto& [name, material] : catalog.m_materials) {
        const CWexMaterial& m = *material;
        if (m.m_nPN != -1 && !IsValidPn(m.m_nPN)) warn(m, "PN index " + std::to_string(m.m_nPN));
        if (m.m_nSDR != -1 && !IsValidSdr(m.m_nSDR)) warn(m, "SDR index " + std::to_string(m.m_nSDR));
        if (!IsValidShape(m.m_nShape)) warn(m, "shape " + std::to_string(m.m_nShape));
        if (m.m_nDescMode < DescByDn || m.m_nDescMode > DescUserDefined)
            warn(m, "description mode " + std::to_string(m.m_nDescMode));
        for (const auto& [dn, profile] : m.m_profiles)
            if (!IsValidDn(dn)) warn(m, "DN index " + std::to_string(dn));
    }
    return warnings;
}

// Records whose name was already read are dropped by the reader. Each material carries the
// position of the last record under its name, so a position no material holds was dropped.
int ReportDroppedRecords(const CWexSezMaterialu& catalog)
{
    std::int32_t records = 0;
    for (const auto& [name, material] : catalog.m_materials)
        records = std::max(records, material->m_nProjectIndex + 1);
    auto dropped = records - static_cast<std::int32_t>(catalog.m_materials.size());
    if (dropped > 0) {
        Error(std::to_string(dropped) + " material record(s) repeat a name read before; the catalog keeps the first");
    }
    return dropped > 0 ? dropped : 0;
}

} // namespace

int RunInfo(const Options& options)
{
    CWexSezMaterialu catalog;
    auto version = ReadReported(options.input, catalog);
    if (!version) return 1;
    std::printf("version: %d\nmaterials: %zu\nprofiles: %zu\n", *version, catalog.m_materials.size(),
                ProfileCount(catalog));
    return 0;
}

int RunExport(const Options& options)
{
    CWexSezMaterialu catalog;
    auto version = ReadReported(options.input, catalog);
    if (!version) return 1;
    std::string text = ToJsonText(CatalogToJson(catalog, *version));
    if (!options.output) {
        std::fwrite(text.data(), 1, text.size(), stdout);
        if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
            Error("cannot write the standard output");
            return 1;
        }
        return 0;
    }
    if (!WriteText(*options.output, text)) {
        Error("cannot write " + *options.output);
        return 1;
    }
    return 0;
}

int RunImport(const Options& options)
{
    auto text = ReadText(options.input);
    if (!text) {
        Error("cannot read " + options.input);
        return 1;
    }
    const std::string source = options.input == "-" ? "standard input" : options.input;
    CWexSezMaterialu catalog;
    try {
        JsonToCatalog(ParseJsonText(*text), catalog);
    } catch (const JsonSyntaxError& e) {
        Error(source + ": not valid JSON: " + e.what() + "; nothing written");
        return 1;
    } catch (const JsonImportError& e) {
        Error(source + ": " + e.what() + "; nothing written");
        return 1;
    }
    try {
        WriteCatalogFile(*options.output, catalog);
    } catch (const CWexFileError& e) {
        ReportFileError(e, true);
        return 1;
    } catch (const std::exception& e) {
        ShowException(e);
        return 1;
    }
    return 0;
}

int RunCheck(const Options& options, const ConsoleWindowServices& services)
{
    CWexSezMaterialu catalog;
    int shownBefore = services.Shown();
    auto version = ReadReported(options.input, catalog);
    // The failure itself was one message; every other message came from the reader.
    int corrections = services.Shown() - shownBefore - (version ? 0 : 1);
    int warnings = ReportIndexesOutsideTables(catalog);
    if (version) warnings += ReportDroppedRecords(catalog);

    std::string counts = std::to_string(catalog.m_materials.size()) + " materials, " +
                         std::to_string(ProfileCount(catalog)) + " profiles; " + std::to_string(corrections) +
                         " corrections, " + std::to_string(warnings) + " warnings";
    if (!version) {
        std::printf("%s: FAILED after %s\n", options.input.c_str(), counts.c_str());
        return 1;
    }
    std::printf("%s: version %d, %s\n", options.input.c_str(), *version, counts.c_str());
    return 0;
}
