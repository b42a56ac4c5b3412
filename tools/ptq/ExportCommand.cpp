// ptq export: the catalog as JSON.

#include "CatalogJson.h"
#include "CommandSupport.h"
#include "Commands.h"

#include "CWexSezMaterialu.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace {

bool WriteText(const std::string& path, const std::string& text)
{
    {
        std::ofstream out(FilePath(path), std::ios::binary | std::ios::trunc);
        if (out && out.write(text.data(), static_cast<std::streamsize>(text.size())) && out.flush()) return true;
    }
    std::error_code ignored;
    std::filesystem::remove(FilePath(path), ignored); // no half-written export is left behind
    return false;
}

} // namespace

int RunExport(const Options& options)
{
    CWexSezMaterialu catalog;
    auto version = ReadReported(options.input, catalog);
    if (!version) return 1;
    if (options.format && *options.format != TableFormat::Json) return RunTableExport(options, catalog, *version);
    std::string text = ToJsonText(CatalogToJson(catalog, *version));
    if (!options.output) {
        std::fwrite(text.data(), 1, text.size(), stdout);
        if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
            Error("cannot write the standard output");
            return 1;
        }
        return 0;
    }
    if (!WriteText(*options.output, text)) {
        Error("cannot write " + *options.output);
        return 1;
    }
    return 0;
}
