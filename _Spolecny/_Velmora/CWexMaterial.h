#pragma once
// One pipe material: names, manufacturer, use, roughness, pressure class or SDR series,
// shape, description settings and its profile table (at most one profile per DN).

#include "CWexProfil.h"
#include "PipeTables.h"
#include "ProfileTable.h"
#include "ShownMaterial.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CWexArchive;
class CWexSezMaterialu;

class CWexMaterial {
public:
    static constexpr std::size_t kAffixUnits = 5;       // prefix/suffix: 4 characters + 0
    static constexpr std::size_t kMaxNameLength = 20;
    static constexpr std::size_t kMaxManufacturerLength = 25;
    static constexpr std::int32_t kNoProjectIndex = -2;
    static constexpr std::int32_t kEndMarkIndex = -1;

    // A new material named `name`: D x t, roughness 0.00001, no PN/SDR chosen.
    // Group 0 is taken as 3 and purposes 0 as 31.
    CWexMaterial(CWexSezMaterialu* owner, const std::u16string& name, MaterialFilter filter);
    // An empty material about to be read: empty name, roughness 0, group 3, purposes 31.
    explicit CWexMaterial(CWexSezMaterialu* owner);
    // A copy of `source` owned by `owner`, with copies of its profiles and its users list.
    CWexMaterial(CWexSezMaterialu* owner, const CWexMaterial& source);
    // Writes null into every registered reference slot, then destroys the profiles.
    ~CWexMaterial();

    CWexMaterial(const CWexMaterial&) = delete;
    CWexMaterial& operator=(const CWexMaterial&) = delete;

    // Reads or writes one material record with its profiles, as the archive's direction says.
    // Reading the end mark leaves m_nProjectIndex at -1. In project mode only used profiles
    // are written. Throws CWexException (newer version, duplicate DN, unterminated text) or
    // CWexFileError (truncated data).
    void Serialize(CWexArchive& ar, bool projectMode);

    // Adds a profile for DN index `dn` with default wall and inner diameter. False (and
    // nothing added) when the material already has that DN or the index is not in the table.
    bool AddProfile(std::int32_t dn, CWexProfil** created = nullptr);
    // Destroys every profile, used or not.
    void ClearProfiles();
    // Replaces the profiles by the series first..last; throws "Nelze přidat profil".
    void GenerateProfiles(std::int32_t first, std::int32_t last);
    // Adds a copy of every profile of `source` whose DN this material lacks.
    void AddMissingProfiles(const CWexMaterial& source);
    // Takes the editing dialog's values. Every check is made before anything is taken, so
    // a refused form leaves the material as it was.
    void ApplyForm(const ShownMaterial& form);
    // Full: names, detail, manufacturer and the same profiles. Not full: `other` is
    // contained in this material (drawing name not compared). See the tolerances in the .cpp.
    bool Matches(const CWexMaterial& other, bool full) const;

    // Rebuilds the labels of every profile (after a change of the description settings).
    void UpdateAllLabels();
    // Marks the owning catalog as changed.
    void SetModified();

    // Re-keys `profile` (one of ours) under `dn`; false when another profile holds `dn` or
    // the index is not in the table.
    bool MoveProfile(CWexProfil* profile, std::int32_t dn);
    // Enters a profile under its own DN index; false (profile destroyed) when taken or not
    // in the table.
    bool InsertProfile(std::unique_ptr<CWexProfil> profile);
    // Destroys the profile under `dn`; false when there is none.
    bool RemoveProfile(std::int32_t dn);
    CWexProfil* FindProfile(std::int32_t dn) const;

    void AddUser(CWexMaterial** slot);
    bool RemoveUser(CWexMaterial** slot);
    bool IsUsed() const { return !m_users.empty(); }
    void ClearUsers() { m_users.clear(); }

    std::int32_t m_nProjectIndex = kNoProjectIndex;
    std::int32_t m_nDescMode = DescOuterXWall;
    char16_t m_szPrefix[kAffixUnits] = {};
    char16_t m_szSuffix[kAffixUnits] = {};
    bool m_bInnerDiameter = false;
    std::u16string m_strName;
    std::u16string m_strDrawingName;
    std::u16string m_strDetail;
    std::u16string m_strManufacturer;
    float m_fRoughness = 0.0f;
    std::uint32_t m_nGroup = 3;
    std::uint32_t m_nPurposes = 31;
    ProfileTable m_profiles;
    CWexSezMaterialu* m_pCatalogOwner = nullptr;
    std::int32_t m_nPN = -1;
    std::int32_t m_nSDR = -1;
    std::uint32_t m_nShape = 0;
    std::vector<CWexMaterial**> m_users;

private:
    // Reads the profile records up to the end mark (or `counted`: a count first).
    void ReadProfiles(CWexArchive& ar, bool counted);
};
