#include "RegFile.h"

#include "CWexFunkce.h"
#include "TextConvert.h"

#include <optional>

namespace regfile {

namespace {

using Text = std::u16string;
using View = std::u16string_view;

// The file as UTF-16: regedit writes UTF-16LE with a BOM; hand-written files are UTF-8.
Text DecodeFile(std::string_view bytes)
{
    auto unit = [&](std::size_t i, bool little) {
        auto lo = static_cast<unsigned char>(bytes[little ? i : i + 1]);
        auto hi = static_cast<unsigned char>(bytes[little ? i + 1 : i]);
        return static_cast<char16_t>(lo | (hi << 8));
    };
    if (bytes.size() >= 2 && (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF")) {
        bool little = bytes[0] == '\xFF';
        Text text;
        text.reserve(bytes.size() / 2);
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) text.push_back(unit(i, little));
        return text;
    }
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    return Utf8ToUtf16(bytes);
}

std::vector<View> SplitLines(View text)
{
    std::vector<View> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != u'\r' && text[i] != u'\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

View TrimLeft(View s)
{
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    return s;
}

View Trim(View s)
{
    s = TrimLeft(s);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

Text Lowered(View s)
{
    Text out(s);
    for (char16_t& c : out) c = LowerCodeUnit(c);
    return out;
}

bool StartsWithIgnoringCase(View s, View prefix)
{
    return s.size() >= prefix.size() && Lowered(s.substr(0, prefix.size())) == prefix;
}

// Only blanks or a comment may follow a value's data on its line.
bool NothingButComment(View rest)
{
    rest = TrimLeft(rest);
    return rest.empty() || rest.front() == u';';
}

// A quoted text at the start of `s` with the escapes \\ and \"; any other backslash stands
// for itself. Advances `s` past the closing quote; nullopt when the quote is not closed.
std::optional<Text> TakeQuoted(View& s)
{
    if (s.empty() || s.front() != u'"') return std::nullopt;
    Text out;
    for (std::size_t i = 1; i < s.size(); ++i) {
        char16_t c = s[i];
        if (c == u'"') {
            s.remove_prefix(i + 1);
            return out;
        }
        if (c == u'\\' && i + 1 < s.size() && (s[i + 1] == u'\\' || s[i + 1] == u'"')) c = s[++i];
        out.push_back(c);
    }
    return std::nullopt;
}

int HexDigit(char16_t c)
{
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// 1 to `maxDigits` hex digits, the whole of `s`.
std::optional<std::uint32_t> ParseHexNumber(View s, std::size_t maxDigits)
{
    if (s.empty() || s.size() > maxDigits) return std::nullopt;
    std::uint32_t value = 0;
    for (char16_t c : s) {
        int d = HexDigit(c);
        if (d < 0) return std::nullopt;
        value = (value << 4) | static_cast<std::uint32_t>(d);
    }
    return value;
}

// "xx,xx,..." up to an optional comment; nullopt when a byte is malformed.
std::optional<std::vector<std::uint8_t>> ParseHexBytes(View s)
{
    if (auto comment = s.find(u';'); comment != View::npos) s = s.substr(0, comment);
    s = Trim(s);
    std::vector<std::uint8_t> bytes;
    if (s.empty()) return bytes;
    while (true) {
        std::size_t comma = s.find(u',');
        auto number = ParseHexNumber(Trim(s.substr(0, comma)), 2);
        if (!number) return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(*number));
        if (comma == View::npos) return bytes;
        s = s.substr(comma + 1);
    }
}

std::vector<std::uint8_t> StringData(View text)
{
    std::vector<std::uint8_t> data;
    data.reserve(text.size() * 2 + 2);
    for (char16_t c : text) {
        data.push_back(static_cast<std::uint8_t>(c & 0xFF));
        data.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    data.push_back(0);
    data.push_back(0);
    return data;
}

} // namespace

std::u16string NormalizeKeyPath(std::u16string_view keyPath)
{
    View path = Trim(keyPath);
    while (!path.empty() && path.front() == u'\\') path.remove_prefix(1);
    while (!path.empty() && path.back() == u'\\') path.remove_suffix(1);
    Text lowered = Lowered(path);
    std::size_t end = lowered.find(u'\\');
    Text root = lowered.substr(0, end);
    static const std::pair<View, View> kShortRoots[] = {
        {u"hklm", u"hkey_local_machine"}, {u"hkcu", u"hkey_current_user"},
        {u"hkcr", u"hkey_classes_root"},  {u"hku", u"hkey_users"},
        {u"hkcc", u"hkey_current_config"},
    };
    for (const auto& [shortName, fullName] : kShortRoots) {
        if (root == shortName) return Text(fullName) + (end == Text::npos ? Text() : lowered.substr(end));
    }
    return lowered;
}

class Parser {
public:
    explicit Parser(Document& doc) : m_doc(doc) {}

    void Run(const std::vector<View>& lines)
    {
        std::size_t i = 0;
        while (i < lines.size() && Trim(lines[i]).empty()) ++i;
        if (i == lines.size()) return;
        View header = Trim(lines[i]);
        if (header != u"Windows Registry Editor Version 5.00" && header != u"REGEDIT4") return;
        m_doc.m_hasHeader = true;
        for (++i; i < lines.size(); ++i) {
            View line = TrimLeft(lines[i]);
            if (line.empty() || line.front() == u';') continue;
            if (line.front() == u'[') {
                TakeSection(line);
            } else if (line.front() == u'"' || line.front() == u'@') {
                TakeValue(line, lines, i);
            }
        }
    }

private:
    void TakeSection(View line)
    {
        m_current = nullptr;
        std::size_t close = line.rfind(u']');
        if (close == View::npos || !NothingButComment(line.substr(close + 1))) return;
        View key = line.substr(1, close - 1);
        if (key.empty() || key.front() == u'-') return; // a key deletion: its values are ignored
        Text normalized = NormalizeKeyPath(key);
        if (normalized.empty()) return;
        m_current = &m_doc.m_keys[normalized];
    }

    // `index` moves past the continuation lines of a hex value.
    void TakeValue(View line, const std::vector<View>& lines, std::size_t& index)
    {
        Text name;
        if (line.front() == u'@') {
            line.remove_prefix(1);
        } else {
            auto quoted = TakeQuoted(line);
            if (!quoted) return;
            name = std::move(*quoted);
        }
        line = TrimLeft(line);
        if (line.empty() || line.front() != u'=') return;
        line = TrimLeft(line.substr(1));

        Text joined; // a hex value with its continuation lines
        if (StartsWithIgnoringCase(line, u"hex")) {
            joined = JoinContinuations(line, lines, index);
            line = joined;
        }
        if (!m_current) return;

        Text key = Lowered(name);
        if (!line.empty() && line.front() == u'-' && NothingButComment(line.substr(1))) {
            m_current->erase(key);
            return;
        }
        if (auto value = ParseData(line)) (*m_current)[key] = std::move(*value);
    }

    static Text JoinContinuations(View first, const std::vector<View>& lines, std::size_t& index)
    {
        Text joined(Trim(first));
        bool more = !joined.empty() && joined.back() == u'\\';
        while (more && index + 1 < lines.size()) {
            View next = Trim(lines[++index]);
            if (!next.empty() && next.front() == u';') continue;
            joined.pop_back();
            joined += next;
            more = !joined.empty() && joined.back() == u'\\';
        }
        return joined;
    }

    static std::optional<Value> ParseData(View data)
    {
        Value value;
        if (!data.empty() && data.front() == u'"') {
            auto text = TakeQuoted(data);
            if (!text || !NothingButComment(data)) return std::nullopt;
            value.type = kTypeString;
            value.data = StringData(*text);
            return value;
        }
        if (StartsWithIgnoringCase(data, u"dword:")) {
            data.remove_prefix(6);
            std::size_t end = data.find(u';');
            auto number = ParseHexNumber(Trim(data.substr(0, end)), 8);
            if (!number) return std::nullopt;
            value.type = kTypeDword;
            for (int shift = 0; shift < 32; shift += 8) value.data.push_back(static_cast<std::uint8_t>(*number >> shift));
            return value;
        }
        if (StartsWithIgnoringCase(data, u"hex:")) {
            data.remove_prefix(4);
            value.type = kTypeBinary;
        } else if (StartsWithIgnoringCase(data, u"hex(")) {
            std::size_t close = data.find(u"):");
            if (close == View::npos) return std::nullopt;
            auto type = ParseHexNumber(data.substr(4, close - 4), 8);
            if (!type) return std::nullopt;
            value.type = *type;
            data.remove_prefix(close + 2);
        } else {
            return std::nullopt;
        }
        auto bytes = ParseHexBytes(data);
        if (!bytes) return std::nullopt;
        value.data = std::move(*bytes);
        return value;
    }

    Document& m_doc;
    Document::ValueMap* m_current = nullptr;
};

Document Document::Parse(std::string_view fileBytes)
{
    Document doc;
    Text text = DecodeFile(fileBytes);
    Parser(doc).Run(SplitLines(text));
    return doc;
}

const Value* Document::Find(std::u16string_view keyPath, std::u16string_view valueName) const
{
    auto key = m_keys.find(NormalizeKeyPath(keyPath));
    if (key == m_keys.end()) return nullptr;
    auto value = key->second.find(Lowered(valueName));
    return value == key->second.end() ? nullptr : &value->second;
}

} // namespace regfile
