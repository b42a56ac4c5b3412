// A material read from an archive under a name the catalog already holds: compare, ask,
// add the missing profiles, take over the incoming values when the answer says so, and at
// the end of the reading offer to save the main list.

#include "CWexFunkce.h"
#include "CWexSezMaterialu.h"
#include "MaterialDifferences.h"
#include "TaskButtons.h"
#include "WindowServices.h"

#include <algorithm>
#include <utility>

namespace {

const std::u16string kOverwriteQuestion =
    u"Přepsat materiál %ls v projektu materiálem z obecného seznamu?\n"
    u"V opačném případě bude použit materiál z projektu a na konci načítání bude uživatel dotázán, "
    u"zda chce zaktualizovat obecný seznam";

const std::u16string kSaveQuestion =
    u"Hlavní seznam materiálů byl při načítání projektu aktualizován materiály z projektu\n"
    u"ULOŽIT I PRO BUDOUCÍ POUŽÍTÍ?";

std::u16string OverwriteQuestion(const std::u16string& name)
{
    std::u16string text = kOverwriteQuestion;
    text.replace(text.find(u"%ls"), 3, name);
    return text;
}

// Copies at most capacity - 1 units up to the first 0 and terminates: never past either field.
template <std::size_t N>
void BoundedCopy(char16_t (&dest)[N], const char16_t (&source)[N])
{
    const char16_t* end = std::find(source, source + N - 1, u'\0');
    std::fill(std::copy(source, end, dest), dest + N, u'\0');
}

struct DescriptionSettings {
    std::int32_t mode;
    bool innerDiameter;
    char16_t prefix[CWexMaterial::kAffixUnits];
    char16_t suffix[CWexMaterial::kAffixUnits];

    explicit DescriptionSettings(const CWexMaterial& m) : mode(m.m_nDescMode), innerDiameter(m.m_bInnerDiameter)
    {
        BoundedCopy(prefix, m.m_szPrefix);
        BoundedCopy(suffix, m.m_szSuffix);
    }
    void ApplyTo(CWexMaterial& m) const
    {
        m.m_nDescMode = mode;
        m.m_bInnerDiameter = innerDiameter;
        BoundedCopy(m.m_szPrefix, prefix);
        BoundedCopy(m.m_szSuffix, suffix);
    }
    bool operator==(const DescriptionSettings& o) const
    {
        return mode == o.mode && innerDiameter == o.innerDiameter && std::u16string(prefix) == o.prefix &&
               std::u16string(suffix) == o.suffix;
    }
};

// Gives `target` the description settings of `source` and labels its profiles by them. When a
// profile's label cannot be built that way (a size too large for the new form), the target
// keeps its own settings and labels, and the user is told: the labels must match the settings.
void TakeOverDescription(CWexMaterial& target, const CWexMaterial& source)
{
    const DescriptionSettings own(target);
    const DescriptionSettings incoming(source);
    if (own == incoming) return;
    incoming.ApplyTo(target);
    try {
        target.UpdateAllLabels();
    } catch (const CWexException&) {
        own.ApplyTo(target);
        target.UpdateAllLabels();
        GetWindowServices().ShowMessage(u"U materiálu " + target.m_strName +
                                            u" nelze podle formátu popisu z projektu sestavit popisy všech "
                                            u"profilů, zůstává původní formát popisu.",
                                        kProgramTitle, MessageIcon::Warning, MessageButtons::Ok);
    }
}

// The incoming material's values that replace the main list's ones on "Ne" / "Ne všem".
// Name, profiles, users, owner and project index stay.
void TakeOverAttributes(CWexMaterial& target, const CWexMaterial& source)
{
    target.m_strDrawingName = source.m_strDrawingName;
    target.m_strDetail = source.m_strDetail;
    target.m_strManufacturer = source.m_strManufacturer;
    target.m_fRoughness = source.m_fRoughness;
    target.m_nGroup = source.m_nGroup;
    target.m_nPurposes = source.m_nPurposes;
    target.m_nPN = source.m_nPN;
    target.m_nSDR = source.m_nSDR;
    target.m_nShape = source.m_nShape;
    TakeOverDescription(target, source);
    target.SetModified();
}

} // namespace

void CWexSezMaterialu::ReconcileIncoming(CWexMaterial& existing, std::unique_ptr<CWexMaterial> incoming,
                                         bool projectMode)
{
    // A project's material only needs to be contained in the main list's one; a file's must
    // be the same.
    if (existing.Matches(*incoming, !projectMode)) return;

    std::uint32_t answer = m_nPromptAnswer;
    if (answer == kOverwriteNoAnswer)
        answer = static_cast<std::uint32_t>(
            AskOverwriteMaterial(OverwriteQuestion(incoming->m_strName), DifferencesText(existing, *incoming)));

    // Whatever the answer: the main list gains the sizes it lacked, and keeps its own values
    // for the sizes both have.
    existing.AddMissingProfiles(*incoming);
    if (answer & kOverwriteNo) {
        TakeOverAttributes(existing, *incoming);
        m_bUpdatedByReading = true;
    }
    if (answer & kOverwriteForAll) m_nPromptAnswer = answer;
}

void CWexSezMaterialu::FinishReading()
{
    if (!std::exchange(m_bUpdatedByReading, false)) return;
    if (GetWindowServices().ShowMessage(kSaveQuestion, u"Uložit materiály?", MessageIcon::Question,
                                        MessageButtons::YesNo, MessageOwner::ActiveWindow) == IDYES)
        SaveToFile();
}
