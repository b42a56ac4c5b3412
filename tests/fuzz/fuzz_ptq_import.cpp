// libFuzzer target for the JSON reader of `ptq import`: any bytes as the JSON text.
//
// The text is either refused with a syntax or an import message, or it becomes a catalog that
// the catalog reader takes as it stands (no value corrected, no message) and that saves and
// loads back to the same bytes; exported to JSON and imported again it gives the same file.
// Anything else (another exception, a crash, a leak) ends the run.

#include "CatalogJson.h"
#include "JsonText.h"

#include "CWexArchive.h"
#include "CWexSezMaterialu.h"
#include "ScriptedWindowServices.h"

#include "CatalogTestSupport.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Imports `text`; false when it is refused.
bool Import(const std::string& text, CWexSezMaterialu& catalog)
{
    try {
        JsonToCatalog(ParseJsonText(text), catalog);
        return true;
    } catch (const JsonSyntaxError&) {
    } catch (const JsonImportError&) {
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ScriptedWindowServices services;
    ScopedWindowServices scope(services);

    CWexSezMaterialu imported;
    if (!Import(std::string(reinterpret_cast<const char*>(data), size), imported)) return 0;
    const std::vector<std::uint8_t> file = WriteCatalog(imported);

    CWexSezMaterialu read;
    MemorySource source(file);
    CWexArchive ar(source);
    const int version = read.ReadFrom(ar, false); // must not throw: a failure here aborts the run
    if (!services.Prompts().empty()) std::abort(); // the reader corrected an imported value
    if (WriteCatalog(read) != file) std::abort();

    CWexSezMaterialu again;
    if (!Import(ToJsonText(CatalogToJson(read, version)), again)) std::abort();
    if (WriteCatalog(again) != file) std::abort();
    return 0;
}
