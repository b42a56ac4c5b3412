// The catalog as a spreadsheet and back, through the JSON form of the catalog: export turns
// the JSON export's objects into rows, import turns rows into the JSON document that
// `ptq import` takes and lets its checks speak, pointing at the row and the column.

#include "CatalogTable.h"

#include "CatalogJson.h"

#include "CWexSezMaterialu.h"
#include "PipeTables.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <map>

namespace {

enum class Kind { Text, Float, Integer, Bool, Dn };

struct Column {
    const char* header;
    const char* key; // the field of the JSON form
    Kind kind;
    bool profile;
};

// The column set; "Vnější průměr", "Popis profilu" and "Krátký popis profilu" are derived, as
// in JSON, and ignored by import.
constexpr Column kColumns[] = {
    {"Název", "name", Kind::Text, false},
    {"Popis", "drawingName", Kind::Text, false},
    {"Podrobný popis", "detail", Kind::Text, false},
    {"Výrobce", "manufacturer", Kind::Text, false},
    {"Drsnost [mm]", "roughness", Kind::Float, false},
    {"Skupina", "group", Kind::Integer, false},
    {"Použití", "purposes", Kind::Integer, false},
    {"Index PN", "pnIndex", Kind::Integer, false},
    {"Index SDR", "sdrIndex", Kind::Integer, false},
    {"Tvar", "shape", Kind::Integer, false},
    {"Režim popisu", "descMode", Kind::Integer, false},
    {"Předpona", "prefix", Kind::Text, false},
    {"Přípona", "suffix", Kind::Text, false},
    {"Popis vnitřním průměrem", "innerDiameterLabel", Kind::Bool, false},
    {"DN", "dn", Kind::Dn, true},
    {"Vnitřní průměr [mm]", "innerDiameter", Kind::Float, true},
    {"Tloušťka stěny [mm]", "wall", Kind::Float, true},
    {"Vnější průměr [mm]", "od", Kind::Float, true},
    {"Šířka [mm]", "width", Kind::Integer, true},
    {"Kód URS materiál", "ursMaterial", Kind::Text, true},
    {"Kód URS montáž", "ursAssembly", Kind::Text, true},
    {"Popis profilu", "label", Kind::Text, true},
    {"Krátký popis profilu", "shortLabel", Kind::Text, true},
};

std::string Trimmed(const std::string& text)
{
    auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

TableCell CellOf(const Json& value, Kind kind)
{
    switch (value.type()) {
    case Json::value_t::string:
        return {value.get<std::string>(), false};
    case Json::value_t::boolean:
        return {value.get<bool>() ? "ano" : "ne", false};
    case Json::value_t::number_float: {
        float number = value.get<float>();
        if (!std::isfinite(number)) {
            char buffer[16];
            auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
            return {std::string(buffer, result.ptr), false}; // "nan", "inf": import refuses them
        }
        return {FloatText(number), true};
    }
    default:
        if (kind == Kind::Dn) {
            auto dn = value.get<std::int64_t>();
            if (dn >= 0 && dn < kDnCount) return {FloatText(g_dnTable[dn].nominalSize), true};
            return {"DN index " + std::to_string(dn), false}; // outside the table: import refuses it
        }
        return {value.dump(), true};
    }
}

// Where each material and profile of the JSON form came from.
struct Origins {
    std::vector<std::size_t> materialRow;              // the material's first row
    std::vector<std::vector<std::size_t>> profileRows; // per material, per profile
    std::vector<const Column*> columns;                // per table column
};

class Reader {
public:
    Reader(const Table& table, char decimal) : m_table(table)
    {
        if (table.rows.empty()) throw TableError("no header row");
        ReadHeaders();
        std::vector<std::size_t> numbers;
        for (std::size_t c = 0; c < m_origins.columns.size(); ++c)
            if (m_origins.columns[c]->kind == Kind::Float || m_origins.columns[c]->kind == Kind::Dn) numbers.push_back(c);
        m_decimal = RecogniseDecimal(table, numbers, decimal);
    }

    Json Read()
    {
        Json materials = Json::array();
        std::map<std::string, std::size_t> byName;
        for (std::size_t r = 1; r < m_table.rows.size(); ++r) {
            const std::string name = Cell(r, m_nameColumn).text;
            if (name.empty()) Fail(r, m_nameColumn, "a row needs the material's name");
            Json material = Fields(r, false);
            auto [it, added] = byName.emplace(name, materials.size());
            if (added) {
                material["profiles"] = Json::array();
                materials.push_back(std::move(material));
                m_origins.materialRow.push_back(r);
                m_origins.profileRows.emplace_back();
            } else {
                CompareWithFirst(r, materials[it->second], material);
            }
            Json profile = Fields(r, true);
            if (profile.contains("dn")) {
                materials[it->second]["profiles"].push_back(std::move(profile));
                m_origins.profileRows[it->second].push_back(r);
            } else if (!profile.empty()) {
                Fail(r, m_dnColumn ? m_dnColumn : ColumnOf(profile.begin().key()), "a profile needs its DN");
            }
        }
        Json document;
        document["materials"] = std::move(materials);
        return document;
    }

    [[noreturn]] void Fail(std::size_t r, std::optional<std::size_t> column, const std::string& problem) const
    {
        throw TableError(problem, m_table.rowNumbers.at(r), column,
                         column && *column < m_origins.columns.size() ? m_origins.columns[*column]->header : "");
    }

    std::optional<std::size_t> ColumnOf(const std::string& key) const
    {
        for (std::size_t c = 0; c < m_origins.columns.size(); ++c)
            if (key == m_origins.columns[c]->key) return c;
        return std::nullopt;
    }

    const Origins& GetOrigins() const { return m_origins; }

private:
    void ReadHeaders()
    {
        const TableRow& headers = m_table.rows.front();
        for (std::size_t c = 0; c < headers.size(); ++c) {
            const std::string text = Trimmed(headers[c].text);
            auto column = std::find_if(std::begin(kColumns), std::end(kColumns),
                                       [&](const Column& k) { return text == k.header; });
            if (column == std::end(kColumns))
                throw TableError("unknown column \"" + text + "\"", m_table.rowNumbers.front(), c);
            for (std::size_t earlier = 0; earlier < c; ++earlier)
                if (m_origins.columns[earlier] == column)
                    throw TableError("the column \"" + text + "\" is there twice", m_table.rowNumbers.front(), c);
            m_origins.columns.push_back(column);
        }
        auto name = ColumnOf("name");
        if (!name) throw TableError("no column \"Název\"", m_table.rowNumbers.front());
        m_nameColumn = *name;
        m_dnColumn = ColumnOf("dn");
    }

    TableCell Cell(std::size_t r, std::size_t c) const
    {
        const TableRow& row = m_table.rows[r];
        return c < row.size() ? row[c] : TableCell{};
    }

    // The material's (or the profile's) fields of row r; empty number cells are left out.
    Json Fields(std::size_t r, bool profile)
    {
        const TableRow& row = m_table.rows[r];
        for (std::size_t c = m_origins.columns.size(); c < row.size(); ++c)
            if (!Trimmed(row[c].text).empty()) Fail(r, c, "a value in a column without a header");
        Json fields = Json::object();
        for (std::size_t c = 0; c < m_origins.columns.size(); ++c) {
            const Column& column = *m_origins.columns[c];
            if (column.profile != profile) continue;
            const TableCell cell = Cell(r, c);
            const std::string text = Trimmed(cell.text);
            if (column.kind == Kind::Text) {
                if (profile && cell.text.empty()) continue;
                fields[column.key] = cell.text;
                continue;
            }
            if (text.empty()) continue;
            switch (column.kind) {
            case Kind::Float: {
                auto number = CellFloat(cell, m_decimal);
                if (!number) Fail(r, c, "must be a number, not \"" + text + "\"");
                fields[column.key] = *number;
                break;
            }
            case Kind::Integer: {
                std::int64_t number = 0;
                auto result = std::from_chars(text.data(), text.data() + text.size(), number);
                if (result.ec != std::errc() || result.ptr != text.data() + text.size())
                    Fail(r, c, "must be a whole number, not \"" + text + "\"");
                fields[column.key] = number;
                break;
            }
            case Kind::Bool: {
                std::string lower = text;
                std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char ch) { return std::tolower(ch); });
                if (lower == "ano" || lower == "1" || lower == "true" || lower == "pravda")
                    fields[column.key] = true;
                else if (lower == "ne" || lower == "0" || lower == "false" || lower == "nepravda")
                    fields[column.key] = false;
                else
                    Fail(r, c, "must be ano or ne, not \"" + text + "\"");
                break;
            }
            case Kind::Dn: {
                auto dn = DnIndexOf(cell, m_decimal);
                if (!dn) Fail(r, c, "no DN of the DN table is \"" + text + "\"");
                fields[column.key] = *dn;
                break;
            }
            case Kind::Text:
                break;
            }
        }
        return fields;
    }

