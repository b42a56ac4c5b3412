// ptq import: a catalog file of the current versions from JSON.

#include "CatalogJson.h"
#include "CommandSupport.h"
#include "Commands.h"

#include "CWexFileError.h"
#include "CWexFunkce.h"
#include "CWexSezMaterialu.h"
#include "CatalogFile.h"

#include <fstream>
#include <iostream>
#include <sstream>

namespace {

std::optional<std::string> ReadText(const std::string& path)
{
    std::ostringstream text;
    if (path == "-") {
        text << std::cin.rdbuf();
        if (std::cin.bad()) return std::nullopt;
        return std::move(text).str();
    }
    std::ifstream in(FilePath(path), std::ios::binary);
    if (!in) return std::nullopt;
    text << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return std::move(text).str();
}

} // namespace

int RunImport(const Options& options)
{
    if (options.input != "-" && FormatOfFile(options.input) != TableFormat::Json) return RunTableImport(options);
    auto text = ReadText(options.input);
    if (!text) {
        Error("cannot read " + options.input);
        return 1;
    }
    const std::string source = options.input == "-" ? "standard input" : options.input;
    CWexSezMaterialu catalog;
    try {
        JsonToCatalog(ParseJsonText(*text), catalog);
    } catch (const JsonSyntaxError& e) {
        Error(source + ": not valid JSON: " + e.what() + "; nothing written");
        return 1;
    } catch (const JsonImportError& e) {
        Error(source + ": " + e.what() + "; nothing written");
        return 1;
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
    return 0;
}
