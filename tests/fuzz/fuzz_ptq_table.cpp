// libFuzzer targets for the spreadsheet readers of `ptq import` and `ptq update-codes`: any
// bytes as a CSV file (fuzz_ptq_csv) or as an XLSX workbook (fuzz_ptq_xlsx).
//
// The bytes are either refused with a TableError (which names a row and a column where it
// can), or they become a catalog. A catalog from CSV is exported to CSV and imported again and
// must give the same file. Anything else (another exception, a crash, a leak) ends the run.

#include "CatalogTable.h"
#include "SpreadsheetTable.h"

#include "CWexSezMaterialu.h"
#include "ScriptedWindowServices.h"

#include "CatalogTestSupport.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

bool Import(const Table& table, CWexSezMaterialu& catalog)
{
    try {
        TableToCatalog(table, 0, catalog);
        return true;
    } catch (const TableError&) {
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ScriptedWindowServices services;
    ScopedWindowServices scope(services);
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    Table table;
    try {
#ifdef FUZZ_XLSX
        table = ReadXlsx(bytes);
#else
        table = ReadCsv(bytes, CsvFormat{}, CatalogTableHeaders());
#endif
    } catch (const TableError&) {
        return 0;
    }
    CWexSezMaterialu imported;
    if (!Import(table, imported)) return 0;
#ifndef FUZZ_XLSX
    const auto file = WriteCatalog(imported);
    CWexSezMaterialu again;
    if (!Import(ReadCsv(WriteCsv(CatalogToTable(imported, 3)), CsvFormat{}, CatalogTableHeaders()), again)) std::abort();
    if (WriteCatalog(again) != file) std::abort();
#endif
    return 0;
}
