#include "CWexProfil.h"

#include "CWexFunkce.h"
#include "CWexMaterial.h"
#include "PipeTables.h"
#include "TextConvert.h"
#include "WindowServices.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace {

const char* const kSource = "_Spolecny/_Velmora/CWexMaterial";

// A label assembled in place, as the profile's fixed fields hold it: labels are rebuilt for
// every profile read or copied, so nothing here allocates.
class LabelText {
public:
    LabelText& operator<<(std::u16string_view text)
    {
        for (char16_t unit : text) Put(unit);
        return *this;
    }
    LabelText& operator<<(const char16_t* text) { return *this << std::u16string_view(text); }
    // A number as FormatFixed writes it.
    LabelText& Number(double value, int precision)
    {
        char buffer[kFixedTextUnits];
        for (char c : FormatFixedTo(buffer, value, precision)) Put(static_cast<char16_t>(c));
        return *this;
    }
    // The text, or "Nepodařilo se vytvořit popis" with `line` when it is empty or needs more
    // than `capacity` units with its terminator.
    std::u16string_view Checked(std::size_t capacity, int line) const
    {
        if (m_size == 0 || m_size + 1 > capacity)
            throw CWexException("Nepodařilo se vytvořit popis", line, kSource);
        return std::u16string_view(m_text, m_size);
    }

private:
    // Units beyond the longest label are only counted: the text is refused anyway.
    void Put(char16_t unit)
    {
        if (m_size < kUnits) m_text[m_size] = unit;
        ++m_size;
    }

    static constexpr std::size_t kUnits = CWexProfil::kLabelUnits;
    char16_t m_text[kUnits];
    std::size_t m_size = 0;
};

template <std::size_t N>
void StoreText(char16_t (&field)[N], std::u16string_view text)
{
    std::size_t n = std::min(text.size(), N - 1);
    std::copy_n(text.begin(), n, field);
    field[n] = 0;
}

template <std::size_t N>
void CopyField(char16_t (&dest)[N], const char16_t (&source)[N])
{
    std::copy_n(source, N, dest);
    dest[N - 1] = 0;
}

} // namespace

float NominalSizeOf(std::int32_t dn)
{
    return g_dnTable[std::clamp(dn, 0, kDnCount - 1)].nominalSize;
}

CWexProfil::CWexProfil(CWexMaterial* material, std::int32_t dn) : m_nDN(dn), m_pMaterial(material) {}

CWexProfil::CWexProfil(CWexMaterial* material) : m_pMaterial(material) {}

CWexProfil::CWexProfil(CWexMaterial* material, const CWexProfil& source, Labels labels)
    : m_nDN(source.m_nDN),
      m_fInnerDiameter(source.m_fInnerDiameter),
      m_fWall(source.m_fWall),
      m_nWidth(source.m_nWidth),
      m_pMaterial(material),
      m_users(source.m_users)
{
    CopyField(m_szUrsMaterial, source.m_szUrsMaterial);
    CopyField(m_szUrsAssembly, source.m_szUrsAssembly);
    if (labels == Labels::Keep) {
        CopyField(m_szLabel, source.m_szLabel);
        CopyField(m_szShortLabel, source.m_szShortLabel);
    } else {
        UpdateLabels();
    }
}

CWexProfil::~CWexProfil()
{
    for (CWexProfil** slot : m_users)
        if (slot) *slot = nullptr;
}

void CWexProfil::UpdateLabels()
{
    const CWexMaterial& m = *m_pMaterial;
    LabelText label;
    LabelText shortLabel;
    std::u16string_view labelText;
    std::u16string_view shortText;
    if (m.m_nDescMode == DescByDn) {
        // A DN outside the table cannot be named; "DN ?" shows the damage instead of
        // reading past the table.
        if (IsValidDn(m_nDN)) {
            double nominal = g_dnTable[m_nDN].nominalSize;
            labelText = (label << u"DN ").Number(nominal, 0).Checked(15, 28);
            shortText = shortLabel.Number(nominal, 0).Checked(6, 30);
        } else {
            labelText = (label << u"DN ?").Checked(15, 28);
            shortText = (shortLabel << u"?").Checked(6, 30);
        }
    } else {
        double od = OuterDiameter();
        shortText = (shortLabel << u"d").Number(od, 0).Checked(6, 36);
        if (m.m_nDescMode == DescOuterXWall) {
            labelText = (label.Number(od, 0) << u"x").Number(m_fWall, 1).Checked(15, 41);
        } else if (m.m_bInnerDiameter) {
            labelText = ((label << m.m_szPrefix).Number(m_fInnerDiameter, 0) << m.m_szSuffix).Checked(15, 47);
        } else {
            labelText = ((label << m.m_szPrefix).Number(od, 0) << m.m_szSuffix).Checked(15, 52);
        }
    }
    StoreText(m_szLabel, labelText);
    StoreText(m_szShortLabel, shortText);
    m_pMaterial->SetModified();
}

bool CWexProfil::SetDN(std::int32_t dn, bool takeNominalSize)
{
    if (dn == m_nDN) return false;
    if (!m_pMaterial->MoveProfile(this, dn)) return false;
    m_nDN = dn;
    if (takeNominalSize) m_fInnerDiameter = NominalSizeOf(dn);
    UpdateLabels();
    return true;
}

void CWexProfil::SetCode(char16_t (&field)[kCodeUnits], const std::u16string& code)
{
    if (code.size() + 1 > kCodeCapacity)
        throw CWexException("Chyba kopírování řetězce", 155, kSource);
    if (std::u16string(field) == code) return;
    StoreText(field, code);
    // A code is part of the catalog like any dimension: changing it is a change to save.
    m_pMaterial->SetModified();
}

void CWexProfil::SetUrsMaterial(const std::u16string& code)
{
    SetCode(m_szUrsMaterial, code);
}

void CWexProfil::SetUrsAssembly(const std::u16string& code)
{
    SetCode(m_szUrsAssembly, code);
}

void CWexProfil::CheckValuesAfterReading()
{
    bool replaced = false;
    if (!std::isfinite(m_fInnerDiameter) || m_fInnerDiameter <= 0.0f) {
        m_fInnerDiameter = NominalSizeOf(m_nDN);
        replaced = true;
    }
    if (!std::isfinite(m_fWall) || m_fWall < 0.0f) {
        m_fWall = 3.0f;
        replaced = true;
    }
    if (replaced) {
        std::u16string size = IsValidDn(m_nDN) ? FormatFixed16(g_dnTable[m_nDN].nominalSize, 0) : u"?";
        std::u16string text = u"U materiálu " + m_pMaterial->m_strName +
                              u" byl načteny chybné hodnoty u profilu DN " + size +
                              u", \nbudou nastaveny implicitní hodnoty - po načtení zkontrolujte.";
        GetWindowServices().ShowMessage(text, kProgramTitle, MessageIcon::None, MessageButtons::Ok);
    }
    UpdateLabels();
}

void CWexProfil::AddUser(CWexProfil** slot)
{
    if (slot && std::find(m_users.begin(), m_users.end(), slot) == m_users.end()) m_users.push_back(slot);
}

bool CWexProfil::RemoveUser(CWexProfil** slot)
{
    auto it = std::find(m_users.begin(), m_users.end(), slot);
    if (it == m_users.end()) return false;
    m_users.erase(it);
    return true;
}
