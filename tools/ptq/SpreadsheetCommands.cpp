// ptq export --format csv|xlsx, ptq import of a .csv or .xlsx file, and ptq update-codes.

#include "CatalogTable.h"
#include "CommandSupport.h"
#include "Commands.h"
#include "NameFolding.h"
#include "TableFiles.h"

#include "CWexFileError.h"
#include "CWexFunkce.h"
#include "CWexSezMaterialu.h"
#include "CatalogFile.h"
#include "PipeTables.h"
#include "TextConvert.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <system_error>

void ReportTableError(const std::string& file, const TableError& e, const std::string& consequence)
{
    std::string where = file;
    if (e.row) where += ": row " + std::to_string(e.row);
    if (e.column) {
        where += std::string(e.row ? ", " : ": ") + "column " + ColumnName(*e.column);
        if (!e.header.empty()) where += " (" + e.header + ")";
    }
    Error(where + ": " + e.problem + consequence);
}

std::optional<std::string> ReadBytes(const std::string& path)
{
    std::ifstream in(FilePath(path), std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return std::move(bytes).str();
}

Table ReadTableFile(const std::string& path, const Options& options, const std::vector<std::string>& headers)
{
    auto bytes = ReadBytes(path);
    if (!bytes) throw TableError("cannot be read");
    if (FormatOfFile(path) == TableFormat::Xlsx) return ReadXlsx(*bytes);
    CsvFormat format;
    format.delimiter = options.delimiter;
    format.decimal = options.decimal;
    format.encoding = options.encoding == 1   ? CsvEncoding::Utf8
                      : options.encoding == 2 ? CsvEncoding::Windows1250
                                              : CsvEncoding::Detect;
    return ReadCsv(*bytes, format, headers);
}

namespace {

// Writes the whole text or nothing: a temporary file beside the target, renamed over it.
bool WriteWhole(const std::string& path, const std::string& bytes)
{
    std::filesystem::path target = FilePath(path);
    std::filesystem::path temporary = target;
    temporary += ".ptq-tmp";
    bool written = false;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        written = out && out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) && out.flush();
    }
    std::error_code error;
    if (written) std::filesystem::rename(temporary, target, error);
    if (!written || error) {
        std::filesystem::remove(temporary, error);
        return false;
    }
    return true;
}

bool WriteCatalogReported(const std::string& path, CWexSezMaterialu& catalog)
{
    try {
        WriteCatalogFile(FilePath(path), catalog);
        return true;
    } catch (const CWexFileError& e) {
        ReportFileError(e, true);
    } catch (const std::exception& e) {
        ShowException(e);
    }
    return false;
}

template <std::size_t N>
void SetCode(char16_t (&field)[N], const std::u16string& code)
{
    std::fill(std::copy_n(code.begin(), std::min(code.size(), N - 1), field), field + N, u'\0');
}

std::string Quoted(const std::u16string& text) { return "\"" + Utf16ToUtf8(text) + "\""; }

} // namespace

int RunTableExport(const Options& options, const CWexSezMaterialu& catalog, int version)
{
    const Table table = CatalogToTable(catalog, version);
    try {
        if (*options.format == TableFormat::Xlsx) {
            WriteXlsx(table, FilePath(*options.output));
        } else if (!WriteWhole(*options.output, WriteCsv(table))) {
            Error("cannot write " + *options.output);
            return 1;
        }
    } catch (const TableError& e) {
        Error(e.problem);
        return 1;
    }
    return 0;
}

int RunTableImport(const Options& options)
{
    CWexSezMaterialu catalog;
    try {
        TableToCatalog(ReadTableFile(options.input, options, CatalogTableHeaders()), options.decimal, catalog);
    } catch (const TableError& e) {
        ReportTableError(options.input, e, "; nothing written");
        return 1;
    }
    return WriteCatalogReported(*options.output, catalog) ? 0 : 1;
}

namespace {

const std::vector<std::string> kCodeHeaders = {"Název", "DN", "Kód URS materiál", "Kód URS montáž"};

struct CodeRow {
    std::size_t row;
    std::optional<std::u16string> codes[2]; // material, assembly; nullopt: the cell is empty
};

} // namespace