    void CompareWithFirst(std::size_t r, const Json& first, const Json& fields) const
    {
        for (std::size_t c = 0; c < m_origins.columns.size(); ++c) {
            const Column& column = *m_origins.columns[c];
            if (column.profile) continue;
            auto a = first.find(column.key);
            auto b = fields.find(column.key);
            bool same = (a == first.end()) == (b == fields.end()) && (a == first.end() || *a == *b);
            if (!same) {
                Fail(r, c, "differs from the material's first row (the material's fields must be the same on "
                           "each of its rows)");
            }
        }
    }

    const Table& m_table;
    Origins m_origins;
    std::size_t m_nameColumn = 0;
    std::optional<std::size_t> m_dnColumn;
    char m_decimal = ',';
};

} // namespace

const std::vector<std::string>& CatalogTableHeaders()
{
    static const std::vector<std::string> headers = [] {
        std::vector<std::string> list;
        for (const Column& column : kColumns) list.push_back(column.header);
        return list;
    }();
    return headers;
}

Table CatalogToTable(const CWexSezMaterialu& catalog, int version)
{
    Table table;
    table.rows.emplace_back();
    for (const Column& column : kColumns) table.rows.front().push_back({column.header, false});
    const Json json = CatalogToJson(catalog, version);
    for (const Json& material : json["materials"]) {
        const Json& profiles = material["profiles"];
        const std::size_t rows = std::max<std::size_t>(profiles.size(), 1);
        for (std::size_t p = 0; p < rows; ++p) {
            TableRow row;
            for (const Column& column : kColumns) {
                const Json& source = column.profile ? (profiles.empty() ? Json() : profiles[p]) : material;
                auto value = source.is_object() ? source.find(column.key) : source.end();
                row.push_back(source.is_object() && value != source.end() ? CellOf(*value, column.kind) : TableCell{});
            }
            table.rows.push_back(std::move(row));
        }
    }
    table.rowNumbers.resize(table.rows.size());
    for (std::size_t r = 0; r < table.rows.size(); ++r) table.rowNumbers[r] = r + 1;
    return table;
}

