#pragma once
// Reader of registry export files ("Windows Registry Editor Version 5.00", as regedit writes
// them): the settings store that stands in for the registry where there is none. The reader
// turns every value into the registry's own form, a type code and raw data bytes, so that the
// rules about value types and sizes are applied exactly as for the real registry.
//
// Accepted: UTF-8 (with or without BOM) and UTF-16 with BOM; CRLF, LF or CR line ends;
// comment lines beginning with ';'; sections "[ROOT\Key\Path]" (HKEY_LOCAL_MACHINE or HKLM,
// HKEY_CURRENT_USER or HKCU, ...); values "Name"="text" (escapes \\ and \"), @=... for the
// default value, dword:XXXXXXXX, hex:..., hex(N):... with continuation lines ending in '\'.
// A line that does not parse is skipped; nothing in a malformed file makes the reader fail.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace regfile {

// Value type codes, as the registry numbers them.
enum : std::uint32_t {
    kTypeNone = 0,
    kTypeString = 1,       // REG_SZ
    kTypeExpandString = 2, // REG_EXPAND_SZ
    kTypeBinary = 3,       // REG_BINARY
    kTypeDword = 4,        // REG_DWORD
};

struct Value {
    std::uint32_t type = kTypeNone;
    std::vector<std::uint8_t> data; // exactly the bytes the registry would hold
};

class Document {
public:
    // Parses a whole file. A file without the header line holds no values.
    static Document Parse(std::string_view fileBytes);

    // The value `valueName` (empty for the default value) of the key `keyPath`, which starts
    // with its root ("HKEY_CURRENT_USER\Software\Brevanti"; a trailing backslash is allowed).
    // Key and value names compare without regard to case. Null when absent.
    const Value* Find(std::u16string_view keyPath, std::u16string_view valueName) const;

    bool HasHeader() const { return m_hasHeader; }

private:
    using ValueMap = std::map<std::u16string, Value>;
    std::map<std::u16string, ValueMap> m_keys; // normalised key path -> lowered value name -> value
    bool m_hasHeader = false;

    friend class Parser;
};

// The normalised form under which a key is stored: roots spelled out in full, no leading or
// trailing backslashes, every character lowered.
std::u16string NormalizeKeyPath(std::u16string_view keyPath);

} // namespace regfile
