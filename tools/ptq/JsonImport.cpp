// JSON to catalog: every value is checked before it is taken, and the first bad one stops
// the import with a message that names the material and the field.

#include "CatalogJson.h"

#include "CWexFunkce.h"
#include "CWexMaterial.h"
#include "CWexSezMaterialu.h"
#include "PipeTables.h"
#include "TextConvert.h"

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <memory>
#include <optional>
#include <string_view>

namespace {

std::string Quote(const std::string& text) { return "\"" + text + "\""; }

// One JSON object and where it stands, for the messages.
class Fields {
public:
    Fields(const Json& object, std::string where, std::optional<std::size_t> material = std::nullopt,
           std::optional<std::size_t> profile = std::nullopt)
        : m_object(object), m_where(std::move(where)), m_material(material), m_profile(profile)
    {
    }

    [[noreturn]] void Fail(std::string_view field, const std::string& problem) const
    {
        throw JsonImportError(m_where + ", field \"" + std::string(field) + "\": " + problem, m_material, m_profile,
                              std::string(field), problem);
    }

    void RejectUnknown(std::initializer_list<std::string_view> known) const
    {
        for (const auto& [key, value] : m_object.items()) {
            bool found = false;
            for (std::string_view name : known) found = found || key == name;
            if (!found) Fail(key, "unknown field");
        }
    }

    const Json* Find(std::string_view field) const
    {
        auto it = m_object.find(std::string(field));
        return it == m_object.end() ? nullptr : &*it;
    }

    std::u16string Text(std::string_view field, std::size_t maxUnits, std::u16string fallback = {}) const
    {
        const Json* value = Find(field);
        if (!value) return fallback;
        if (!value->is_string()) Fail(field, "must be a text");
        std::u16string text = Utf8ToUtf16(value->get_ref<const std::string&>());
        if (text.size() > maxUnits) Fail(field, "longer than " + std::to_string(maxUnits) + " characters");
        return text;
    }

    std::int64_t Integer(std::string_view field, std::int64_t min, std::int64_t max, std::int64_t fallback) const
    {
        const Json* value = Find(field);
        if (!value) return fallback;
        std::string range = "must be a whole number from " + std::to_string(min) + " to " + std::to_string(max);
        if (!value->is_number_integer()) Fail(field, range);
        if (value->is_number_unsigned()) {
            auto number = value->get<std::uint64_t>();
            if (number > static_cast<std::uint64_t>(max) || static_cast<std::int64_t>(number) < min) Fail(field, range);
            return static_cast<std::int64_t>(number);
        }
        auto number = value->get<std::int64_t>();
        if (number < min || number > max) Fail(field, range);
        return number;
    }

    // A finite number above `min` (or from `min` on, when `minAllowed`).
    float Float(std::string_view field, float min, bool minAllowed, float fallback) const
    {
        const Json* value = Find(field);
        if (!value) return fallback;
        std::string range = std::string("must be a number ") + (minAllowed ? "of at least " : "above ") +
                            FloatText(min);
        if (!value->is_number()) Fail(field, range);
        float number = value->get<float>();
        if (!std::isfinite(number)) Fail(field, "must be a number that fits a 32-bit float");
        if (number < min || (!minAllowed && number == min)) Fail(field, range);
        return number;
    }

    bool Bool(std::string_view field, bool fallback) const
    {
        const Json* value = Find(field);
        if (!value) return fallback;
        if (!value->is_boolean()) Fail(field, "must be true or false");
        return value->get<bool>();
    }

