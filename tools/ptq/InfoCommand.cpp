// ptq info: the catalog version and the numbers of materials and profiles.

#include "CommandSupport.h"
#include "Commands.h"

#include "CWexSezMaterialu.h"

#include <cstdio>

int RunInfo(const Options& options)
{
    CWexSezMaterialu catalog;
    auto version = ReadReported(options.input, catalog);
    if (!version) return 1;
    std::printf("version: %d\nmaterials: %zu\nprofiles: %zu\n", *version, catalog.m_materials.size(),
                ProfileCount(catalog));
    return 0;
}
