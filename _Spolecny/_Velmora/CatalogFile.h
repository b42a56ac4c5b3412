#pragma once
// Whole catalog files in one call: for the catalog's own load and save, and for ptq.

#include "CWexFileError.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

class CWexSezMaterialu;

// Reads a whole catalog file into `catalog` (adds to what it holds, reconciling names already
// present), closes it, and then offers to save the main list when the reading updated it.
// Returns the catalog record's version byte. Throws CWexFileError (cannot open, locked,
// truncated, read error) or CWexException (newer version, duplicate DN, unterminated text ...).
int ReadCatalogFile(const std::filesystem::path& path, CWexSezMaterialu& catalog, bool projectMode = false);
// Writes the catalog in the current versions, replacing the file atomically and keeping the
// replaced file among the backups. Throws CWexFileError.
void WriteCatalogFile(const std::filesystem::path& path, CWexSezMaterialu& catalog);

// The whole content of a file, read under its lock. Throws CWexFileError.
std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& path);
// Reads catalog bytes into `catalog` as ReadCatalogFile does; `name` names them in failures.
int ReadCatalogBytes(std::span<const std::uint8_t> bytes, const std::filesystem::path& name,
                     CWexSezMaterialu& catalog, bool projectMode = false);
// Reads catalog bytes into an empty `catalog` without a word to the user: a name listed twice
// keeps its first material, and what the readers would report is not shown. Throws as
// ReadCatalogFile does.
void ReadCatalogBytesQuietly(std::span<const std::uint8_t> bytes, const std::filesystem::path& name,
                             CWexSezMaterialu& catalog);
// Replaces the file atomically by `bytes`; with `keepBackups`, the replaced file is kept among
// the backups. Throws CWexFileError.
void WriteFileBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes, bool keepBackups);
