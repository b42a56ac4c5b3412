#include "DimensionChecks.h"

#include "JsonText.h"
#include "NameFolding.h"

#include "CWexSezMaterialu.h"
#include "PipeTables.h"
#include "TextConvert.h"

#include <algorithm>
#include <cmath>

namespace {

// A stated outer diameter and inner diameter + 2 x wall may differ by what 32-bit floats lose
// on sizes up to a few metres.
constexpr float kSameLength = 0.001f;
// The SDR of the table is the rounded value of its series (SDr 17 stands for 16.9, SDr 7.4 for
// 7.32), and the standards round walls up to 0.1 mm.
constexpr double kSeriesRounding = 1.02;
constexpr double kWallStep = 0.1;
// The standards give small pipes a minimum wall thicker than their series' (20 x 2.0 in
// SDR 11, 20 x 3.0 in SDR 7.4); a wall up to this is never too thick for its series.
constexpr double kMinimumWall = 3.0;
// An inner diameter beyond this factor of the nominal size is a slip of a digit.
constexpr double kFarFromDn = 3.0;

std::string Name(const CWexMaterial& m) { return "material \"" + Utf16ToUtf8(m.m_strName) + "\""; }
std::string Dn(int dn) { return Utf16ToUtf8(g_dnTable[dn].label); }
std::string Mm(double value) { return FormatFixed(value, 2); }

struct Family {
    const char16_t* tag[2]; // as the name or the detail writes it, folded
    const char* name;
    double mrs;             // minimum required strength, MPa
};

// Pressure pipes whose pressure class follows from their SDR: PN = 20 x MRS / C / (SDR - 1)
// bar, with the design coefficient C 1.25 for water (2.5 for PVC) and 2.0 for gas.
constexpr Family kFamilies[] = {
    {{u"pe100", u"pe 100"}, "PE 100", 10.0},
    {{u"pe80", u"pe 80"}, "PE 80", 8.0},
    {{u"pvc", u"pvc"}, "PVC", 25.0},
};

const Family* FamilyOf(const CWexMaterial& m)
{
    for (const std::u16string& text : {FoldName(m.m_strName), FoldName(m.m_strDetail)})
        for (const Family& family : kFamilies)
            for (const char16_t* tag : family.tag)
                if (text.find(tag) != std::u16string::npos) return &family;
    return nullptr;
}

void CheckPressureClass(const CWexMaterial& m, std::vector<std::string>& out)
{
    if (!IsValidPn(m.m_nPN) || m.m_nPN == 0 || !IsValidSdr(m.m_nSDR) || m.m_nSDR == 0) return;
    const Family* family = FamilyOf(m);
    if (!family) return;
    const bool gas = m.m_nPurposes == PurposeGas;
    const double coefficient = family->mrs > 20 ? 2.5 : gas ? 2.0 : 1.25;
    const double sdr = g_sdrTable[m.m_nSDR].value;
    const double pressure = 20.0 * family->mrs / coefficient / (sdr - 1.0);
    // The class of the series: the highest of the table that the pressure reaches (with the
    // rounding of the series).
    int expected = 0;
    for (int i = 1; i < kPnCount; ++i)
        if (g_pnTable[i].value <= pressure * 1.05) expected = i;
    if (expected == m.m_nPN) return;
    out.push_back(Name(m) + ": " + Utf16ToUtf8(PnLabel(m.m_nPN)) + " contradicts " + Utf16ToUtf8(SdrLabel(m.m_nSDR)) +
                  " for " + family->name + (gas ? " in gas" : "") + ", which gives " + Mm(pressure) + " bar (" +
                  (expected ? Utf16ToUtf8(PnLabel(expected)) : std::string("below PN 6")) + ")");
}

void CheckProfiles(const CWexMaterial& m, const StatedOuterDiameters& stated, std::vector<std::string>& out)
{
    const bool circle = m.m_nShape == ShapeCircle;
    const double sdr = IsValidSdr(m.m_nSDR) ? g_sdrTable[m.m_nSDR].value : 0.0;
    for (const auto& [dn, profile] : m.m_profiles) {
        if (!IsValidDn(dn)) continue; // reported as outside the table
        const CWexProfil& p = *profile;
        const float od = p.OuterDiameter();
        const std::string at = Name(m) + ", " + Dn(dn) + ": ";

        if (auto it = stated.find({m.m_strName, dn}); it != stated.end() && std::fabs(it->second - od) > kSameLength)
            out.push_back(at + "inner diameter " + FloatText(p.m_fInnerDiameter) + " is not the outer diameter " +
                          FloatText(it->second) + " minus twice the wall " + FloatText(p.m_fWall) + " (that is " +
                          FloatText(od) + ")");

        if (circle && sdr > 0 && p.m_fWall > 0) {
            const double low = od / (sdr * kSeriesRounding);
            const double high = std::ceil(od * kSeriesRounding / sdr / kWallStep - 1e-6) * kWallStep;
            if (p.m_fWall < low - kWallStep / 2 || p.m_fWall > std::max(high, kMinimumWall) + 1e-4)
                out.push_back(at + "wall " + FloatText(p.m_fWall) + " does not match " +
                              Utf16ToUtf8(SdrLabel(m.m_nSDR)) + " (outer diameter " + FloatText(od) + " / " +
                              FloatText(static_cast<float>(sdr)) + " = " + Mm(od / sdr) + ")");
        }

        const double nominal = g_dnTable[dn].nominalSize;
        if (p.m_fInnerDiameter > nominal * kFarFromDn || p.m_fInnerDiameter < nominal / kFarFromDn)
            out.push_back(at + "inner diameter " + FloatText(p.m_fInnerDiameter) + " is far from the nominal size " +
                          FloatText(static_cast<float>(nominal)) + " (a slip of a digit?)");
    }

    // Each size has price-list items of its own.
    const std::pair<const char*, std::u16string (CWexProfil::*)() const> codes[] = {
        {"Kód URS materiál", &CWexProfil::UrsMaterial}, {"Kód URS montáž", &CWexProfil::UrsAssembly}};
    for (const auto& [field, get] : codes) {
        std::map<std::u16string, std::vector<int>> sizes;
        for (const auto& [dn, profile] : m.m_profiles) {
            std::u16string code = ((*profile).*get)();
            if (!code.empty()) sizes[code].push_back(dn);
        }
        for (const auto& [code, dns] : sizes) {
            if (dns.size() < 2) continue;
            std::string list;
            for (int dn : dns) list += (list.empty() ? "" : ", ") + (IsValidDn(dn) ? Dn(dn) : std::to_string(dn));
            out.push_back(Name(m) + ": " + list + " have the same " + field + " \"" + Utf16ToUtf8(code) + "\"");
        }
    }
}

} // namespace

std::vector<std::string> CheckDimensions(const CWexSezMaterialu& catalog, const StatedOuterDiameters& stated)
{
    std::vector<std::string> out;
    std::map<std::u16string, std::vector<const CWexMaterial*>> folded;
    for (const auto& [name, material] : catalog.m_materials) {
        CheckPressureClass(*material, out);
        CheckProfiles(*material, stated, out);
        folded[FoldName(name)].push_back(material.get());
    }
    for (const auto& [key, materials] : folded) {
        if (materials.size() < 2) continue;
        std::string list;
        for (const CWexMaterial* m : materials) list += (list.empty() ? "" : ", ") + ("\"" + Utf16ToUtf8(m->m_strName) + "\"");
        out.push_back("materials " + list + " differ only in case or accents");
    }
    return out;
}
