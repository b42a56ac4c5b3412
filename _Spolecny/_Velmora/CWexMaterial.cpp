#include "CWexMaterial.h"

#include "CWexFunkce.h"
#include "CWexSezMaterialu.h"
#include "PipeTables.h"
#include "TextConvert.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

const char* const kSource = "_Spolecny/_Velmora/CWexMaterial";

// Tolerances under which two profiles count as the same size.
constexpr double kInnerDiameterTolerance = 0.001;
constexpr double kWallTolerance = 0.0001;

bool SameSize(const CWexProfil& a, const CWexProfil& b)
{
    return a.m_nDN == b.m_nDN &&
           std::fabs(static_cast<double>(a.m_fInnerDiameter) - static_cast<double>(b.m_fInnerDiameter)) <
               kInnerDiameterTolerance &&
           std::fabs(static_cast<double>(a.m_fWall) - static_cast<double>(b.m_fWall)) < kWallTolerance &&
           std::u16string(a.m_szUrsMaterial) == std::u16string(b.m_szUrsMaterial);
}

template <std::size_t N>
void StoreAffix(char16_t (&field)[N], const std::u16string& text)
{
    std::copy(text.begin(), text.end(), field);
    field[text.size()] = 0;
}

} // namespace

CWexMaterial::CWexMaterial(CWexSezMaterialu* owner, const std::u16string& name, MaterialFilter filter)
    : m_strName(name),
      m_fRoughness(0.00001f),
      m_nGroup(filter.group ? filter.group : 3),
      m_nPurposes(filter.purposes ? filter.purposes : 31),
      m_pCatalogOwner(owner)
{
}

CWexMaterial::CWexMaterial(CWexSezMaterialu* owner) : m_pCatalogOwner(owner) {}

CWexMaterial::CWexMaterial(CWexSezMaterialu* owner, const CWexMaterial& source)
    : m_nDescMode(source.m_nDescMode),
      m_bInnerDiameter(source.m_bInnerDiameter),
      m_strName(source.m_strName),
      m_strDrawingName(source.m_strDrawingName),
      m_strDetail(source.m_strDetail),
      m_strManufacturer(source.m_strManufacturer),
      m_fRoughness(source.m_fRoughness),
      m_nGroup(source.m_nGroup),
      m_nPurposes(source.m_nPurposes),
      m_pCatalogOwner(owner),
      m_nPN(source.m_nPN),
      m_nSDR(source.m_nSDR),
      m_nShape(source.m_nShape),
      m_users(source.m_users)
{
    std::copy_n(source.m_szPrefix, kAffixUnits, m_szPrefix);
    std::copy_n(source.m_szSuffix, kAffixUnits, m_szSuffix);
    m_szPrefix[kAffixUnits - 1] = 0;
    m_szSuffix[kAffixUnits - 1] = 0;
    m_profiles.reserve(source.m_profiles.size());
    for (const auto& [dn, profile] : source.m_profiles)
        m_profiles.emplace(dn, std::make_unique<CWexProfil>(this, *profile, CWexProfil::Labels::Keep));
}

CWexMaterial::~CWexMaterial()
{
    for (CWexMaterial** slot : m_users)
        if (slot) *slot = nullptr;
    ClearProfiles();
}

void CWexMaterial::SetModified()
{
    if (m_pCatalogOwner) m_pCatalogOwner->SetModified();
}

bool CWexMaterial::AddProfile(std::int32_t dn, CWexProfil** created)
{
    if (!IsValidDn(dn) || m_profiles.count(dn)) return false;
    auto profile = std::make_unique<CWexProfil>(this, dn);
    const float defaultWall = dn < 19 ? 3.0f : 5.0f;
    if (m_nDescMode == DescByDn) {
        profile->m_fWall = defaultWall;
        profile->m_fInnerDiameter = g_dnTable[dn].nominalSize;
    } else {
        const float od = static_cast<float>(g_dnTable[dn].outerDiameter);
        // An SDR index outside the table (a damaged file) counts as no SDR series.
        if (!IsValidSdr(m_nSDR) || m_nSDR == 0) {
            profile->m_fWall = defaultWall;
            profile->m_fInnerDiameter = od - 2.0f * defaultWall;
        } else {
            profile->m_fWall = od / g_sdrTable[m_nSDR].value;
            profile->m_fInnerDiameter = od - 2.0f * profile->m_fWall;
        }
    }
    profile->UpdateLabels();
    CWexProfil* raw = profile.get();
    m_profiles.emplace(dn, std::move(profile));
    SetModified();
    if (created) *created = raw;
    return true;
}

void CWexMaterial::ClearProfiles()
{
    m_profiles.clear();
    SetModified();
}

void CWexMaterial::GenerateProfiles(std::int32_t first, std::int32_t last)
{
    ClearProfiles();
    if (first <= last && IsValidDn(first) && IsValidDn(last)) m_profiles.reserve(static_cast<std::size_t>(last - first + 1));
    for (std::int32_t dn = first; dn <= last; ++dn) {
        if (!AddProfile(dn)) throw CWexException("Nelze přidat profil", 338, kSource);
    }
}

void CWexMaterial::AddMissingProfiles(const CWexMaterial& source)
{
    for (const auto& [dn, profile] : source.m_profiles) {
        if (m_profiles.count(dn)) continue;
        auto copy = std::make_unique<CWexProfil>(this, *profile);
        if (copy->m_nDN != dn || !m_profiles.try_emplace(dn, std::move(copy)).second)
            throw CWexException("Nelze vložit profil", 148, kSource);
        SetModified();
    }
}

