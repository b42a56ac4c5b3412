#include "CatalogJson.h"

#include "CWexMaterial.h"
#include "CWexSezMaterialu.h"
#include "TextConvert.h"

#include <algorithm>
#include <vector>

namespace {

std::string Utf8(const std::u16string& text) { return Utf16ToUtf8(text); }

Json ProfileToJson(const CWexProfil& profile)
{
    Json json;
    json["dn"] = profile.m_nDN;
    json["innerDiameter"] = profile.m_fInnerDiameter;
    json["wall"] = profile.m_fWall;
    json["od"] = profile.OuterDiameter();
    json["width"] = profile.m_nWidth;
    json["ursMaterial"] = Utf8(profile.UrsMaterial());
    json["ursAssembly"] = Utf8(profile.UrsAssembly());
    json["label"] = Utf8(profile.Label());
    json["shortLabel"] = Utf8(profile.ShortLabel());
    return json;
}

Json MaterialToJson(const CWexMaterial& material)
{
    Json json;
    json["name"] = Utf8(material.m_strName);
    json["drawingName"] = Utf8(material.m_strDrawingName);
    json["detail"] = Utf8(material.m_strDetail);
    json["manufacturer"] = Utf8(material.m_strManufacturer);
    json["roughness"] = material.m_fRoughness;
    json["group"] = material.m_nGroup;
    json["purposes"] = material.m_nPurposes;
    json["pnIndex"] = material.m_nPN;
    json["sdrIndex"] = material.m_nSDR;
    json["shape"] = material.m_nShape;
    json["descMode"] = material.m_nDescMode;
    json["prefix"] = Utf8(material.m_szPrefix);
    json["suffix"] = Utf8(material.m_szSuffix);
    json["innerDiameterLabel"] = material.m_bInnerDiameter;
    Json profiles = Json::array();
    for (const auto& [dn, profile] : material.m_profiles) profiles.push_back(ProfileToJson(*profile));
    json["profiles"] = std::move(profiles);
    return json;
}

} // namespace

Json CatalogToJson(const CWexSezMaterialu& catalog, int version)
{
    std::vector<const CWexMaterial*> materials;
    for (const auto& [name, material] : catalog.m_materials) materials.push_back(material.get());
    // Name order is the writer's order; a file from elsewhere may hold another one.
    std::stable_sort(materials.begin(), materials.end(), [](const CWexMaterial* a, const CWexMaterial* b) {
        return a->m_nProjectIndex < b->m_nProjectIndex;
    });

    Json json;
    json["version"] = version;
    Json list = Json::array();
    for (const CWexMaterial* material : materials) list.push_back(MaterialToJson(*material));
    json["materials"] = std::move(list);
    return json;
}
