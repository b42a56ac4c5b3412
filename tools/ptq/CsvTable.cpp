// CSV in and out.

#include "SpreadsheetTable.h"

#include "Cp1250.h"
#include "TextConvert.h"

#include <algorithm>
#include <cstdint>

TableError::TableError(const std::string& problem, std::size_t row, std::optional<std::size_t> column,
                       std::string header)
    : std::runtime_error(problem), row(row), column(column), header(std::move(header)), problem(problem)
{
}

std::string ColumnName(std::size_t column)
{
    std::string name;
    for (std::size_t n = column + 1; n > 0; n = (n - 1) / 26) name.insert(name.begin(), char('A' + (n - 1) % 26));
    return name;
}

namespace {

// The first byte offset at which `bytes` is not UTF-8 (overlong forms and surrogates
// included), or npos.
std::size_t FirstNonUtf8(const std::string& bytes)
{
    std::size_t i = 0;
    while (i < bytes.size()) {
        auto b = static_cast<std::uint8_t>(bytes[i]);
        std::size_t length = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > bytes.size()) return i;
        std::uint32_t cp = length == 1 ? b : b & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            auto c = static_cast<std::uint8_t>(bytes[i + k]);
            if ((c & 0xC0) != 0x80) return i;
            cp = (cp << 6) | (c & 0x3F);
        }
        static constexpr std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < kSmallest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return i;
        i += length;
    }
    return std::string::npos;
}

std::size_t LineOf(const std::string& bytes, std::size_t offset)
{
    return 1 + static_cast<std::size_t>(std::count(bytes.begin(), bytes.begin() + offset, '\n'));
}

// The text as UTF-8.
std::string Decode(const std::string& bytes, CsvEncoding encoding)
{
    if (bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF'))) {
        // UTF-16 with its byte-order mark, as spreadsheets save "Unicode text".
        if (bytes.size() % 2) throw TableError("UTF-16 text with an odd number of bytes");
        const bool little = bytes[0] == '\xFF';
        std::u16string text;
        for (std::size_t i = 2; i < bytes.size(); i += 2) {
            auto lo = static_cast<std::uint8_t>(bytes[i + (little ? 0 : 1)]);
            auto hi = static_cast<std::uint8_t>(bytes[i + (little ? 1 : 0)]);
            text.push_back(static_cast<char16_t>(lo | (hi << 8)));
        }
        return Utf16ToUtf8(text);
    }
    const bool bom = bytes.starts_with("\xEF\xBB\xBF");
    std::size_t bad = FirstNonUtf8(bytes);
    if (encoding == CsvEncoding::Utf8 || (encoding == CsvEncoding::Detect && (bom || bad == std::string::npos))) {
        if (bad != std::string::npos) throw TableError("not UTF-8 text (byte " + std::to_string(bad + 1) + ")", LineOf(bytes, bad));
        return bom ? bytes.substr(3) : bytes;
    }
    // Windows-1250, the code page of Czech Windows, defines every byte but five.
    std::u16string text = Cp1250ToUtf16(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    auto undefined = text.find(kCp1250Undefined);
    if (undefined != std::u16string::npos)
        throw TableError("byte " + std::to_string(undefined + 1) + " is not a Windows-1250 character",
                         LineOf(bytes, undefined));
    return Utf16ToUtf8(text);
}

struct Record {
    std::vector<std::string> fields;
    std::size_t line;
};

std::vector<Record> Split(const std::string& text, char delimiter)
{
    std::vector<Record> records;
    Record record{{}, 1};
    std::string field;
    std::size_t line = 1;
    std::size_t i = 0;
    auto endRecord = [&] {
        record.fields.push_back(std::move(field));
        field.clear();
        records.push_back(std::move(record));
        record = Record{{}, line};
    };
    while (i < text.size()) {
        char c = text[i];
        if (c == '"' && field.empty()) {
            const std::size_t opened = line;
            ++i;
            for (;;) {
                if (i >= text.size()) throw TableError("a quoted field is not closed", opened);
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                if (text[i] == '\n') ++line;
                field += text[i++];
            }
            if (i < text.size() && text[i] != delimiter && text[i] != '\r' && text[i] != '\n')
                throw TableError("text after the closing quote of a field", line);
            continue;
        }
        if (c == delimiter) {
            record.fields.push_back(std::move(field));
            field.clear();
            ++i;
        } else if (c == '\r' || c == '\n') {
            i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
            ++line;
            endRecord();
        } else {
            field += c;
            ++i;
        }
    }
    if (!field.empty() || !record.fields.empty()) endRecord();
    return records;
}

std::string FirstLine(const std::string& text)
{
    return text.substr(0, text.find_first_of("\r\n"));
}

std::size_t KnownCount(const std::string& line, char delimiter, const std::vector<std::string>& known)
{
    std::size_t count = 0;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = line.find(delimiter, start);
        std::string cell = line.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (cell.size() >= 2 && cell.front() == '"' && cell.back() == '"') cell = cell.substr(1, cell.size() - 2);
        if (std::find(known.begin(), known.end(), cell) != known.end()) ++count;
        if (end == std::string::npos) return count;
        start = end + 1;
    }
}

} // namespace

Table ReadCsv(const std::string& bytes, const CsvFormat& format, const std::vector<std::string>& knownHeaders)
{
    const std::string text = Decode(bytes, format.encoding);
    char delimiter = format.delimiter;
    if (!delimiter) {
        delimiter = ';';
        std::size_t best = 0;
        const std::string header = FirstLine(text);
        for (char candidate : {';', ',', '\t'}) {
            std::size_t count = KnownCount(header, candidate, knownHeaders);
            if (count > best) {
                best = count;
                delimiter = candidate;
            }
        }
    }
    Table table;
    for (Record& record : Split(text, delimiter)) {
        bool blank = std::all_of(record.fields.begin(), record.fields.end(), [](const std::string& f) {
            return f.find_first_not_of(" \t") == std::string::npos;
        });
        if (blank) continue;
        TableRow row;
        for (std::string& f : record.fields) row.push_back({std::move(f), false});
        table.rows.push_back(std::move(row));
        table.rowNumbers.push_back(record.line);
    }
    return table;
}

std::string WriteCsv(const Table& table)
{
    std::string out = "\xEF\xBB\xBF";
    for (const TableRow& row : table.rows) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i) out += ';';
            std::string text = row[i].text;
            if (row[i].number) std::replace(text.begin(), text.end(), '.', ',');
            if (text.find_first_of(";\"\r\n") != std::string::npos) {
                std::string quoted = "\"";
                for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
                text = quoted + '"';
            }
            out += text;
        }
        out += "\r\n";
    }
    return out;
}
