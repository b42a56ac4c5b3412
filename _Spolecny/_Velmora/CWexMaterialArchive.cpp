// Reading and writing the material and profile records (byte layout in CatalogFormat.h).

#include "CWexArchive.h"
#include "CWexFunkce.h"
#include "CWexMaterial.h"
#include "CWexProfil.h"
#include "CatalogFormat.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace {

using namespace catalog_format;

const char* const kSource = "_Spolecny/_Velmora/CWexMaterial";
const char* const kNewerVersion = "Nelze načíst, soubor byl uložen vyšší verzí programu, aktualizujte program";

// A DN index as read (16 bits, sign-extended) as an index into a table of every such value.
constexpr std::int32_t kReadDnOffset = 32768;
constexpr std::size_t kReadDnValues = 65536;

} // namespace

void CWexProfil::Serialize(CWexArchive& ar)
{
    if (ar.IsStoring()) {
        ar.WriteByte(kProfileVersion);
        ar.WriteInt16(m_nDN);
        ar.WriteFloat(m_fInnerDiameter);
        ar.WriteFloat(m_fWall);
        ar.WriteInt32(m_nWidth);
        ar.WriteTextField(m_szUrsMaterial, kCodeLimit);
        ar.WriteTextField(m_szUrsAssembly, kCodeLimit);
        return;
    }

    const int version = ar.ReadByte();
    if (version == kEndMark) {
        m_nDN = -1;
        return;
    }
    if (version > kProfileVersion) throw CWexNewerVersionError(kNewerVersion, 470, kSource);
    const ProfileLayout layout = ProfileLayoutOf(version);

    m_nDN = ar.ReadInt16();
    // The largest 16-bit index stays: shifted, it would not fit the field when written back.
    if (layout.shiftsOldDn && m_nDN >= kFirstShiftedDn && m_nDN < INT16_MAX) ++m_nDN;
    m_fInnerDiameter = ar.ReadFloat();
    m_fWall = ar.ReadFloat();
    if (layout.hasObsolete) ar.Skip(4);
    m_nWidth = layout.hasWidth ? ar.ReadInt32() : 0;
    ar.ReadTextField(m_szUrsMaterial, kCodeUnits, kCodeLimit, layout.codeForm);
    if (layout.hasAssemblyCode)
        ar.ReadTextField(m_szUrsAssembly, kCodeUnits, kCodeLimit, TextForm::Terminated);
    else
        m_szUrsAssembly[0] = 0;
    // The stored label is rebuilt below anyway; it is read only to get past it.
    if (layout.labelForm != TextForm::None)
        ar.ReadTextField(m_szLabel, kLabelUnits, layout.labelLimit, layout.labelForm);

    CheckValuesAfterReading();
}

