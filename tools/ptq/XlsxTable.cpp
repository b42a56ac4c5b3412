// XLSX in and out: libxlsxwriter writes the workbook, liborcus reads it. A build without them
// (the Windows cross build) says so when XLSX is asked for.

#include "SpreadsheetTable.h"

#ifdef PTQ_HAVE_XLSX

#include <orcus/exception.hpp>
#include <orcus/orcus_xlsx.hpp>
#include <orcus/spreadsheet/import_interface.hpp>
#include <xlsxwriter.h>
#include <zip.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <map>
#include <memory>
#include <system_error>

namespace {

namespace ss = orcus::spreadsheet;

// The cells of one worksheet, as orcus hands them over.
class SheetCells final : public ss::iface::import_sheet {
public:
    explicit SheetCells(const std::vector<std::string>* strings) : m_strings(strings) {}

    void set_auto(ss::row_t row, ss::col_t col, std::string_view s) override { Put(row, col, {std::string(s), false}); }
    void set_string(ss::row_t row, ss::col_t col, ss::string_id_t index) override
    {
        Put(row, col, {index < m_strings->size() ? (*m_strings)[index] : std::string(), false});
    }
    void set_value(ss::row_t row, ss::col_t col, double value) override
    {
        char buffer[32];
        auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        Put(row, col, {std::string(buffer, result.ptr), true});
    }
    void set_bool(ss::row_t row, ss::col_t col, bool value) override { Put(row, col, {value ? "1" : "0", true}); }
    void set_date_time(ss::row_t row, ss::col_t col, int, int, int, int, int, double) override
    {
        Put(row, col, {"(a date)", false});
    }
    void set_format(ss::row_t, ss::col_t, std::size_t) override {}
    void set_format(ss::row_t, ss::col_t, ss::row_t, ss::col_t, std::size_t) override {}
    void fill_down_cells(ss::row_t, ss::col_t, ss::row_t) override {}
    ss::range_size_t get_sheet_size() const override { return {1048576, 16384}; }

    std::map<std::pair<ss::row_t, ss::col_t>, TableCell> m_cells;

private:
    void Put(ss::row_t row, ss::col_t col, TableCell cell)
    {
        if (row >= 0 && col >= 0) m_cells[{row, col}] = std::move(cell);
    }
    const std::vector<std::string>* m_strings;
};

class SharedStrings final : public ss::iface::import_shared_strings {
public:
    std::size_t append(std::string_view s) override
    {
        m_strings.emplace_back(s);
        return m_strings.size() - 1;
    }
    std::size_t add(std::string_view s) override { return append(s); }
    void set_segment_font(std::size_t) override {}
    void set_segment_bold(bool) override {}
    void set_segment_italic(bool) override {}
    void set_segment_font_name(std::string_view) override {}
    void set_segment_font_size(double) override {}
    void set_segment_font_color(ss::color_elem_t, ss::color_elem_t, ss::color_elem_t, ss::color_elem_t) override {}
    void append_segment(std::string_view s) override { m_segments += s; }
    std::size_t commit_segments() override
    {
        std::size_t index = append(m_segments);
        m_segments.clear();
        return index;
    }

    std::vector<std::string> m_strings;

private:
    std::string m_segments;
};

// Cell addresses of the A1 form ("B7", "$B$7", "A1:W318"), which a workbook uses for the
// extent of a sheet and for cell positions. Anything else is refused.
class A1Resolver final : public ss::iface::import_reference_resolver {
public:
    ss::src_address_t resolve_address(std::string_view text) override
    {
        ss::src_address_t address{0, 0, 0};
        std::size_t i = 0;
        auto skipDollar = [&] {
            if (i < text.size() && text[i] == '$') ++i;
        };
        skipDollar();
        long column = 0;
        const std::size_t letters = i;
        while (i < text.size() && std::isupper(static_cast<unsigned char>(text[i])) && column <= 16384)
            column = column * 26 + (text[i++] - 'A' + 1);
        skipDollar();
        long row = 0;
        const std::size_t digits = i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) && row <= 1048576)
            row = row * 10 + (text[i++] - '0');
        if (i == letters || i == digits || i != text.size() || column < 1 || column > 16384 || row < 1 || row > 1048576)
            throw orcus::invalid_arg_error("not a cell address: " + std::string(text));
        address.row = static_cast<ss::row_t>(row - 1);
        address.column = static_cast<ss::col_t>(column - 1);
        return address;
    }
    ss::src_range_t resolve_range(std::string_view text) override
    {
        auto colon = text.find(':');
        ss::src_range_t range;
        range.first = resolve_address(text.substr(0, colon));
        range.last = colon == std::string_view::npos ? range.first : resolve_address(text.substr(colon + 1));
        return range;
    }
};

// Keeps the first worksheet; the others are read and dropped.
class FirstSheetFactory final : public ss::iface::import_factory {
public:
    ss::iface::import_shared_strings* get_shared_strings() override { return &m_strings; }
    ss::iface::import_reference_resolver* get_reference_resolver(ss::formula_ref_context_t) override
    {
        return &m_resolver;
    }
    ss::iface::import_sheet* append_sheet(ss::sheet_t, std::string_view name) override
    {
        m_sheets.push_back(std::make_unique<SheetCells>(&m_strings.m_strings));
        m_names.emplace_back(name);
        return m_sheets.back().get();
    }
    ss::iface::import_sheet* get_sheet(std::string_view name) override
    {
        for (std::size_t i = 0; i < m_names.size(); ++i)
            if (m_names[i] == name) return m_sheets[i].get();
        return nullptr;
    }
    ss::iface::import_sheet* get_sheet(ss::sheet_t index) override
    {
        return index >= 0 && static_cast<std::size_t>(index) < m_sheets.size() ? m_sheets[index].get() : nullptr;
    }
    void finalize() override {}

