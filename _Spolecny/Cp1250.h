#pragma once
// Windows-1250 (the ANSI code page of Czech Windows) to UTF-16, for archive strings in the
// old 8-bit form. Independent of the system it runs on, so a file reads the same everywhere.

#include <cstddef>
#include <cstdint>
#include <string>

// The five bytes that Windows-1250 leaves undefined (0x81, 0x83, 0x88, 0x90, 0x98) become
// U+FFFD, the replacement character: visible in a name, never an invisible control code.
inline constexpr char16_t kCp1250Undefined = 0xFFFD;

char16_t Cp1250ToUtf16(std::uint8_t byte);
std::u16string Cp1250ToUtf16(const std::uint8_t* bytes, std::size_t count);
