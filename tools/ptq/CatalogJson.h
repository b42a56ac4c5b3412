#pragma once
// The catalog as JSON and back.

#include "JsonText.h"

#include <stdexcept>
#include <string>

class CWexSezMaterialu;

// The catalog as export writes it: `version` is the version of the file read; materials in
// the order in which the file held them (their project indexes, which the reader sets to
// the record positions), profiles in DN order.
Json CatalogToJson(const CWexSezMaterialu& catalog, int version);

// A JSON catalog that cannot be taken; the text names the material and the field.
class JsonImportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Fills the empty `catalog` from a JSON catalog. Throws JsonImportError at the first value
// that is missing, of the wrong type or out of range; `catalog` is then unusable.
void JsonToCatalog(const Json& document, CWexSezMaterialu& catalog);