    SharedStrings m_strings;
    A1Resolver m_resolver;
    std::vector<std::unique_ptr<SheetCells>> m_sheets;
    std::vector<std::string> m_names;
};

std::string WriterError(lxw_error error) { return lxw_strerror(error); }

// orcus unpacks each part of a workbook into memory whole, at the size the archive declares
// for it, so a damaged or hostile file of a few kB could make it allocate gigabytes. libzip
// reads the declared sizes first, with its consistency checks (orcus goes by the local headers,
// which must agree with the central directory); a part above this is refused. A catalog of a thousand
// materials fills a worksheet of a few MB.
constexpr zip_uint64_t kMaxPartSize = 32u << 20;

void CheckDeclaredSizes(const std::string& bytes)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    zip_t* archive = source ? zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error) : nullptr;
    if (!archive) {
        if (source) zip_source_free(source);
        std::string reason = zip_error_strerror(&error);
        zip_error_fini(&error);
        throw TableError("not an XLSX workbook that can be read: " + reason);
    }
    zip_error_fini(&error);
    bool tooLarge = false;
    const zip_int64_t entries = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < entries && !tooLarge; ++i) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &stat) == 0 && (stat.valid & ZIP_STAT_SIZE))
            tooLarge = stat.size > kMaxPartSize;
    }
    zip_discard(archive); // frees the source too
    if (tooLarge) throw TableError("a part of the workbook would unpack to more than 32 MB");
}

} // namespace

bool XlsxAvailable() { return true; }

Table ReadXlsx(const std::string& bytes)
{
    CheckDeclaredSizes(bytes);
    FirstSheetFactory factory;
    try {
        orcus::orcus_xlsx reader(&factory);
        reader.read_stream(std::string_view(bytes));
    } catch (const std::exception& e) {
        throw TableError(std::string("not an XLSX workbook that can be read: ") + e.what());
    }
    Table table;
    if (factory.m_sheets.empty()) return table;
    std::map<ss::row_t, TableRow> rows;
    for (auto& [position, cell] : factory.m_sheets.front()->m_cells) {
        TableRow& row = rows[position.first];
        if (row.size() <= static_cast<std::size_t>(position.second)) row.resize(position.second + 1);
        row[position.second] = std::move(cell);
    }
    for (auto& [number, row] : rows) {
        bool blank = std::all_of(row.begin(), row.end(), [](const TableCell& c) {
            return c.text.find_first_not_of(" \t") == std::string::npos;
        });
        if (blank) continue;
        table.rows.push_back(std::move(row));
        table.rowNumbers.push_back(static_cast<std::size_t>(number) + 1);
    }
    return table;
}

void WriteXlsx(const Table& table, const std::filesystem::path& file)
{
    // libxlsxwriter writes the named file itself: a temporary one beside the target, renamed
    // over it when complete, so that a failure leaves no half-written workbook.
    std::filesystem::path temporary = file;
    temporary += ".ptq-tmp";
    lxw_workbook* workbook = workbook_new(temporary.string().c_str());
    if (!workbook) throw TableError("cannot create " + file.string());
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, "Materiály");
    lxw_format* bold = workbook_add_format(workbook);
    format_set_bold(bold);
    lxw_error failed = LXW_NO_ERROR;
    for (std::size_t r = 0; r < table.rows.size() && !failed; ++r) {
        for (std::size_t c = 0; c < table.rows[r].size() && !failed; ++c) {
            const TableCell& cell = table.rows[r][c];
            auto row = static_cast<lxw_row_t>(r);
            auto col = static_cast<lxw_col_t>(c);
            double value = 0;
            if (cell.number && std::from_chars(cell.text.data(), cell.text.data() + cell.text.size(), value).ec ==
                                   std::errc())
                failed = worksheet_write_number(sheet, row, col, value, nullptr);
            else if (!cell.text.empty())
                failed = worksheet_write_string(sheet, row, col, cell.text.c_str(), r == 0 ? bold : nullptr);
        }
    }
    if (!failed) worksheet_freeze_panes(sheet, 1, 0);
    lxw_error closed = workbook_close(workbook);
    std::error_code ignored;
    if (failed || closed) {
        std::filesystem::remove(temporary, ignored);
        throw TableError("cannot write " + file.string() + ": " + WriterError(failed ? failed : closed));
    }
    std::error_code renamed;
    std::filesystem::rename(temporary, file, renamed);
    if (renamed) {
        std::filesystem::remove(temporary, ignored);
        throw TableError("cannot write " + file.string() + ": " + renamed.message());
    }
}

#else

namespace {
const char* const kNoXlsx = "XLSX is not available in this build (use --format csv)";
}

bool XlsxAvailable() { return false; }
Table ReadXlsx(const std::string&) { throw TableError(kNoXlsx); }
void WriteXlsx(const Table&, const std::filesystem::path&) { throw TableError(kNoXlsx); }

#endif
