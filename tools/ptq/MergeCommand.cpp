// ptq merge: one catalog file read into another as the program merges a file, the result
// written to a third. How a maintainer merges a supplier's catalog into the company's.

#include "CommandSupport.h"
#include "Commands.h"
#include "ConsoleWindowServices.h"

#include "CWexFileError.h"
#include "CWexFunkce.h"
#include "CWexSezMaterialu.h"
#include "CatalogFile.h"

#include <cstdio>
#include <map>

int RunMerge(const Options& options, ConsoleWindowServices& services)
{
    if (options.dryRun) return RunMergeDryRun(options);
    // Every overwrite question takes the chosen button; the closing "Uložit materiály?"
    // is answered No, so the user catalog is never written.
    services.PressCustomButton(options.overwriteButton);
    services.AnswerYesNo(IDNO);

    CWexSezMaterialu catalog;
    if (!ReadReported(options.input, catalog)) return 1;
    std::map<std::u16string, std::size_t> before;
    for (const auto& [name, material] : catalog.m_materials) before.emplace(name, material->m_profiles.size());

    // A failure half way leaves the output as it was: a partial merge is no result.
    if (!ReadReported(options.from, catalog)) return 1;

    std::size_t newMaterials = 0;
    std::size_t addedProfiles = 0;
    for (const auto& [name, material] : catalog.m_materials) {
        auto known = before.find(name);
        if (known == before.end())
            ++newMaterials;
        else
            addedProfiles += material->m_profiles.size() - known->second;
    }

    try {
        WriteCatalogFile(FilePath(*options.output), catalog);
    } catch (const CWexFileError& e) {
        ReportFileError(e, true);
        return 1;
    } catch (const std::exception& e) {
        ShowException(e);
        return 1;
    }
    std::printf("%s: %zu materials, %zu profiles; %zu new materials, %zu profiles added to existing ones\n",
                options.output->c_str(), catalog.m_materials.size(), ProfileCount(catalog), newMaterials,
                addedProfiles);
    return 0;
}