int RunUpdateCodes(const Options& options)
{
    CWexSezMaterialu catalog;
    if (!ReadReported(options.input, catalog)) return 1;

    // (material name, DN) -> the rows of the table that give its codes, in catalog order.
    std::map<std::pair<std::u16string, int>, std::vector<CodeRow>> updates;
    std::vector<std::string> notMatched;
    std::vector<std::string> ambiguous;
    try {
        const Table table = ReadTableFile(options.from, options, kCodeHeaders);
        if (table.rows.empty()) throw TableError("no header row");
        std::optional<std::size_t> columns[4];
        for (std::size_t c = 0; c < table.rows.front().size(); ++c) {
            for (std::size_t k = 0; k < 4; ++k) {
                std::string header = table.rows.front()[c].text;
                header.erase(0, header.find_first_not_of(" \t"));
                header.erase(header.find_last_not_of(" \t") + 1);
                if (header != kCodeHeaders[k]) continue;
                if (columns[k]) throw TableError("the column \"" + kCodeHeaders[k] + "\" is there twice", table.rowNumbers[0], c);
                columns[k] = c;
            }
        }
        for (std::size_t k = 0; k < 2; ++k)
            if (!columns[k]) throw TableError("no column \"" + kCodeHeaders[k] + "\"", table.rowNumbers[0]);
        if (!columns[2] && !columns[3])
            throw TableError("neither \"Kód URS materiál\" nor \"Kód URS montáž\" is a column", table.rowNumbers[0]);
        const char decimal = RecogniseDecimal(table, {*columns[1]}, options.decimal);

        for (std::size_t r = 1; r < table.rows.size(); ++r) {
            const TableRow& row = table.rows[r];
            const std::size_t number = table.rowNumbers[r];
            auto cell = [&](std::size_t k) { return columns[k] && *columns[k] < row.size() ? row[*columns[k]] : TableCell{}; };
            auto fail = [&](std::size_t k, const std::string& problem) {
                throw TableError(problem, number, columns[k], kCodeHeaders[k]);
            };
            const std::u16string name = Utf8ToUtf16(cell(0).text);
            if (name.empty()) fail(0, "a row needs the material's name");
            auto dn = DnIndexOf(cell(1), decimal);
            if (!dn) fail(1, "no DN of the DN table is \"" + cell(1).text + "\"");
            CodeRow entry{number, {}};
            for (std::size_t k = 2; k < 4; ++k) {
                std::string text = cell(k).text;
                text.erase(0, text.find_first_not_of(" \t"));
                text.erase(text.find_last_not_of(" \t") + 1);
                if (text.empty()) continue;
                std::u16string code = Utf8ToUtf16(text);
                if (code.size() >= CWexProfil::kCodeUnits)
                    fail(k, "longer than " + std::to_string(CWexProfil::kCodeUnits - 1) + " characters");
                entry.codes[k - 2] = code;
            }

            const std::string what = "row " + std::to_string(number) + ": " + Quoted(name) + " " +
                                     Utf16ToUtf8(g_dnTable[*dn].label);
            std::vector<CWexMaterial*> materials;
            if (auto exact = catalog.m_materials.find(name); exact != catalog.m_materials.end()) {
                materials.push_back(exact->second.get());
            } else {
                for (const auto& [key, material] : catalog.m_materials)
                    if (FoldName(key) == FoldName(name)) materials.push_back(material.get());
            }
            if (materials.empty()) {
                notMatched.push_back(what + ": no material of this name");
            } else if (materials.size() > 1) {
                std::string names;
                for (const CWexMaterial* m : materials) names += (names.empty() ? "" : ", ") + Quoted(m->m_strName);
                ambiguous.push_back(what + ": the name fits " + names);
            } else if (!materials.front()->m_profiles.count(*dn)) {
                notMatched.push_back(what + ": " + Quoted(materials.front()->m_strName) + " has no such size");
            } else {
                updates[{materials.front()->m_strName, *dn}].push_back(std::move(entry));
            }
        }
    } catch (const TableError& e) {
        ReportTableError(options.from, e, "; nothing written");
        return 1;
    }

    std::size_t changed = 0;
    std::size_t unchanged = 0;
    for (auto& [key, rows] : updates) {
        const auto& [name, dn] = key;
        CWexProfil& profile = *catalog.m_materials.at(name)->m_profiles.at(dn);
        const std::string what = Quoted(name) + " " + Utf16ToUtf8(g_dnTable[dn].label);
        // Rows that give one code differently; a row that leaves a code empty agrees with any.
        bool conflict = false;
        for (std::size_t k = 0; k < 2; ++k) {
            std::optional<std::u16string> first;
            for (const CodeRow& other : rows) {
                if (!other.codes[k]) continue;
                if (!first) first = other.codes[k];
                conflict = conflict || *other.codes[k] != *first;
            }
        }
        if (conflict) {
            std::string numbers;
            for (const CodeRow& other : rows) numbers += (numbers.empty() ? "" : ", ") + std::to_string(other.row);
            ambiguous.push_back("rows " + numbers + ": " + what + " with different codes; left as it is");
            continue;
        }
        std::string change;
        char16_t* fields[2] = {profile.m_szUrsMaterial, profile.m_szUrsAssembly};
        const char* names[2] = {"Kód URS materiál", "Kód URS montáž"};
        for (std::size_t k = 0; k < 2; ++k) {
            std::optional<std::u16string> code;
            for (const CodeRow& other : rows)
                if (other.codes[k]) code = other.codes[k];
            if (!code || *code == std::u16string(fields[k])) continue;
            change += std::string(change.empty() ? "" : ", ") + names[k] + " " + Quoted(fields[k]) + " -> " + Quoted(*code);
            if (k == 0)
                SetCode(profile.m_szUrsMaterial, *code);
            else
                SetCode(profile.m_szUrsAssembly, *code);
        }
        if (change.empty()) {
            ++unchanged;
        } else {
            ++changed;
            std::printf("changed: %s: %s\n", what.c_str(), change.c_str());
        }
    }
    for (const std::string& line : notMatched) std::printf("not matched: %s\n", line.c_str());
    for (const std::string& line : ambiguous) std::printf("ambiguous: %s\n", line.c_str());

    if (!WriteCatalogReported(*options.output, catalog)) return 1;
    std::printf("%s: %zu profiles changed, %zu unchanged; %zu rows not matched, %zu ambiguous\n",
                options.output->c_str(), changed, unchanged, notMatched.size(), ambiguous.size());
    return 0;
}
