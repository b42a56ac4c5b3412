// libFuzzer target for the catalog reader in project mode: a main list that already holds
// materials reads a project's catalog record, so materials of a known name go through the
// reconciliation, and the questions it asks are answered from the input.
//
// Input: byte 0 picks the answer the host gives in advance (none, "Ano všem", "Ne všem" or a
// stray value), byte 1 says how many answers follow (0 to 7), then the answers, one byte each;
// the rest is the catalog record.
//
// Whatever is read and answered must not crash, leak or allocate beyond the data; every reading
// ends with no remembered answer; and the main list stays a catalog that saves and loads back
// to the same bytes.

#include "CWexArchive.h"
#include "CWexFileError.h"
#include "CWexFunkce.h"
#include "CWexSezMaterialu.h"
#include "ScriptedWindowServices.h"

#include "CatalogTestSupport.h"

#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

namespace {

CWexMaterial& AddMaterial(CWexSezMaterialu& catalog, const std::u16string& name, MaterialFilter filter)
{
    return *catalog.Insert(std::make_unique<CWexMaterial>(&catalog, name, filter)).first;
}

// The main list: the reference material of the committed catalog files (user-defined
// description with prefix and suffix), one described by D x t, one by DN.
const CWexSezMaterialu& MainList()
{
    static CWexSezMaterialu* list = [] {
        auto* catalog = new CWexSezMaterialu;
        CWexMaterial& kamenina = AddMaterial(*catalog, u"Kamenina", MaterialFilter{2, 5});
        kamenina.m_strDetail = u"Kameninové trouby";
        kamenina.m_strManufacturer = u"Keramo";
        kamenina.m_fRoughness = 0.25f;
        kamenina.m_nPN = 3;
        kamenina.m_nShape = 1;
        kamenina.m_nDescMode = DescUserDefined;
        kamenina.m_bInnerDiameter = true;
        CopyToBuffer(kamenina.m_szPrefix, CWexMaterial::kAffixUnits, u"DA");
        CopyToBuffer(kamenina.m_szSuffix, CWexMaterial::kAffixUnits, u"/x");
        for (int dn : {11, 15}) kamenina.AddProfile(dn);

        CWexMaterial& pvc = AddMaterial(*catalog, u"PVC", MaterialFilter{2, 1});
        pvc.m_strDetail = u"Kanalizační trubky hladké";
        pvc.m_fRoughness = 0.01f;
        pvc.m_nSDR = 4;
        for (int dn : {10, 11, 13}) pvc.AddProfile(dn);

        CWexMaterial& beton = AddMaterial(*catalog, u"Beton", MaterialFilter{1, 3});
        beton.m_nDescMode = DescByDn;
        beton.GenerateProfiles(8, 14);
        for (auto& [name, material] : catalog->m_materials) material->UpdateAllLabels();
        catalog->m_bSaved = true;
        return catalog;
    }();
    return *list;
}

// The codes a host's window services may return: the four buttons of the overwrite question,
// dismissal, no box, and codes no button of it carries.
constexpr int kAnswers[] = {2, 4, 16, 32, IDNONE, IDOK, IDYES, IDNO, -1, 0x7FFFFFFF, 64, 6 | 64};
constexpr std::uint32_t kPresets[] = {0, 66, 68, 4};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::span<const std::uint8_t> input(data, size);
    ScriptedWindowServices services;
    ScopedWindowServices scope(services);

    CWexSezMaterialu catalog;
    catalog.Assign(MainList());
    if (!input.empty()) {
        catalog.m_nPromptAnswer = kPresets[input[0] % std::size(kPresets)];
        input = input.subspan(1);
    }
    if (!input.empty()) {
        std::size_t count = input[0] % 8;
        input = input.subspan(1);
        for (; count > 0 && !input.empty(); --count, input = input.subspan(1))
            services.QueueAnswer(kAnswers[input[0] % std::size(kAnswers)]);
    }

    MemorySource source(input);
    CWexArchive ar(source);
    try {
        catalog.ReadRecord(ar, true);
    } catch (const CWexFileError&) {
    } catch (const CWexException&) {
    }
    if (catalog.m_nPromptAnswer != 0) std::abort();

    // The offer to save the main list is declined here: the fuzzer writes no files.
    ScriptedWindowServices decline;
    ScopedWindowServices declineScope(decline);
    decline.QueueAnswer(IDNO);
    catalog.FinishReading();

    const std::vector<std::uint8_t> first = WriteCatalog(catalog);
    CWexSezMaterialu again;
    MemorySource written(first);
    CWexArchive reread(written);
    again.ReadRecord(reread, false); // must not throw: a failure here aborts the run
    if (WriteCatalog(again) != first) std::abort();
    return 0;
}
