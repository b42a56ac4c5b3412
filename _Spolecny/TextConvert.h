#pragma once
// Conversions at the edges of the catalog library: UTF-8 <-> UTF-16 and numbers <-> text.
// Nothing here depends on the process locale, so a Czech desktop still writes "3.20".

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// UTF-8 to UTF-16; malformed sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// "%.<precision>f" of printf, always with a point as the decimal separator.
std::string FormatFixed(double value, int precision);
std::u16string FormatFixed16(double value, int precision);
// The same into a caller's buffer, allocating nothing: the text, empty when it does not fit.
// kFixedTextUnits characters hold every double with a precision up to 15.
inline constexpr std::size_t kFixedTextUnits = 400;
std::string_view FormatFixedTo(std::span<char> buffer, double value, int precision);

// The leading number of a text as the C library's atof reads it (blanks skipped, optional
// sign, point as decimal separator); nullopt when the text does not begin with a number.
std::optional<double> ParseLeadingNumber(std::u16string_view text);
