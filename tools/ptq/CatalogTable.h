#pragma once
// The catalog as a spreadsheet: one row per profile, the material's fields repeated on each of
// its rows (a material without profiles has one row with empty profile columns), Czech
// headers. The columns are those of the JSON export, so the conversion goes through it.

#include "JsonText.h"
#include "SpreadsheetTable.h"

#include <string>
#include <vector>

class CWexSezMaterialu;

// The headers of every column, in the order export writes them.
const std::vector<std::string>& CatalogTableHeaders();

// The catalog as export writes it (materials in file order, profiles in DN order).
Table CatalogToTable(const CWexSezMaterialu& catalog, int version);

// The table as the JSON document that import takes. Rows with the same name form one material,
// wherever they stand; its fields must agree on all of them. `decimal` is the decimal mark of
// text numbers (0: recognise it). Throws TableError naming the row and the column.
Json TableToJson(const Table& table, char decimal);

// Fills the empty `catalog` from the table, checking every value as import does. Throws
// TableError naming the row and the column.
void TableToCatalog(const Table& table, char decimal, CWexSezMaterialu& catalog);

// The number in a cell: the whole text, blanks around it allowed, with `decimal` as the
// decimal mark of text cells. nullopt when it is no number.
std::optional<float> CellFloat(const TableCell& cell, char decimal);

// The DN index of "100" or "DN 100"; nullopt when no row of the DN table has that size.
std::optional<int> DnIndexOf(const TableCell& cell, char decimal);

// The decimal mark of the text numbers in the given columns: ',' or '.' as they show, `given`
// when not 0. Throws TableError when both appear.
char RecogniseDecimal(const Table& table, const std::vector<std::size_t>& numberColumns, char given);
