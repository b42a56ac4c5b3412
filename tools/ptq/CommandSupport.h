#pragma once
// What the commands of ptq share: reading a catalog file as the program does, and reporting.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

class CWexFileError;
class CWexSezMaterialu;

// The file a command-line name (UTF-8) stands for. Never through the narrow code page, so
// that names outside it work on Windows too.
std::filesystem::path FilePath(const std::string& name);

// "ptq: TEXT" on standard error.
void Error(const std::string& text);

// A file failure as the program shows it, then a line with the cause and the path.
void ReportFileError(const CWexFileError& e, bool writing);

// Reads a catalog file as the program does and returns its version; nullopt (reported) when
// reading failed. Materials read completely before a failure stay in `catalog`.
std::optional<int> ReadReported(const std::string& path, CWexSezMaterialu& catalog);

std::size_t ProfileCount(const CWexSezMaterialu& catalog);
