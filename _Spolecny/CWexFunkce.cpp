#include "CWexFunkce.h"

#include "CWexMaterial.h"
#include "TextConvert.h"
#include "WindowServices.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <cwctype>
#else
#include <clocale>
#include <cwctype>
#include <locale.h>
#endif

namespace {

const char* const kSource = "_Spolecny/CWexFunkce";

std::string FormatText(const char* format, auto... args)
{
    std::vector<char> buffer(1024);
    int needed = std::snprintf(buffer.data(), buffer.size(), format, args...);
    if (needed < 0) return {};
    if (static_cast<std::size_t>(needed) >= buffer.size()) {
        buffer.resize(static_cast<std::size_t>(needed) + 1);
        std::snprintf(buffer.data(), buffer.size(), format, args...);
    }
    return CutUtf8(std::string(buffer.data(), static_cast<std::size_t>(needed)),
                   CWexException::kMaxCharacters);
}

// The case mapping of every BMP code unit, built once: the locale is created a single
// time and sorting a long list then costs one table lookup per character.
class LowerCaseTable {
public:
    LowerCaseTable() : m_table(0x10000)
    {
#ifdef _WIN32
        // The Czech case mapping of the platform itself: the C runtime's _towlower_l under a
        // "cs-CZ" locale asks LCMapStringEx for the same mapping, but the older msvcrt.dll
        // that MinGW links against knows no "cs-CZ" locale name. Where the mapping fails,
        // the C runtime's own towlower is used, as a missing locale would.
        for (std::size_t c = 0; c < m_table.size(); ++c) {
            wchar_t unit = static_cast<wchar_t>(c);
            wchar_t lowered = unit;
            bool surrogate = c >= 0xD800 && c <= 0xDFFF;
            if (!surrogate &&
                LCMapStringEx(L"cs-CZ", LCMAP_LOWERCASE, &unit, 1, &lowered, 1, nullptr, nullptr, 0) != 1)
                lowered = static_cast<wchar_t>(towlower(unit));
            m_table[c] = static_cast<char16_t>(lowered);
        }
#else
        locale_t loc = newlocale(LC_ALL_MASK, "cs_CZ.UTF-8", static_cast<locale_t>(nullptr));
        if (!loc) loc = newlocale(LC_ALL_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        for (std::size_t c = 0; c < m_table.size(); ++c) {
            bool surrogate = c >= 0xD800 && c <= 0xDFFF;
            wint_t lowered = surrogate ? static_cast<wint_t>(c)
                             : loc    ? towlower_l(static_cast<wint_t>(c), loc)
                                      : towlower(static_cast<wint_t>(c));
            m_table[c] = lowered <= 0xFFFF ? static_cast<char16_t>(lowered) : static_cast<char16_t>(c);
        }
        if (loc) freelocale(loc);
#endif
    }

    char16_t Lower(char16_t c) const { return m_table[c]; }

private:
    std::vector<char16_t> m_table;
};

const LowerCaseTable& Table()
{
    static const LowerCaseTable table;
    return table;
}

} // namespace

std::string CutUtf8(const std::string& text, std::size_t maxCharacters)
{
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned char byte = static_cast<unsigned char>(text[i]);
        bool continuation = (byte & 0xC0) == 0x80;
        if (!continuation) {
            if (characters == maxCharacters) return text.substr(0, i);
            ++characters;
        }
    }
    return text;
}

CWexException::CWexException(const char* message, int line, const char* source)
    : m_text(FormatText("%s, Line %i, \n%s", message ? message : "", line, source ? source : ""))
{
}

CWexException::CWexException(const char* message, int errorCode, int line, const char* source)
    : m_text(FormatText("%s, Err: %i, Line %i, \n%s", message ? message : "", errorCode, line,
                        source ? source : ""))
{
}

void ShowException(const std::exception& e) noexcept
{
    try {
        const char* text = e.what();
        if (!text || !*text) return;
        GetWindowServices().ShowMessage(Utf8ToUtf16(text), u"Program vyvolal výjimku",
                                        MessageIcon::Information, MessageButtons::Ok,
                                        MessageOwner::None);
    } catch (...) {
        // Showing a failure must never become a failure of its own.
    }
}

void CopyToBuffer(char16_t* dest, std::size_t capacity, const char16_t* source)
{
    int error = 0;
    if (!dest || !source || capacity == 0) {
        error = EINVAL;
    } else {
        std::size_t length = std::char_traits<char16_t>::length(source);
        if (length + 1 > capacity) {
            error = ERANGE;
        } else {
            std::char_traits<char16_t>::copy(dest, source, length + 1);
            return;
        }
    }
    if (dest && capacity > 0) dest[0] = 0;
    throw CWexException("Nepodařilo se zkopírovat C type řetězec - chyba: ", error, 679, kSource);
}

void CopyToBuffer(char16_t* dest, std::size_t capacity, const std::u16string& source)
{
    CopyToBuffer(dest, capacity, source.c_str());
}

char16_t LowerCodeUnit(char16_t c)
{
    return Table().Lower(c);
}

void AppendNameSortKey(std::u16string& keys, std::u16string_view name)
{
    const LowerCaseTable& table = Table();
    for (char16_t unit : name) keys.push_back(table.Lower(unit));
}

int CompareNamesIgnoringCase(const std::u16string& a, const std::u16string& b)
{
    const LowerCaseTable& table = Table();
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        char16_t la = table.Lower(a[i]);
        char16_t lb = table.Lower(b[i]);
        if (la != lb) return la < lb ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

int CompareMaterialNames(const CWexMaterial* a, const CWexMaterial* b, std::intptr_t)
{
    return CompareNamesIgnoringCase(a->m_strName, b->m_strName);
}

std::string LocalTimeText(std::time_t time, const char* format)
{
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &time);
#else
    localtime_r(&time, &local);
#endif
    char text[64];
    const std::size_t length = std::strftime(text, sizeof text, format, &local);
    return std::string(text, length);
}
