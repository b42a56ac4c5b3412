#pragma once
// The program's exception type and the small text helpers every unit leans on.

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <exception>
#include <string>
#include <string_view>

class CWexMaterial;

// The program's exception: a finished UTF-8 message text of at most 510 characters,
// "message, Line N, \nsource" or "message, Err: E, Line N, \nsource".
class CWexException : public std::exception {
public:
    static constexpr std::size_t kMaxCharacters = 510;

    CWexException(const char* message, int line, const char* source);
    CWexException(const char* message, int errorCode, int line, const char* source);

    const char* what() const noexcept override { return m_text.c_str(); }

private:
    std::string m_text;
};

// A record written by a newer version of the program. Its own type, so that the catalog can
// tell a newer file (never to be replaced by what this version could read of it) from a
// damaged one; shown like any other CWexException.
class CWexNewerVersionError : public CWexException {
public:
    using CWexException::CWexException;
};

// Cuts a UTF-8 text after `maxCharacters` code points, never inside a character.
std::string CutUtf8(const std::string& text, std::size_t maxCharacters);

// Shows a caught exception in a message box titled "Program vyvolal výjimku".
// Shows nothing when the text is empty; never throws.
void ShowException(const std::exception& e) noexcept;

// Copies `source` with its terminator into `dest` of `capacity` code units.
// Throws CWexException (line 679) when it does not fit or a pointer is missing;
// `dest` then holds the empty text when it exists.
void CopyToBuffer(char16_t* dest, std::size_t capacity, const char16_t* source);
void CopyToBuffer(char16_t* dest, std::size_t capacity, const std::u16string& source);

// Case-insensitive order of two texts: every code unit lowered by the platform's
// Unicode case mapping (Czech locale when available), then compared as code units.
int CompareNamesIgnoringCase(const std::u16string& a, const std::u16string& b);

// The lower-case form of one UTF-16 code unit under the same mapping.
char16_t LowerCodeUnit(char16_t c);

// Appends the sort key of `name` to `keys`: its code units lowered as above, so that comparing
// two keys code unit by code unit orders the names as CompareNamesIgnoringCase does. A long
// list is sorted on keys made once instead of lowering both names at every comparison.
void AppendNameSortKey(std::u16string& keys, std::u16string_view name);

// Sort callback of the material lists: orders two materials by name as above.
// The third argument is not used.
int CompareMaterialNames(const CWexMaterial* a, const CWexMaterial* b, std::intptr_t unused);

// `time` in the local time zone as strftime's `format` writes it (at most 63 characters).
std::string LocalTimeText(std::time_t time, const char* format);
