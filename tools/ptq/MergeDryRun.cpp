// ptq merge --dry-run: what a merge of FROM into INTO would meet, without writing anything.

#include "CommandSupport.h"
#include "Commands.h"

#include "CWexSezMaterialu.h"
#include "MaterialDifferences.h"
#include "TextConvert.h"

#include <algorithm>
#include <cstdio>
#include <vector>

int RunMergeDryRun(const Options& options)
{
    CWexSezMaterialu into;
    CWexSezMaterialu from;
    if (!ReadReported(options.input, into) || !ReadReported(options.from, from)) return 1;

    std::vector<const CWexMaterial*> incoming;
    for (const auto& [name, material] : from.m_materials) incoming.push_back(material.get());
    std::stable_sort(incoming.begin(), incoming.end(), [](const CWexMaterial* a, const CWexMaterial* b) {
        return a->m_nProjectIndex < b->m_nProjectIndex;
    });

    std::size_t added = 0;
    std::size_t differing = 0;
    for (const CWexMaterial* material : incoming) {
        const std::string name = "\"" + Utf16ToUtf8(material->m_strName) + "\"";
        auto existing = into.m_materials.find(material->m_strName);
        if (existing == into.m_materials.end()) {
            ++added;
            std::printf("new: %s, %zu profiles\n", name.c_str(), material->m_profiles.size());
            continue;
        }
        // The comparison of a merge: a material that agrees is dropped without a question.
        if (existing->second->Matches(*material, true)) continue;
        ++differing;
        std::printf("differs: %s (INTO -> FROM)\n", name.c_str());
        for (const std::u16string& line : DescribeDifferences(*existing->second, *material))
            std::printf("  %s\n", Utf16ToUtf8(line).c_str());
    }
    std::printf("%zu new materials, %zu differing, %zu the same; nothing written\n", added, differing,
                incoming.size() - added - differing);
    return 0;
}
