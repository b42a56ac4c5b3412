#pragma once
// The catalog as JSON and back.

#include "JsonText.h"

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>

class CWexSezMaterialu;

// The catalog as export writes it: `version` is the version of the file read; materials in
// the order in which the file held them (their project indexes, which the reader sets to
// the record positions), profiles in DN order.
Json CatalogToJson(const CWexSezMaterialu& catalog, int version);

// A JSON catalog that cannot be taken; the text names the material and the field. The
// positions (from 0) and the field's name say the same for a caller that points elsewhere,
// such as a spreadsheet's row and column.
class JsonImportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    JsonImportError(const std::string& text, std::optional<std::size_t> material, std::optional<std::size_t> profile,
                    std::string field, std::string problem)
        : std::runtime_error(text), material(material), profile(profile), field(std::move(field)),
          problem(std::move(problem))
    {
    }

    std::optional<std::size_t> material; // the material's position in "materials"
    std::optional<std::size_t> profile;  // the profile's position in its "profiles"
    std::string field;                   // empty when the whole object is at fault
    std::string problem;                 // the text without the place
};

// Fills the empty `catalog` from a JSON catalog. Throws JsonImportError at the first value
// that is missing, of the wrong type or out of range; `catalog` is then unusable.
void JsonToCatalog(const Json& document, CWexSezMaterialu& catalog);
