#pragma once
// The fixed tables of the catalog: DN sizes, pressure classes and SDR series, with the
// group and purpose flags, description modes and shape codes.
//
// Catalog files, combo boxes and records store ROW INDEXES into these tables, so the
// order and the number of rows are part of the file format and never change.

#include <cstdint>

struct DnRow {
    const char16_t* label;  // "DN 100"
    float nominalSize;      // millimetres
    std::int32_t outerDiameter; // default outer diameter of a new size, millimetres
};

struct PnRow {
    const char16_t* label;  // "PN 10"
    std::int32_t value;     // bar
};

struct SdrRow {
    const char16_t* label;  // "SDr 11"
    float value;            // outer diameter / wall
};

inline constexpr int kDnCount = 28;
inline constexpr int kPnCount = 7;
inline constexpr int kSdrCount = 8;
inline constexpr int kShapeCount = 5;

extern const DnRow g_dnTable[kDnCount];
extern const PnRow g_pnTable[kPnCount];
extern const SdrRow g_sdrTable[kSdrCount];

constexpr bool IsValidDn(std::int32_t index) { return index >= 0 && index < kDnCount; }
constexpr bool IsValidPn(std::int32_t index) { return index >= 0 && index < kPnCount; }
constexpr bool IsValidSdr(std::int32_t index) { return index >= 0 && index < kSdrCount; }
constexpr bool IsValidShape(std::uint32_t code) { return code < kShapeCount; }

// The label of a DN row; "DN ?" for an index outside the table (a damaged file).
const char16_t* DnLabel(std::int32_t index);
// "---" for an index outside the table.
const char16_t* PnLabel(std::int32_t index);
const char16_t* SdrLabel(std::int32_t index);

// Group flags: where a material may be used.
enum GroupFlag : std::uint32_t {
    GroupBuildingServices = 1, // "ZTI"
    GroupUtilityNetworks = 2,  // "Inženýrské sítě"
    GroupAll = 3,
};

// Purpose flags: what a material may carry.
enum PurposeFlag : std::uint32_t {
    PurposeSewer = 1,          // "Kanalizace"
    PurposePressureSewer = 2,  // "Kan. tlaková"
    PurposeWater = 4,          // "Voda"
    PurposeGas = 8,            // "Plyn"
    PurposeHeating = 16,       // "Teplovody/UT"
    PurposeAll = 31,
};

// How the profiles of a material are labelled.
enum DescMode : std::int32_t {
    DescByDn = 0,           // "DN 100"
    DescOuterXWall = 1,     // "110x6.6"
    DescUserDefined = 2,    // prefix, a diameter, suffix
};

// Cross-section shapes; every shape but the circle has a height and a width.
enum ShapeCode : std::uint32_t {
    ShapeCircle = 0,        // "Kruh"
    ShapeEggVienna = 1,     // "Vejce"
    ShapeEggPrague = 2,     // "Vejce - Praha"
    ShapeMouth = 3,         // "Tlama"
    ShapeRectangle = 4,     // "Obdélník"
};
