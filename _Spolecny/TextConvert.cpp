#include "TextConvert.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <cmath>
#include <cstdint>
#include <system_error>

namespace {

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

void AppendUtf16(std::u16string& out, char32_t cp)
{
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

bool IsBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f';
}

} // namespace

std::u16string Utf8ToUtf16(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        int extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
        if (extra < 0 || i + static_cast<std::size_t>(extra) >= text.size()) {
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        char32_t cp = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            unsigned char c = static_cast<unsigned char>(text[i + k]);
            if ((c & 0xC0) != 0x80) { ok = false; break; }
            cp = (cp << 6) | (c & 0x3F);
        }
        static const char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        if (!ok || cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        AppendUtf16(out, cp);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        AppendUtf8(out, c);
    }
    return out;
}

namespace {

// printf's digits for the common case without the general algorithm: a value that is a float
// (as every stored length is), times 10^precision up to 10^6, is exact in a double, so
// rounding that product half to even is the rounding printf makes. Empty for any other value.
std::string_view FormatScaledInteger(std::span<char> buffer, double value, int precision)
{
    static constexpr double kPowers[] = {1, 10, 100, 1000, 10000, 100000, 1000000};
    if (precision < 0 || precision >= static_cast<int>(std::size(kPowers))) return {};
    // Within 2^53 first: a float conversion out of range would be undefined.
    if (!(std::fabs(value) < 9007199254740992.0) || static_cast<double>(static_cast<float>(value)) != value) return {};
    const double scale = kPowers[precision];
    const double scaled = std::fabs(value) * scale;
    if (!(scaled < 9007199254740992.0)) return {};
    auto digits = static_cast<std::uint64_t>(scaled);
    const double rest = scaled - static_cast<double>(digits);
    if (rest > 0.5 || (rest == 0.5 && digits % 2 != 0)) ++digits;
    const auto unit = static_cast<std::uint64_t>(scale);

    char text[32];
    char* end = text;
    if (std::signbit(value)) *end++ = '-';
    end = std::to_chars(end, text + sizeof text, digits / unit).ptr;
    if (precision > 0) {
        *end++ = '.';
        char fraction[8];
        char* fractionEnd = std::to_chars(fraction, fraction + sizeof fraction, digits % unit).ptr;
        const auto written = static_cast<int>(fractionEnd - fraction);
        for (int i = written; i < precision; ++i) *end++ = '0';
        for (char* c = fraction; c != fractionEnd; ++c) *end++ = *c;
    }
    const auto length = static_cast<std::size_t>(end - text);
    if (length > buffer.size()) return {};
    std::copy(text, end, buffer.data());
    return std::string_view(buffer.data(), length);
}

} // namespace

std::string_view FormatFixedTo(std::span<char> buffer, double value, int precision)
{
    if (std::isnan(value)) return std::signbit(value) ? "-nan" : "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    if (std::string_view fast = FormatScaledInteger(buffer, value, precision); !fast.empty()) return fast;
    auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, precision);
    if (result.ec != std::errc()) return {};
    return std::string_view(buffer.data(), static_cast<std::size_t>(result.ptr - buffer.data()));
}

std::string FormatFixed(double value, int precision)
{
    char buffer[kFixedTextUnits];
    return std::string(FormatFixedTo(buffer, value, precision));
}

std::u16string FormatFixed16(double value, int precision)
{
    std::string narrow = FormatFixed(value, precision);
    return std::u16string(narrow.begin(), narrow.end());
}

std::optional<double> ParseLeadingNumber(std::u16string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    std::string narrow;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-') narrow.push_back('-');
        ++i;
    }
    // Only the characters a decimal number can hold; from_chars decides how many of them count.
    for (; i < text.size() && narrow.size() < 512; ++i) {
        char16_t c = text[i];
        bool allowed = (c >= u'0' && c <= u'9') || c == u'.' || c == u'e' || c == u'E' || c == u'+' || c == u'-';
        if (!allowed) break;
        narrow.push_back(static_cast<char>(c));
    }
    double value = 0;
    auto result = std::from_chars(narrow.data(), narrow.data() + narrow.size(), value, std::chars_format::general);
    if (result.ptr == narrow.data()) return std::nullopt;
    if (result.ec == std::errc::result_out_of_range) {
        // Too large or too small for a double: atof gives infinity or zero.
        bool negative = !narrow.empty() && narrow[0] == '-';
        bool tiny = narrow.find_first_of("123456789") == std::string::npos ||
                    narrow.find("e-") != std::string::npos || narrow.find("E-") != std::string::npos;
        if (tiny) return negative ? -0.0 : 0.0;
        return negative ? -HUGE_VAL : HUGE_VAL;
    }
    return value;
}
