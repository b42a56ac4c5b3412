#pragma once
// What the fuzz targets share: the bytes a catalog saves as, to check that whatever a reader
// accepted loads back to the same file.

#include "CWexArchive.h"
#include "CWexSezMaterialu.h"

#include <cstdint>
#include <vector>

// The bytes of `catalog` written as a catalog file.
inline std::vector<std::uint8_t> CatalogFileBytes(CWexSezMaterialu& catalog)
{
    std::vector<std::uint8_t> bytes;
    MemorySink sink(bytes);
    CWexArchive ar(sink);
    catalog.WriteTo(ar, false);
    ar.Close();
    return bytes;
}
