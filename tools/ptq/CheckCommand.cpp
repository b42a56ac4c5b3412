// ptq check: read a file with the program's reader and report what it corrected or met.

#include "CatalogJson.h"
#include "CatalogTable.h"
#include "CommandSupport.h"
#include "Commands.h"
#include "ConsoleWindowServices.h"
#include "DimensionChecks.h"
#include "TableFiles.h"

#include "CWexSezMaterialu.h"
#include "PipeTables.h"
#include "TextConvert.h"

#include <algorithm>
#include <cstdio>

namespace {

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

// A record whose name was already read is merged into the first one by the reader (asked
// about when they differ, answered "Ano": the first one's values stay, sizes it lacked are
// added). Each material carries the position of the last record under its name, so a
// position no material holds was such a record.
int ReportDroppedRecords(const CWexSezMaterialu& catalog)
{
    std::int32_t records = 0;
    for (const auto& [name, material] : catalog.m_materials)
        records = std::max(records, material->m_nProjectIndex + 1);
    auto dropped = records - static_cast<std::int32_t>(catalog.m_materials.size());
    if (dropped > 0) {
        Error(std::to_string(dropped) +
              " material record(s) repeat a name read before; the catalog keeps the first, with the sizes it lacked "
              "added");
    }
    return dropped > 0 ? dropped : 0;
}

int ReportDimensions(const CWexSezMaterialu& catalog, const StatedOuterDiameters& stated)
{
    const std::vector<std::string> findings = CheckDimensions(catalog, stated);
    for (const std::string& finding : findings) Error(finding);
    return static_cast<int>(findings.size());
}

bool IsJsonFile(const std::string& name)
{
    return name.size() >= 5 && name.compare(name.size() - 5, 5, ".json") == 0;
}

// A JSON, CSV or XLSX file read as import reads it, with the outer diameters it states.
std::optional<std::string> ReadCatalogSource(const Options& options, CWexSezMaterialu& catalog,
                                             StatedOuterDiameters& stated)
{
    const TableFormat format = FormatOfFile(options.input);
    Json document;
    try {
        if (format == TableFormat::Json) {
            auto text = ReadBytes(options.input);
            if (!text) throw TableError("cannot be read");
            document = ParseJsonText(*text);
            JsonToCatalog(document, catalog);
        } else {
            const Table table = ReadTableFile(options.input, options, CatalogTableHeaders());
            document = TableToJson(table, options.decimal);
            TableToCatalog(table, options.decimal, catalog);
        }
    } catch (const TableError& e) {
        ReportTableError(options.input, e, "");
        return std::nullopt;
    } catch (const std::exception& e) { // JSON that is not valid or not a catalog
        Error(options.input + ": " + e.what());
        return std::nullopt;
    }
    for (const Json& material : document["materials"]) {
        for (const Json& profile : material.value("profiles", Json::array())) {
            if (profile.contains("od") && profile["od"].is_number())
                stated[{Utf8ToUtf16(material["name"].get<std::string>()), profile["dn"].get<int>()}] =
                    profile["od"].get<float>();
        }
    }
    return std::string(format == TableFormat::Json ? "JSON" : format == TableFormat::Csv ? "CSV" : "XLSX");
}

} // namespace

int RunCheck(const Options& options, const ConsoleWindowServices& services)
{
    CWexSezMaterialu catalog;
    const bool source = IsJsonFile(options.input) || FormatOfFile(options.input) != TableFormat::Json;
    if (source) {
        StatedOuterDiameters stated;
        auto kind = ReadCatalogSource(options, catalog, stated);
        if (!kind) return 1;
        int warnings = ReportDimensions(catalog, stated);
        std::printf("%s: %s, %zu materials, %zu profiles; %d warnings%s\n", options.input.c_str(), kind->c_str(),
                    catalog.m_materials.size(), ProfileCount(catalog), warnings,
                    options.strict && warnings ? " (--strict: failed)" : "");
        return options.strict && warnings ? 1 : 0;
    }

    int shownBefore = services.Shown();
    auto version = ReadReported(options.input, catalog);
    // The failure itself was one message; every other message came from the reader.
    int corrections = services.Shown() - shownBefore - (version ? 0 : 1);
    int warnings = ReportIndexesOutsideTables(catalog);
    if (version) warnings += ReportDroppedRecords(catalog);
    warnings += ReportDimensions(catalog, {});

    std::string counts = std::to_string(catalog.m_materials.size()) + " materials, " +
                         std::to_string(ProfileCount(catalog)) + " profiles; " + std::to_string(corrections) +
                         " corrections, " + std::to_string(warnings) + " warnings";
    if (!version) {
        std::printf("%s: FAILED after %s\n", options.input.c_str(), counts.c_str());
        return 1;
    }
    // --strict: a file that needed a correction or draws a warning fails the check.
    const bool failed = options.strict && (corrections || warnings);
    std::printf("%s: version %d, %s%s\n", options.input.c_str(), *version, counts.c_str(),
                failed ? " (--strict: failed)" : "");
    return failed ? 1 : 0;
}