    const std::string& Where() const { return m_where; }

private:
    const Json& m_object;
    std::string m_where;
    std::optional<std::size_t> m_material;
    std::optional<std::size_t> m_profile;
};

template <std::size_t N>
void CopyInto(char16_t (&field)[N], const std::u16string& text)
{
    std::size_t n = std::min(text.size(), N - 1);
    std::copy_n(text.begin(), n, field);
    field[n] = 0;
}

void ReadProfile(const Json& json, std::size_t materialIndex, std::size_t index, CWexMaterial& material,
                 const std::string& where)
{
    std::string at = where + ", profile #" + std::to_string(index + 1);
    if (!json.is_object()) throw JsonImportError(at + ": must be an object", materialIndex, index, {}, "must be an object");
    Fields fields(json, at, materialIndex, index);
    if (!fields.Find("dn")) fields.Fail("dn", "required");
    auto dn = static_cast<std::int32_t>(fields.Integer("dn", 0, kDnCount - 1, 0));
    Fields named(json, at + " (dn " + std::to_string(dn) + ")", materialIndex, index);
    named.RejectUnknown(
        {"dn", "innerDiameter", "wall", "od", "width", "ursMaterial", "ursAssembly", "label", "shortLabel"});

    CWexProfil* profile = nullptr;
    if (!material.AddProfile(dn, &profile)) named.Fail("dn", "the material already has a profile of this DN");
    profile->m_fInnerDiameter = named.Float("innerDiameter", 0.0f, false, profile->m_fInnerDiameter);
    profile->m_fWall = named.Float("wall", 0.0f, true, profile->m_fWall);
    profile->m_nWidth = static_cast<std::int32_t>(
        named.Integer("width", 0, std::numeric_limits<std::int32_t>::max(), profile->m_nWidth));
    CopyInto(profile->m_szUrsMaterial, named.Text("ursMaterial", CWexProfil::kCodeUnits - 1));
    CopyInto(profile->m_szUrsAssembly, named.Text("ursAssembly", CWexProfil::kCodeUnits - 1));
    try {
        profile->UpdateLabels();
    } catch (const CWexException&) {
        named.Fail("innerDiameter", "with this wall the outer diameter " + FloatText(profile->OuterDiameter()) +
                                        " gives a label that does not fit the material's description");
    }
}

void ReadMaterial(const Json& json, std::size_t index, CWexSezMaterialu& catalog)
{
    std::string at = "material #" + std::to_string(index + 1);
    if (!json.is_object()) throw JsonImportError(at + ": must be an object", index, std::nullopt, {}, "must be an object");
    Fields unnamed(json, at, index);
    if (!unnamed.Find("name")) unnamed.Fail("name", "required");
    std::u16string name = unnamed.Text("name", CWexMaterial::kMaxNameLength);
    if (name.empty()) unnamed.Fail("name", "must not be empty");
    Fields fields(json, at + " " + Quote(Utf16ToUtf8(name)), index);
    fields.RejectUnknown({"name", "drawingName", "detail", "manufacturer", "roughness", "group", "purposes",
                          "pnIndex", "sdrIndex", "shape", "descMode", "prefix", "suffix", "innerDiameterLabel",
                          "profiles"});
    if (catalog.m_materials.count(name)) fields.Fail("name", "an earlier material has the same name");

    auto material = std::make_unique<CWexMaterial>(&catalog, name, MaterialFilter{});
    CWexMaterial& m = *material;
    m.m_strDrawingName = fields.Text("drawingName", CWexMaterial::kMaxNameLength, m.m_strDrawingName);
    m.m_strDetail = fields.Text("detail", std::u16string::npos, m.m_strDetail);
    m.m_strManufacturer = fields.Text("manufacturer", CWexMaterial::kMaxManufacturerLength, m.m_strManufacturer);
    m.m_fRoughness = fields.Float("roughness", 0.0f, true, m.m_fRoughness);
    m.m_nGroup = static_cast<std::uint32_t>(fields.Integer("group", 1, GroupAll, m.m_nGroup));
    m.m_nPurposes = static_cast<std::uint32_t>(fields.Integer("purposes", 1, PurposeAll, m.m_nPurposes));
    m.m_nPN = static_cast<std::int32_t>(fields.Integer("pnIndex", -1, kPnCount - 1, m.m_nPN));
    m.m_nSDR = static_cast<std::int32_t>(fields.Integer("sdrIndex", -1, kSdrCount - 1, m.m_nSDR));
    m.m_nShape = static_cast<std::uint32_t>(fields.Integer("shape", 0, kShapeCount - 1, m.m_nShape));
    m.m_nDescMode = static_cast<std::int32_t>(fields.Integer("descMode", DescByDn, DescUserDefined, m.m_nDescMode));
    CopyInto(m.m_szPrefix, fields.Text("prefix", CWexMaterial::kAffixUnits - 1));
    CopyInto(m.m_szSuffix, fields.Text("suffix", CWexMaterial::kAffixUnits - 1));
    m.m_bInnerDiameter = fields.Bool("innerDiameterLabel", m.m_bInnerDiameter);

    if (const Json* profiles = fields.Find("profiles")) {
        if (!profiles->is_array()) fields.Fail("profiles", "must be a list");
        for (std::size_t i = 0; i < profiles->size(); ++i) ReadProfile((*profiles)[i], index, i, m, fields.Where());
    }
    catalog.m_materials.emplace(name, std::move(material));
}

} // namespace

void JsonToCatalog(const Json& document, CWexSezMaterialu& catalog)
{
    if (!document.is_object()) throw JsonImportError("the document must be an object with \"materials\"");
    Fields top(document, "the document");
    top.RejectUnknown({"version", "materials"});
    const Json* materials = top.Find("materials");
    if (!materials) top.Fail("materials", "required");
    if (!materials->is_array()) top.Fail("materials", "must be a list");
    for (std::size_t i = 0; i < materials->size(); ++i) ReadMaterial((*materials)[i], i, catalog);
}