void CWexMaterial::Serialize(CWexArchive& ar, bool projectMode)
{
    if (ar.IsStoring()) {
        const int version = ar.MaterialVersion() == kMaterialVersionWithoutDrawingName
                                ? kMaterialVersionWithoutDrawingName
                                : kMaterialVersion;
        ar.WriteByte(static_cast<std::uint8_t>(version));
        ar.WriteByte(static_cast<std::uint8_t>(m_nDescMode));
        ar.WriteBool(m_bInnerDiameter);
        ar.WriteTextField(m_szPrefix, kAffixLimit);
        ar.WriteTextField(m_szSuffix, kAffixLimit);
        ar.WriteString(m_strName);
        ar.WriteString(m_strDetail);
        ar.WriteString(m_strManufacturer);
        ar.WriteFloat(m_fRoughness);
        ar.WriteUInt16(m_nPurposes);
        ar.WriteUInt16(m_nGroup);
        ar.WriteInt16(m_nPN);
        ar.WriteInt16(m_nSDR);
        ar.WriteByte(static_cast<std::uint8_t>(m_nShape));
        for (const auto& [dn, profile] : m_profiles)
            if (!projectMode || profile->IsUsed()) profile->Serialize(ar);
        ar.WriteByte(kEndMark);
        if (version >= kMaterialVersion) ar.WriteString(m_strDrawingName);
        return;
    }

    const int version = ar.ReadByte();
    if (version == kEndMark) {
        m_nProjectIndex = kEndMarkIndex;
        return;
    }
    if (version > kMaterialVersion) throw CWexNewerVersionError(kNewerVersion, 380, kSource);
    const MaterialLayout layout = MaterialLayoutOf(version);

    if (layout.hasDnFlag) m_nDescMode = ar.ReadByte() != 0 ? DescByDn : DescOuterXWall;
    if (layout.hasDescription) {
        m_nDescMode = ar.ReadByte();
        m_bInnerDiameter = ar.ReadBool();
        ar.ReadTextField(m_szPrefix, kAffixUnits, kAffixLimit, layout.affixForm);
        ar.ReadTextField(m_szSuffix, kAffixUnits, kAffixLimit, layout.affixForm);
    }
    m_strName = ar.ReadString();
    m_strDetail = ar.ReadString();
    m_strManufacturer = ar.ReadString();
    m_fRoughness = ar.ReadFloat();
    // Stored as 16 bits and sign-extended, like every 16-bit field of the record.
    m_nPurposes = static_cast<std::uint32_t>(ar.ReadInt16());
    m_nGroup = static_cast<std::uint32_t>(ar.ReadInt16());
    if (m_nPurposes == 0) m_nPurposes = PurposeAll;
    if (m_nGroup == 0) m_nGroup = GroupAll;
    m_nPN = ar.ReadInt16();
    m_nSDR = ar.ReadInt16();
    m_nShape = layout.hasShape ? ar.ReadByte() : static_cast<std::uint32_t>(ShapeCircle);

    ReadProfiles(ar, layout.hasCount);
    m_strDrawingName = layout.hasDrawingName ? ar.ReadString() : m_strName;
}

void CWexMaterial::ReadProfiles(CWexArchive& ar, bool counted)
{
    // Every file this program writes lists the sizes in DN order: each is appended at the end.
    // Any other order (an old or damaged file) is put right once at the end of the list, with
    // a table of the indexes seen, so that even a long list in reverse takes n log n.
    std::vector<bool> seen;
    struct OrderOnExit {
        ProfileTable& table;
        const std::vector<bool>& seen;
        ~OrderOnExit()
        {
            if (!seen.empty()) table.RestoreOrder();
        }
    } orderOnExit{m_profiles, seen};

    // A material has at most one profile per row of the DN table in any sound file.
    if (m_profiles.empty()) m_profiles.reserve(kDnCount);
    // Counted lists (versions 0, 1) may still end early with an end mark.
    std::uint64_t left = counted ? ar.ReadUInt64() : 0;
    while (!counted || left-- > 0) {
        auto profile = std::make_unique<CWexProfil>(this);
        profile->Serialize(ar);
        const std::int32_t dn = profile->m_nDN;
        if (dn == -1) break;
        if (seen.empty() && (m_profiles.empty() || (--m_profiles.end())->first < dn)) {
            m_profiles.try_emplace(dn, std::move(profile));
            SetModified();
            continue;
        }
        if (seen.empty()) {
            seen.assign(kReadDnValues, false);
            for (const auto& [known, p] : m_profiles) {
                if (known >= -kReadDnOffset && known < kReadDnOffset) seen[static_cast<std::size_t>(known + kReadDnOffset)] = true;
            }
        }
        // A 16-bit field always gives an index inside the table; anything else is looked up.
        const bool inTable = dn >= -kReadDnOffset && dn < kReadDnOffset;
        const auto slot = static_cast<std::size_t>(dn + kReadDnOffset);
        if (inTable ? seen[slot] : m_profiles.count(dn) != 0)
            throw CWexException("Nelze vložit nový profil", 434, kSource);
        if (inTable) seen[slot] = true;
        m_profiles.AppendUnordered(dn, std::move(profile));
        SetModified();
    }
    if (m_profiles.capacity() > m_profiles.size()) m_profiles.shrink_to_fit();
}
