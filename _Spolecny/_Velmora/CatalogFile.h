#pragma once
// Whole catalog files in one call: for the catalog's own load and save, and for ptq.

#include "CWexFileError.h"

#include <filesystem>

class CWexSezMaterialu;

// Reads a whole catalog file into `catalog` (adds to what it holds, reconciling names already
// present), closes it, and then offers to save the main list when the reading updated it.
// Returns the catalog record's version byte. Throws CWexFileError (cannot open, locked,
// truncated, read error) or CWexException (newer version, duplicate DN, unterminated text ...).
int ReadCatalogFile(const std::filesystem::path& path, CWexSezMaterialu& catalog, bool projectMode = false);
// Writes the catalog in the current versions, replacing the file atomically. Throws CWexFileError.
void WriteCatalogFile(const std::filesystem::path& path, CWexSezMaterialu& catalog);
