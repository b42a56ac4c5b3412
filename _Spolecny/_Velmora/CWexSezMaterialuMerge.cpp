// Merging the changes another program saved to the user catalog since this catalog read it:
// a three-way merge of materials by name against the version that was read.

#include "CWexArchive.h"
#include "CWexFunkce.h"
#include "CWexSezMaterialu.h"
#include "TaskButtons.h"

#include <set>
#include <utility>

namespace {

const std::u16string kMergeInstruction =
    u"Materiál byl mezitím změněn i v souboru\nUložit materiál podle tohoto okna?";

using Record = std::vector<std::uint8_t>;

// A material's record as the file holds it; empty for no material. Two materials are the
// same when their records are: every field and every profile, to the bit.
Record RecordOf(const CWexMaterial* material)
{
    Record bytes;
    if (!material) return bytes;
    MemorySink sink(bytes);
    CWexArchive ar(sink);
    // Storing in file mode changes nothing in the material.
    const_cast<CWexMaterial*>(material)->Serialize(ar, false);
    ar.Close();
    return bytes;
}

bool InUse(const CWexMaterial& material)
{
    if (material.IsUsed()) return true;
    for (const auto& [dn, profile] : material.m_profiles) {
        if (profile->IsUsed()) return true;
    }
    return false;
}

std::u16string ConflictText(const std::u16string& name, bool here, bool there, const std::u16string& fileName)
{
    std::u16string text = u"Materiál " + name;
    if (!here)
        text += u" byl v tomto okně vymazán, v souboru " + fileName + u" jej však mezitím změnil jiný uživatel.";
    else if (!there)
        text += u" byl v tomto okně změněn, ze souboru " + fileName + u" jej však mezitím vymazal jiný uživatel.";
    else
        text += u" byl změněn v tomto okně a mezitím jinak i v souboru " + fileName + u".";
    text += here ? u"\nAno - uloží se materiál z tohoto okna" : u"\nAno - materiál bude vymazán";
    text += there ? u"\nNe - ponechá se materiál ze souboru" : u"\nNe - materiál bude vymazán";
    return text;
}

} // namespace

void CWexSezMaterialu::MergeChangesSince(const CWexSezMaterialu& base, const CWexSezMaterialu& theirs,
                                         const std::u16string& fileName, MergeReport& report)
{
    std::set<std::u16string> names;
    for (const CWexSezMaterialu* catalog : {&base, &theirs, static_cast<const CWexSezMaterialu*>(this)}) {
        for (const auto& [name, material] : catalog->m_materials) names.insert(name);
    }

    // Every question is asked before anything changes, so that a view of this catalog shows
    // whole materials while the user answers.
    std::vector<std::pair<std::u16string, const CWexMaterial*>> toTake;
    std::uint32_t answerForAll = kOverwriteNoAnswer;
    for (const std::u16string& name : names) {
        const CWexMaterial* there = theirs.Find(name);
        const CWexMaterial* here = Find(name);
        const Record was = RecordOf(base.Find(name));
        const Record mine = RecordOf(here);
        const Record other = RecordOf(there);
        // The same on both sides, or changed here only: this catalog holds it already.
        if (other == mine || other == was) continue;
        if (mine != was) {
            std::uint32_t answer = answerForAll;
            if (answer == kOverwriteNoAnswer)
                answer = static_cast<std::uint32_t>(
                    AskFourButtonQuestion(kMergeInstruction, ConflictText(name, here, there, fileName)));
            if (answer & kOverwriteForAll) answerForAll = answer;
            // "Ano", and a question that could not be shown, keep what the user did here.
            if (!(answer & kOverwriteNo)) {
                report.keptHere.push_back(name);
                continue;
            }
        }
        if (here && InUse(*here)) {
            report.keptInUse.push_back(name);
            continue;
        }
        toTake.emplace_back(name, there);
    }

    for (const auto& [name, there] : toTake) {
        if (auto it = m_materials.find(name); it != m_materials.end()) {
            it->second->m_pCatalogOwner = nullptr;
            m_detached.push_back(std::move(it->second));
            m_materials.erase(it);
        }
        if (there) {
            m_materials.emplace(name, std::make_unique<CWexMaterial>(this, *there));
            report.taken.push_back(name);
        } else {
            report.removed.push_back(name);
        }
    }
    if (!toTake.empty()) m_bSaved = false;
}