Json TableToJson(const Table& table, char decimal) { return Reader(table, decimal).Read(); }

void TableToCatalog(const Table& table, char decimal, CWexSezMaterialu& catalog)
{
    Reader reader(table, decimal);
    const Json document = reader.Read();
    try {
        JsonToCatalog(document, catalog);
    } catch (const JsonImportError& e) {
        const Origins& origins = reader.GetOrigins();
        std::size_t r = origins.materialRow.at(e.material.value_or(0));
        if (e.profile) r = origins.profileRows.at(e.material.value_or(0)).at(*e.profile);
        reader.Fail(r, reader.ColumnOf(e.field), e.problem);
    }
}

std::optional<float> CellFloat(const TableCell& cell, char decimal)
{
    std::string text = Trimmed(cell.text);
    if (!cell.number) {
        const char other = decimal == ',' ? '.' : ',';
        if (text.find(other) != std::string::npos) return std::nullopt;
        std::replace(text.begin(), text.end(), decimal, '.');
    }
    float number = 0;
    auto result = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
    return number;
}

std::optional<int> DnIndexOf(const TableCell& cell, char decimal)
{
    TableCell size = cell;
    std::string text = Trimmed(cell.text);
    if (text.size() > 2 && (text[0] == 'D' || text[0] == 'd') && (text[1] == 'N' || text[1] == 'n'))
        size.text = text.substr(2);
    auto value = CellFloat(size, decimal);
    if (!value) return std::nullopt;
    for (int i = 0; i < kDnCount; ++i)
        if (g_dnTable[i].nominalSize == *value) return i;
    return std::nullopt;
}

char RecogniseDecimal(const Table& table, const std::vector<std::size_t>& numberColumns, char given)
{
    if (given) return given;
    char found = 0;
    for (std::size_t r = 1; r < table.rows.size(); ++r) {
        for (std::size_t c : numberColumns) {
            if (c >= table.rows[r].size() || table.rows[r][c].number) continue;
            const std::string& text = table.rows[r][c].text;
            for (char mark : {',', '.'}) {
                if (text.find(mark) == std::string::npos) continue;
                if (found && found != mark)
                    throw TableError("numbers with a decimal comma and numbers with a decimal point; say which with "
                                     "--decimal",
                                     table.rowNumbers.at(r), c);
                found = mark;
            }
        }
    }
    return found ? found : ',';
}
