#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <simdjson.h>
#include <stdexcept>
#include <string>
#include <string_view>

namespace quorvel {

// A JSON text that does not parse strictly: invalid UTF-8, trailing content, incomplete input,
// nesting deeper than JsonParser::maxDepth.
class JsonParseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// JSON that parses but does not hold what a decoder needs (a missing key, a wrong type).
class JsonDecodeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Strict reading with simdjson's DOM API. One parser is reused across documents; an element stays
// valid until the next parse() on the same parser. Not thread-safe: give each thread its own.
class JsonParser {
public:
    static constexpr std::size_t maxDepth = 256;

    JsonParser();
    // Throws JsonParseError.
    simdjson::dom::element parse(std::string_view text);
    // Nothing for text that does not parse.
    std::optional<simdjson::dom::element> tryParse(std::string_view text);
    // Nothing for text that does not parse or whose top level is not an object.
    std::optional<simdjson::dom::object> tryParseObject(std::string_view text);

private:
    simdjson::dom::parser& ready();

    simdjson::dom::parser parser_;
    bool allocated_ = false;
};

// Small typed accessors over simdjson values; nothing when the key is missing or of another type.
namespace JsonValue {
std::optional<std::string_view> string(simdjson::dom::object object, std::string_view key);
std::optional<simdjson::dom::object> object(simdjson::dom::object object, std::string_view key);
std::optional<simdjson::dom::array> array(simdjson::dom::object object, std::string_view key);
std::optional<bool> boolean(simdjson::dom::object object, std::string_view key);
// Any JSON number (integer or not) as a double.
std::optional<double> number(simdjson::dom::object object, std::string_view key);
std::optional<double> number(simdjson::dom::element element);
bool isNull(simdjson::dom::object object, std::string_view key);
// Present and not null.
bool has(simdjson::dom::object object, std::string_view key);

// The decoder's rules for a required field: missing or of another type is a JsonDecodeError.
std::string_view requiredString(simdjson::dom::object object, std::string_view key);
double requiredNumber(simdjson::dom::object object, std::string_view key);
bool requiredBoolean(simdjson::dom::object object, std::string_view key);
// Optional fields: absent or null gives nothing, another type is a JsonDecodeError.
std::optional<std::string_view> optionalString(simdjson::dom::object object, std::string_view key);
std::optional<double> optionalNumber(simdjson::dom::object object, std::string_view key);
std::optional<bool> optionalBoolean(simdjson::dom::object object, std::string_view key);
// Requires an object at the top level (JsonDecodeError otherwise).
simdjson::dom::object requireObject(simdjson::dom::element element);
} // namespace JsonValue

// Writing and editing with nlohmann::json.
namespace JsonText {
// No white space; keys in the order of the value (sorted for nlohmann::json).
std::string compact(const nlohmann::json& value);
// Indented by two spaces, one key per line, keys sorted.
std::string prettySorted(const nlohmann::json& value);
// Strict parse for documents that are edited and written back (key order kept, integers exact).
// Validates with simdjson first (UTF-8, depth); throws JsonParseError.
nlohmann::ordered_json parseEditable(std::string_view text);
// The same for documents written back with sorted keys. Key lookups stay logarithmic, where the ordered
// form searches linearly and grows quadratic on objects with many keys.
nlohmann::json parseEditableSorted(std::string_view text);
std::string pretty(const nlohmann::ordered_json& value);
} // namespace JsonText

} // namespace quorvel
