#pragma once
// A spreadsheet as ptq reads and writes it: rows of cells, the first row the headers, and the
// CSV and XLSX forms of it.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

struct TableCell {
    std::string text;    // UTF-8; a number with a decimal point when `number`
    bool number = false; // a number cell of a workbook, or one to be written as a number
};

using TableRow = std::vector<TableCell>;

struct Table {
    std::vector<TableRow> rows;          // rows[0] holds the headers
    std::vector<std::size_t> rowNumbers; // the number the file gives each row (from 1)
};

// Input that cannot be read; `row` is the file's row number (0: none), `column` counts from 0.
class TableError : public std::runtime_error {
public:
    TableError(const std::string& problem, std::size_t row = 0, std::optional<std::size_t> column = std::nullopt,
               std::string header = {});

    std::size_t row;
    std::optional<std::size_t> column;
    std::string header;
    std::string problem;
};

// "A", "B", ..., "Z", "AA", ... for a column counted from 0.
std::string ColumnName(std::size_t column);

enum class CsvEncoding { Detect, Utf8, Windows1250 };

struct CsvFormat {
    char delimiter = 0; // ';', ',' or '\t'; 0: recognise it from the header row
    char decimal = 0;   // ',' or '.'; 0: recognise it from the numbers (done by the caller)
    CsvEncoding encoding = CsvEncoding::Detect;
};

// Reads CSV bytes: UTF-8 (with or without a byte-order mark), UTF-16 with a byte-order mark, or
// Windows-1250; quoted fields as spreadsheets write them. Without a delimiter the one that
// splits the header row into the most `knownHeaders` is taken. Rows without any text are left
// out. Throws TableError.
Table ReadCsv(const std::string& bytes, const CsvFormat& format, const std::vector<std::string>& knownHeaders);

// CSV as Czech spreadsheet programs write it: UTF-8 with a byte-order mark, ';' between
// fields, a decimal comma in number cells, CRLF line ends; fields with ';', '"' or a line
// break are quoted.
std::string WriteCsv(const Table& table);

// Whether this build reads and writes XLSX workbooks.
bool XlsxAvailable();

// The first worksheet of an XLSX workbook. Throws TableError.
Table ReadXlsx(const std::string& bytes);

// Writes `table` as a workbook with one worksheet to `file` (replaced). Throws TableError.
void WriteXlsx(const Table& table, const std::filesystem::path& file);
