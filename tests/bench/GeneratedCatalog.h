#pragma once
// Catalogs made up for the benchmarks: n materials with 28 profiles each (every DN of the
// table), as a large company catalog would look. Names are in mixed case with Czech letters,
// so the list's case-insensitive order differs from the catalog's own code-unit order; groups
// and purposes are spread, so a purpose filter shows a part of the list; all three description
// modes occur.

#include "CWexSezMaterialu.h"
#include "PipeTables.h"
#include "TextConvert.h"

#include <cstdint>
#include <memory>
#include <string>

namespace bench {

inline constexpr int kProfilesPerMaterial = kDnCount;

// A unique name of at most 20 characters for material number `i`.
inline std::u16string GeneratedName(int i)
{
    static const char16_t* const kStems[] = {u"PE 100", u"pvc-u", u"Litina", u"ocel", u"Kamenina",
                                             u"čedič", u"Šedá lit.", u"PP", u"sklolaminát", u"Beton"};
    // A scrambled number keeps neighbours in the file apart in the list.
    const std::uint32_t scrambled = (static_cast<std::uint32_t>(i) * 2654435761u) % 1000000u;
    return std::u16string(kStems[i % 10]) + u" " + Utf8ToUtf16(std::to_string(scrambled)) + u"/" +
           Utf8ToUtf16(std::to_string(i % 97));
}

inline std::unique_ptr<CWexMaterial> GeneratedMaterial(CWexSezMaterialu& catalog, int i, int profiles)
{
    static const std::uint32_t kPurposes[] = {PurposeSewer, PurposeWater | PurposeGas, PurposeAll,
                                              PurposeHeating, PurposePressureSewer | PurposeSewer};
    auto m = std::make_unique<CWexMaterial>(&catalog, GeneratedName(i),
                                            MaterialFilter{static_cast<std::uint32_t>(i % 3 + 1), kPurposes[i % 5]});
    m->m_strDetail = u"Trubka hrdlová, podrobný popis materiálu č. " + Utf8ToUtf16(std::to_string(i));
    m->m_strManufacturer = u"Výrobce potrubí a.s.";
    m->m_strDrawingName = u"Potrubí";
    m->m_nPN = i % kPnCount;
    m->m_nSDR = i % kSdrCount;
    m->m_nDescMode = i % 3;
    if (m->m_nDescMode == DescUserDefined) {
        std::u16string(u"Ø").copy(m->m_szPrefix, 1);
        std::u16string(u" mm").copy(m->m_szSuffix, 3);
    }
    if (profiles > 0) m->GenerateProfiles(0, profiles - 1);
    for (auto& [dn, profile] : m->m_profiles) {
        profile->SetUrsMaterial(u"801-" + Utf8ToUtf16(std::to_string(100 + dn)));
        if (dn % 2) profile->SetUrsAssembly(u"827-" + Utf8ToUtf16(std::to_string(i % 1000)));
        profile->m_nWidth = dn;
    }
    return m;
}

// Adds `materials` generated materials to `catalog` and marks it saved.
inline void FillGeneratedCatalog(CWexSezMaterialu& catalog, int materials, int profiles = kProfilesPerMaterial)
{
    for (int i = 0; i < materials; ++i) catalog.Insert(GeneratedMaterial(catalog, i, profiles));
    catalog.m_bSaved = true;
}

} // namespace bench
