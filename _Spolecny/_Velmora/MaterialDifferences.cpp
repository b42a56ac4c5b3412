#include "MaterialDifferences.h"

#include "CWexMaterial.h"
#include "PipeTables.h"

#include <charconv>
#include <set>

namespace {

const char16_t kArrow[] = u" → ";

std::u16string Number(double value)
{
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(value));
    return std::u16string(buffer, result.ptr);
}

std::u16string Quoted(const std::u16string& text) { return u"„" + text + u"“"; }

std::u16string Flags(std::uint32_t flags, std::initializer_list<std::pair<std::uint32_t, const char16_t*>> names)
{
    std::u16string text;
    for (const auto& [bit, name] : names)
        if (flags & bit) text += (text.empty() ? u"" : u", ") + std::u16string(name);
    return text.empty() ? u"žádné" : text;
}

std::u16string Groups(std::uint32_t flags)
{
    return Flags(flags, {{GroupBuildingServices, u"ZTI"}, {GroupUtilityNetworks, u"Inženýrské sítě"}});
}

std::u16string Purposes(std::uint32_t flags)
{
    return Flags(flags, {{PurposeSewer, u"Kanalizace"},
                         {PurposePressureSewer, u"Kan. tlaková"},
                         {PurposeWater, u"Voda"},
                         {PurposeGas, u"Plyn"},
                         {PurposeHeating, u"Teplovody/UT"}});
}

std::u16string Shape(std::uint32_t code)
{
    static const char16_t* const kShapes[] = {u"Kruh", u"Vejce", u"Vejce - Praha", u"Tlama", u"Obdélník"};
    return IsValidShape(code) ? kShapes[code] : u"kód " + Number(code);
}

std::u16string Description(const CWexMaterial& m)
{
    switch (m.m_nDescMode) {
    case DescByDn:
        return u"DN";
    case DescOuterXWall:
        return u"D x t";
    case DescUserDefined:
        return u"Jiný: " + Quoted(m.m_szPrefix) + u" + " + (m.m_bInnerDiameter ? u"vnitřní" : u"vnější") +
               u" průměr + " + Quoted(m.m_szSuffix);
    }
    return u"režim " + Number(m.m_nDescMode);
}

void Compare(std::vector<std::u16string>& lines, const char16_t* field, const std::u16string& old,
             const std::u16string& incoming)
{
    if (old != incoming) lines.push_back(std::u16string(field) + u": " + old + kArrow + incoming);
}

} // namespace

std::vector<std::u16string> DescribeDifferences(const CWexMaterial& main, const CWexMaterial& in)
{
    std::vector<std::u16string> lines;
    Compare(lines, u"Popis", Quoted(main.m_strDrawingName), Quoted(in.m_strDrawingName));
    Compare(lines, u"Podrobný popis", Quoted(main.m_strDetail), Quoted(in.m_strDetail));
    Compare(lines, u"Výrobce", Quoted(main.m_strManufacturer), Quoted(in.m_strManufacturer));
    Compare(lines, u"Skupina", Groups(main.m_nGroup), Groups(in.m_nGroup));
    Compare(lines, u"Použití", Purposes(main.m_nPurposes), Purposes(in.m_nPurposes));
    Compare(lines, u"Tl. třída", PnLabel(main.m_nPN), PnLabel(in.m_nPN));
    Compare(lines, u"SDr", SdrLabel(main.m_nSDR), SdrLabel(in.m_nSDR));
    Compare(lines, u"Drsnost [mm]", Number(main.m_fRoughness), Number(in.m_fRoughness));
    Compare(lines, u"Formát popisu", Description(main), Description(in));
    Compare(lines, u"Tvar", Shape(main.m_nShape), Shape(in.m_nShape));

    std::set<std::int32_t> dns;
    for (const auto& [dn, profile] : main.m_profiles) dns.insert(dn);
    for (const auto& [dn, profile] : in.m_profiles) dns.insert(dn);
    std::u16string onlyIncoming;
    std::u16string onlyMain;
    for (std::int32_t dn : dns) {
        const std::u16string label = DnLabel(dn);
        auto a = main.m_profiles.find(dn);
        auto b = in.m_profiles.find(dn);
        if (a == main.m_profiles.end() || b == in.m_profiles.end()) {
            std::u16string& list = a == main.m_profiles.end() ? onlyIncoming : onlyMain;
            list += (list.empty() ? u"" : u", ") + label;
            continue;
        }
        const CWexProfil& p = *a->second;
        const CWexProfil& q = *b->second;
        std::vector<std::u16string> parts;
        auto part = [&](const char16_t* name, const std::u16string& old, const std::u16string& incoming) {
            if (old != incoming) parts.push_back(std::u16string(name) + u" " + old + kArrow + incoming);
        };
        part(u"ID", Number(p.m_fInnerDiameter), Number(q.m_fInnerDiameter));
        part(u"stěna", Number(p.m_fWall), Number(q.m_fWall));
        part(u"šířka", Number(p.m_nWidth), Number(q.m_nWidth));
        part(u"kód URS materiál", Quoted(p.UrsMaterial()), Quoted(q.UrsMaterial()));
        part(u"kód URS montáž", Quoted(p.UrsAssembly()), Quoted(q.UrsAssembly()));
        if (parts.empty()) continue;
        std::u16string line = label + u": ";
        for (std::size_t i = 0; i < parts.size(); ++i) line += (i ? u", " : u"") + parts[i];
        // Whatever the answer, a size both have keeps the main list's values.
        lines.push_back(line + u" (zůstane podle obecného seznamu)");
    }
    if (!onlyIncoming.empty()) lines.push_back(u"Profily jen v projektu (budou přidány): " + onlyIncoming);
    if (!onlyMain.empty()) lines.push_back(u"Profily jen v obecném seznamu: " + onlyMain);
    return lines;
}

std::u16string DifferencesText(const CWexMaterial& mainList, const CWexMaterial& incoming)
{
    const std::vector<std::u16string> lines = DescribeDifferences(mainList, incoming);
    if (lines.empty()) return {};
    std::u16string text = u"Obecný seznam → projekt:";
    for (const std::u16string& line : lines) text += u"\n" + line;
    return text;
}
