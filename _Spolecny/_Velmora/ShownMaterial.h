#pragma once
// The material as the dialogs' controls show and exchange it, and the list filter.

#include <cstdint>
#include <string>

// {group flags, purpose flags}; a material passes when it shares a bit with both.
struct MaterialFilter {
    std::uint32_t group = 3;
    std::uint32_t purposes = 31;

    bool Passes(std::uint32_t materialGroup, std::uint32_t materialPurposes) const
    {
        return (materialGroup & group) != 0 && (materialPurposes & purposes) != 0;
    }
    bool operator==(const MaterialFilter&) const = default;
};

// Roughness value meaning "read the roughness from the text instead".
inline constexpr double kRoughnessFromText = -1000.0;

struct ShownMaterial {
    std::u16string name;          // edit 11084 "Název:"
    std::u16string manufacturer;  // edit 11070 "Výrobce:"
    std::u16string detail;        // edit 11051 "Podrobný popis:"
    std::int32_t pnIndex = -1;    // combo 11073
    std::int32_t sdrIndex = -1;   // combo 11074
    double roughnessValue = kRoughnessFromText;
    std::u16string roughness;     // edit 11075 "Drsnost [mm]:"
    MaterialFilter filter;        // group and purpose check boxes
    std::int32_t descMode = 1;    // radios 11010..11012
    std::int32_t shape = -1;      // radios 11035..11039; -1 = none checked
    std::u16string prefix;
    std::u16string suffix;
    std::int32_t diameterKind = 0; // 1 = a user-defined description shows the inner diameter
    std::u16string popis;         // edit 11086 "Popis:" (the drawing name)
};