void CWexMaterial::ApplyForm(const ShownMaterial& form)
{
    if (form.name != m_strName)
        throw CWexException("Jméno materiálu v předané struktuře nesouhlasí", 234, kSource);
    if (form.manufacturer.size() > kMaxManufacturerLength)
        throw CWexException("Příliš dlouhý výrobce", 235, kSource);
    if (form.pnIndex == -1 || form.sdrIndex == -1)
        throw CWexException("SDR nebo PN nenalezeno v seznamu ", 247, kSource);
    if (form.prefix.size() >= kAffixUnits)
        throw CWexException("Chyba při kopírování řetězce v paměti", 255, kSource);
    if (form.suffix.size() >= kAffixUnits)
        throw CWexException("Chyba při kopírování řetězce v paměti", 257, kSource);

    double roughness = form.roughnessValue;
    if (roughness == kRoughnessFromText) roughness = ParseLeadingNumber(form.roughness).value_or(0.0);
    // A roughness beyond the stored float's range would be kept as infinity.
    if (!(std::fabs(roughness) <= std::numeric_limits<float>::max()))
        throw CWexException("Zadání mimo rozsah", __LINE__, kSource);

    // The description settings go first, with the labels they give: a form whose labels
    // cannot be built (a size too large for the chosen format) takes nothing, so that no
    // profile is left with a label the next reading of the file could not build either.
    const bool inner = form.diameterKind != 0;
    const bool relabel = form.descMode != m_nDescMode || inner != m_bInnerDiameter ||
                         form.prefix != std::u16string(m_szPrefix) || form.suffix != std::u16string(m_szSuffix);
    if (relabel) {
        const std::int32_t oldMode = m_nDescMode;
        const bool oldInner = m_bInnerDiameter;
        const std::u16string oldPrefix = m_szPrefix;
        const std::u16string oldSuffix = m_szSuffix;
        m_nDescMode = form.descMode;
        m_bInnerDiameter = inner;
        StoreAffix(m_szPrefix, form.prefix);
        StoreAffix(m_szSuffix, form.suffix);
        try {
            UpdateAllLabels();
        } catch (...) {
            m_nDescMode = oldMode;
            m_bInnerDiameter = oldInner;
            StoreAffix(m_szPrefix, oldPrefix);
            StoreAffix(m_szSuffix, oldSuffix);
            UpdateAllLabels();
            throw;
        }
    }

    m_fRoughness = static_cast<float>(roughness);
    m_strDrawingName = form.popis;
    m_strManufacturer = form.manufacturer;
    m_strDetail = form.detail;
    m_nPN = form.pnIndex;
    m_nSDR = form.sdrIndex;
    m_nShape = static_cast<std::uint32_t>(form.shape);
    m_nGroup = form.filter.group;
    m_nPurposes = form.filter.purposes;
    SetModified();
}

bool CWexMaterial::Matches(const CWexMaterial& other, bool full) const
{
    if (m_strName != other.m_strName || m_strDetail != other.m_strDetail ||
        m_strManufacturer != other.m_strManufacturer)
        return false;
    if (full) {
        if (m_strDrawingName != other.m_strDrawingName || m_profiles.size() != other.m_profiles.size())
            return false;
        return std::equal(m_profiles.begin(), m_profiles.end(), other.m_profiles.begin(),
                          [](const auto& a, const auto& b) { return SameSize(*a.second, *b.second); });
    }
    if (m_profiles.size() < other.m_profiles.size()) return false;
    for (const auto& [dn, profile] : other.m_profiles) {
        const CWexProfil* mine = FindProfile(dn);
        if (!mine || !SameSize(*mine, *profile)) return false;
    }
    return true;
}

void CWexMaterial::UpdateAllLabels()
{
    for (auto& [dn, profile] : m_profiles) profile->UpdateLabels();
}

bool CWexMaterial::MoveProfile(CWexProfil* profile, std::int32_t dn)
{
    // An index outside the table would be written as a size the reader cannot take back.
    if (!IsValidDn(dn) || m_profiles.count(dn)) return false;
    auto it = std::find_if(m_profiles.begin(), m_profiles.end(),
                           [profile](const auto& entry) { return entry.second.get() == profile; });
    if (it == m_profiles.end()) return false;
    std::unique_ptr<CWexProfil> owned = std::move(it->second);
    m_profiles.erase(it);
    m_profiles.emplace(dn, std::move(owned));
    return true;
}

bool CWexMaterial::InsertProfile(std::unique_ptr<CWexProfil> profile)
{
    const std::int32_t dn = profile->m_nDN;
    // A damaged file's index outside the table is kept as read (the reader enters its profiles
    // itself), but a caller may not make one.
    if (!IsValidDn(dn)) return false;
    if (!m_profiles.try_emplace(dn, std::move(profile)).second) return false;
    SetModified();
    return true;
}

bool CWexMaterial::RemoveProfile(std::int32_t dn)
{
    if (!m_profiles.erase(dn)) return false;
    SetModified();
    return true;
}

CWexProfil* CWexMaterial::FindProfile(std::int32_t dn) const
{
    auto it = m_profiles.find(dn);
    return it == m_profiles.end() ? nullptr : it->second.get();
}

void CWexMaterial::AddUser(CWexMaterial** slot)
{
    if (slot && std::find(m_users.begin(), m_users.end(), slot) == m_users.end()) m_users.push_back(slot);
}

bool CWexMaterial::RemoveUser(CWexMaterial** slot)
{
    auto it = std::find(m_users.begin(), m_users.end(), slot);
    if (it == m_users.end()) return false;
    m_users.erase(it);
    return true;
}
