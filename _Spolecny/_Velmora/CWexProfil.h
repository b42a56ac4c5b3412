#pragma once
// One size of a pipe material: DN index, inner diameter, wall, width, two price-list
// codes and the labels built from the owning material's description settings.

#include <cstdint>
#include <string>
#include <vector>

class CWexArchive;
class CWexMaterial;
struct TreeListItem; // a dialog tree-list's item; opaque to the catalog

class CWexProfil {
public:
    static constexpr std::size_t kCodeUnits = 11;       // price-list code: 10 characters + 0
    static constexpr std::size_t kCodeCapacity = 10;    // what the setters accept: 9 + 0
    static constexpr std::size_t kLabelUnits = 15;
    static constexpr std::size_t kShortLabelUnits = 7;

    // A new size of `material` under DN index `dn`: no dimensions, no codes, no users.
    CWexProfil(CWexMaterial* material, std::int32_t dn);
    // An empty profile about to be read from an archive: DN index -1.
    explicit CWexProfil(CWexMaterial* material);
    // A copy of `source` owned by `material`, with the same users list; not entered in any
    // table. Its labels are built anew from the new owner's settings, or, for a copy of the
    // whole material (same settings, so the same labels), taken as they are.
    enum class Labels { Rebuild, Keep };
    CWexProfil(CWexMaterial* material, const CWexProfil& source, Labels labels = Labels::Rebuild);
    // Writes null into every registered reference slot.
    ~CWexProfil();

    CWexProfil(const CWexProfil&) = delete;
    CWexProfil& operator=(const CWexProfil&) = delete;

    // Reads or writes one profile record, as the archive's direction says. A record read
    // that is the end mark leaves m_nDN at -1. After reading, the values are checked and the
    // labels rebuilt. Throws CWexException (newer version) or CWexFileError (truncated data).
    void Serialize(CWexArchive& ar);

    // Rebuilds m_szLabel and m_szShortLabel and marks the catalog modified.
    // Throws CWexException "Nepodařilo se vytvořit popis" when a label does not fit.
    void UpdateLabels();

    // Moves the profile to another DN of its material. False when the index is the
    // current one, another profile holds it or it is not in the table; nothing changes then.
    bool SetDN(std::int32_t dn, bool takeNominalSize);

    // Price-list codes of at most 9 characters; longer ones throw "Chyba kopírování řetězce".
    void SetUrsMaterial(const std::u16string& code);
    void SetUrsAssembly(const std::u16string& code);

    // After reading: replaces an unusable inner diameter or wall, tells the user once,
    // then rebuilds the labels.
    void CheckValuesAfterReading();

    float OuterDiameter() const { return m_fWall + m_fWall + m_fInnerDiameter; }

    // The users of the profile: addresses of pointer fields of a host's objects.
    void AddUser(CWexProfil** slot);
    bool RemoveUser(CWexProfil** slot);
    bool IsUsed() const { return !m_users.empty(); }
    void ClearUsers() { m_users.clear(); }

    std::u16string UrsMaterial() const { return m_szUrsMaterial; }
    std::u16string UrsAssembly() const { return m_szUrsAssembly; }
    std::u16string Label() const { return m_szLabel; }
    std::u16string ShortLabel() const { return m_szShortLabel; }

    std::int32_t m_nDN = -1;
    float m_fInnerDiameter = 0.0f;
    float m_fWall = 0.0f;
    std::int32_t m_nWidth = 0;
    CWexMaterial* m_pMaterial = nullptr;
    char16_t m_szUrsMaterial[kCodeUnits] = {};
    char16_t m_szUrsAssembly[kCodeUnits] = {};
    char16_t m_szLabel[kLabelUnits] = {};
    char16_t m_szShortLabel[kShortLabelUnits] = {};
    std::vector<CWexProfil**> m_users;
    TreeListItem* m_hItem = nullptr;

private:
    void SetCode(char16_t (&field)[kCodeUnits], const std::u16string& code);
};

// The nominal size of a DN index; indexes outside the table take the nearest row.
float NominalSizeOf(std::int32_t dn);
