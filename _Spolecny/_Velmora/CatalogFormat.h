#pragma once
// The bytes of a catalog file (the user catalog, the standard catalog, any "*.ptq" file, and
// the material section of a host's project archive).
//
// THESE NUMBERS ARE ON DISK AND NEVER CHANGE. Files written by every earlier version of the
// program must keep reading, and files written now must read in every later version.
//
// A catalog file is a plain sequence of little-endian values: no header, no magic, no padding.
//
//   primitive     bytes  encoding
//   byte            1    unsigned
//   bool byte       1    written 1/0, read as true when not 0
//   int16           2    two's complement; read values are sign-extended to 32 bits
//   uint16          2    written from the low 16 bits of a 32-bit field
//   int32           4    two's complement
//   uint64          8
//   float32         4    IEEE 754 single precision
//
//   archive string  FF FE FF  (marks UTF-16; the 8-bit form has no mark)
//                   length L in UTF-16 units: L < 0xFF            one byte
//                                             L < 0xFFFE          FF, uint16
//                                             L < 0xFFFFFFFF      FF, FF FF, uint32
//                                             otherwise           FF, FF FF, FF FF FF FF, uint64
//                   then L units, UTF-16LE, no terminator.   Empty string: FF FE FF 00
//   text field (n)  terminated form: the units, then a 0 unit (at most n units before it)
//                   fixed form (old versions, read only): exactly n + 1 units
//   end mark        FF in the place of the next record's version byte
//
//   catalog record    version(byte) [count(uint64): v0,1] materials... [FF: v2,3]
//                     [three 4-byte values, ignored: v0,1,2]
//   material record   version(byte)
//                     v0-2: DN flag(byte)   v3-6: mode(byte) inner-diameter(bool) prefix(4) suffix(4)
//                     name, detail, manufacturer (archive strings), roughness(float32),
//                     purposes, group, PN, SDR (int16 each), [shape(byte): v5,6]
//                     [profile count(uint64): v0,1] profiles... [FF: v2-6] [drawing name: v6]
//   profile record    version(byte) DN(int16) inner(float32) wall(float32)
//                     [obsolete 4 bytes: v0-6] [width(int32): v5-7] material code(10)
//                     [assembly code(10), terminated: v5-7] [label: v0-5]
//
// Example: one material "PVC" (version 5) with one profile DN 100 is these 60 bytes:
//   03
//   05 00 00 00 00 00 00 FF FE FF 03 50 00 56 00 43 00 FF FE FF 00 FF FE FF 00
//   0A D7 23 3C 01 00 02 00 00 00 00 00 00
//   07 0B 00 00 00 C8 42 00 00 40 40 00 00 00 00 00 00 00 00
//   FF
//   FF

#include <cstddef>
#include <cstdint>

namespace catalog_format {

inline constexpr std::size_t kArchiveBufferSize = 4096;

inline constexpr std::uint8_t kEndMark = 0xFF;

// Archive string length prefixes.
inline constexpr std::uint8_t kStringByteEscape = 0xFF;       // the length does not fit one byte
inline constexpr std::uint16_t kStringUtf16Mark = 0xFFFE;     // after FF: the text is UTF-16
inline constexpr std::uint16_t kStringWordEscape = 0xFFFF;    // the length does not fit a uint16
inline constexpr std::uint32_t kStringDwordEscape = 0xFFFFFFFF; // the length is a uint64

// Text field limits n (the field in memory has n + 1 units).
inline constexpr std::size_t kAffixLimit = 4;      // material prefix and suffix
inline constexpr std::size_t kCodeLimit = 10;      // profile price-list codes
inline constexpr std::size_t kLabelLimit = 14;     // profile label, versions 2 to 5
inline constexpr std::size_t kOldLabelLimit = 10;  // profile label, versions 0 and 1

enum class TextForm { None, Fixed, Terminated };

// Newest versions this program reads; the writer writes these (materials: see below).
inline constexpr int kCatalogVersion = 3;
inline constexpr int kMaterialVersion = 6;
inline constexpr int kProfileVersion = 7;
// Material version 5 has the layout of 6 without the drawing name; the writer can be told
// to write it for readers that stop at 5.
inline constexpr int kMaterialVersionWithoutDrawingName = 5;

// Which field exists in which version: the one place that says so.

struct CatalogLayout {
    bool hasCount;    // v0,1: material count before the materials
    bool hasEndMark;  // v2,3: FF after the last material
    bool hasTrailer;  // v0,1,2: three 4-byte values at the end
};

constexpr CatalogLayout CatalogLayoutOf(int version)
{
    return {version <= 1, version >= 2, version <= 2};
}

struct MaterialLayout {
    bool hasDnFlag;         // v0-2: one byte, not 0 = described by DN, 0 = D x t
    bool hasDescription;    // v3-6: mode, inner-diameter choice, prefix, suffix
    TextForm affixForm;     // v3: fixed, v4-6: terminated
    bool hasShape;          // v5,6
    bool hasCount;          // v0,1: profile count before the profiles
    bool hasEndMark;        // v2-6: FF after the last profile
    bool hasDrawingName;    // v6
};

constexpr MaterialLayout MaterialLayoutOf(int version)
{
    return {
        version <= 2,
        version >= 3,
        version < 3 ? TextForm::None : version == 3 ? TextForm::Fixed : TextForm::Terminated,
        version >= 5,
        version <= 1,
        version >= 2,
        version >= 6,
    };
}

struct ProfileLayout {
    bool shiftsOldDn;       // v0-2: the DN table had no "DN 225"
    bool hasObsolete;       // v0-6: 4 bytes skipped
    bool hasWidth;          // v5-7
    TextForm codeForm;      // material code: v0-3 fixed, v4-7 terminated
    bool hasAssemblyCode;   // v5-7, terminated
    TextForm labelForm;     // v0-3 fixed, v4,5 terminated, v6,7 none
    std::size_t labelLimit; // v0,1: 10, v2-5: 14
};

constexpr ProfileLayout ProfileLayoutOf(int version)
{
    return {
        version <= 2,
        version <= 6,
        version >= 5,
        version <= 3 ? TextForm::Fixed : TextForm::Terminated,
        version >= 5,
        version <= 3 ? TextForm::Fixed : version <= 5 ? TextForm::Terminated : TextForm::None,
        version <= 1 ? kOldLabelLimit : kLabelLimit,
    };
}

// Old DN indexes: tables before profile version 3 lacked "DN 225" (index 15), so a stored
// index of 15 or more is one row further down in today's table.
inline constexpr std::int32_t kFirstShiftedDn = 15;

} // namespace catalog_format
