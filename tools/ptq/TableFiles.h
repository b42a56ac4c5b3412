#pragma once
// Reading the spreadsheet files of the commands, and reporting what is wrong in them.

#include "Options.h"
#include "SpreadsheetTable.h"

#include <optional>
#include <string>
#include <vector>

// The whole file; nullopt when it cannot be read.
std::optional<std::string> ReadBytes(const std::string& path);

// A CSV or XLSX file by its extension, with the --delimiter, --decimal and --encoding of
// `options`; `headers` are those a CSV delimiter is recognised by. Throws TableError.
Table ReadTableFile(const std::string& path, const Options& options, const std::vector<std::string>& headers);

// "ptq: FILE: row R, column C (HEADER): PROBLEM" and `consequence` (such as "; nothing written").
void ReportTableError(const std::string& file, const TableError& e, const std::string& consequence);
