// libFuzzer target for the catalog reader: any bytes, read as a catalog file in file mode.
// Whatever is read must not crash, leak or allocate beyond the data; and what the reader
// accepted must write out and read back to the same bytes.

#include "CWexArchive.h"
#include "CWexFileError.h"
#include "CWexFunkce.h"
#include "CWexSezMaterialu.h"
#include "ScriptedWindowServices.h"

#include "CatalogTestSupport.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Corrected profiles are reported in message boxes: recorded, never shown.
    static ScriptedWindowServices services;
    static ScopedWindowServices scope(services);
    services.ClearPrompts();

    CWexSezMaterialu catalog;
    MemorySource source(std::span(data, size));
    CWexArchive ar(source);
    try {
        catalog.ReadFrom(ar, false);
    } catch (const CWexFileError&) {
    } catch (const CWexException&) {
    }

    // What was read (completely or up to a failure) is a catalog this program can save and
    // load again, to the same bytes.
    const std::vector<std::uint8_t> first = WriteCatalog(catalog);
    CWexSezMaterialu again;
    MemorySource written(first);
    CWexArchive reread(written);
    again.ReadFrom(reread, false); // must not throw: a failure here aborts the run
    if (WriteCatalog(again) != first) std::abort();
    return 0;
}
