#pragma once
// The JSON value type of ptq and its text form.
//
// Floats are 32-bit, as in the catalog: the parser reads a number straight into a float
// (no detour through double), and the writer prints the shortest text that reads back to
// the same float. Object members keep their order.

#include <nlohmann/json.hpp>

#include <stdexcept>
#include <string>

using Json = nlohmann::basic_json<nlohmann::ordered_map, std::vector, std::string, bool, std::int64_t,
                                  std::uint64_t, float>;

// Text that is not JSON; the message says where.
class JsonSyntaxError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Parses a JSON text. Every number with a fraction or an exponent becomes the float nearest
// to its text (a value beyond the float range becomes an infinity, for the caller to refuse
// with the field's name). Throws JsonSyntaxError.
Json ParseJsonText(const std::string& text);

// Pretty-printed with two-space indentation and a final newline. A float that is not
// finite has no JSON form and is written as null.
std::string ToJsonText(const Json& value);

// The shortest text of a float that reads back to the same float ("0.01", "100", "1e-05").
std::string FloatText(float value);
