#include "Support/Json.h"

namespace quorvel {
namespace {

std::string missingKey(std::string_view key) {
    return "No value for key \"" + std::string(key) + "\"";
}
std::string wrongType(std::string_view key) {
    return "Wrong type for key \"" + std::string(key) + "\"";
}

std::optional<simdjson::dom::element> member(simdjson::dom::object object, std::string_view key) {
    simdjson::dom::element value;
    if (object.at_key(key).get(value) != simdjson::SUCCESS)
        return std::nullopt;
    return value;
}

} // namespace

JsonParser::JsonParser() = default;

// Allocated at the first parse: the refresh makes parsers that find everything in its caches.
simdjson::dom::parser& JsonParser::ready() {
    if (!allocated_) {
        if (parser_.allocate(4096, maxDepth) != simdjson::SUCCESS)
            throw std::bad_alloc();
        allocated_ = true;
    }
    return parser_;
}

simdjson::dom::element JsonParser::parse(std::string_view text) {
    simdjson::dom::element element;
    const auto error = ready().parse(text.data(), text.size(), true).get(element);
    if (error != simdjson::SUCCESS)
        throw JsonParseError(std::string("The data is not valid JSON: ") + simdjson::error_message(error));
    return element;
}

std::optional<simdjson::dom::element> JsonParser::tryParse(std::string_view text) {
    simdjson::dom::element element;
    if (ready().parse(text.data(), text.size(), true).get(element) != simdjson::SUCCESS)
        return std::nullopt;
    return element;
}

std::optional<simdjson::dom::object> JsonParser::tryParseObject(std::string_view text) {
    auto element = tryParse(text);
    simdjson::dom::object object;
    if (!element || element->get_object().get(object) != simdjson::SUCCESS)
        return std::nullopt;
    return object;
}

namespace JsonValue {

std::optional<std::string_view> string(simdjson::dom::object object, std::string_view key) {
    auto value = member(object, key);
    std::string_view text;
    if (!value || value->get_string().get(text) != simdjson::SUCCESS)
        return std::nullopt;
    return text;
}

std::optional<simdjson::dom::object> object(simdjson::dom::object object, std::string_view key) {
    auto value = member(object, key);
    simdjson::dom::object result;
    if (!value || value->get_object().get(result) != simdjson::SUCCESS)
        return std::nullopt;
    return result;
}

std::optional<simdjson::dom::array> array(simdjson::dom::object object, std::string_view key) {
    auto value = member(object, key);
    simdjson::dom::array result;
    if (!value || value->get_array().get(result) != simdjson::SUCCESS)
        return std::nullopt;
    return result;
}

std::optional<bool> boolean(simdjson::dom::object object, std::string_view key) {
    auto value = member(object, key);
    bool result = false;
    if (!value || value->get_bool().get(result) != simdjson::SUCCESS)
        return std::nullopt;
    return result;
}

std::optional<double> number(simdjson::dom::element element) {
    if (!element.is_number())
        return std::nullopt;
    double result = 0;
    if (element.get_double().get(result) != simdjson::SUCCESS)
        return std::nullopt;
    return result;
}

std::optional<double> number(simdjson::dom::object object, std::string_view key) {
    auto value = member(object, key);
    return value ? number(*value) : std::nullopt;
}

bool isNull(simdjson::dom::object object, std::string_view key) {
    auto value = member(object, key);
    return value && value->is_null();
}

bool has(simdjson::dom::object object, std::string_view key) {
    auto value = member(object, key);
    return value && !value->is_null();
}

std::string_view requiredString(simdjson::dom::object object, std::string_view key) {
    if (!member(object, key))
        throw JsonDecodeError(missingKey(key));
    if (auto text = string(object, key))
        return *text;
    throw JsonDecodeError(wrongType(key));
}

double requiredNumber(simdjson::dom::object object, std::string_view key) {
    if (!member(object, key))
        throw JsonDecodeError(missingKey(key));
    if (auto value = number(object, key))
        return *value;
    throw JsonDecodeError(wrongType(key));
}

bool requiredBoolean(simdjson::dom::object object, std::string_view key) {
    if (!member(object, key))
        throw JsonDecodeError(missingKey(key));
    if (auto value = boolean(object, key))
        return *value;
    throw JsonDecodeError(wrongType(key));
}

std::optional<std::string_view> optionalString(simdjson::dom::object object, std::string_view key) {
    if (!has(object, key))
        return std::nullopt;
    return requiredString(object, key);
}

std::optional<double> optionalNumber(simdjson::dom::object object, std::string_view key) {
    if (!has(object, key))
        return std::nullopt;
    return requiredNumber(object, key);
}

std::optional<bool> optionalBoolean(simdjson::dom::object object, std::string_view key) {
    if (!has(object, key))
        return std::nullopt;
    return requiredBoolean(object, key);
}

simdjson::dom::object requireObject(simdjson::dom::element element) {
    simdjson::dom::object object;
    if (element.get_object().get(object) != simdjson::SUCCESS)
        throw JsonDecodeError("Expected a JSON object");
    return object;
}

} // namespace JsonValue

namespace JsonText {

std::string compact(const nlohmann::json& value) {
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string prettySorted(const nlohmann::json& value) {
    return value.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
}

namespace {
template <typename Document> Document parseValidated(std::string_view text) {
    JsonParser validator;
    validator.parse(text);
    try {
        return Document::parse(text);
    } catch (const nlohmann::json::exception& error) {
        throw JsonParseError(error.what());
    }
}
} // namespace

nlohmann::ordered_json parseEditable(std::string_view text) {
    return parseValidated<nlohmann::ordered_json>(text);
}

namespace {
// Built from the validated document itself: one parse instead of two.
nlohmann::json converted(simdjson::dom::element element) {
    switch (element.type()) {
    case simdjson::dom::element_type::ARRAY: {
        nlohmann::json result = nlohmann::json::array();
        const simdjson::dom::array children = element.get_array().value_unsafe();
        for (simdjson::dom::element child : children)
            result.push_back(converted(child));
        return result;
    }
    case simdjson::dom::element_type::OBJECT: {
        nlohmann::json result = nlohmann::json::object();
        const simdjson::dom::object fields = element.get_object().value_unsafe();
        for (simdjson::dom::key_value_pair field : fields)
            result[std::string(field.key)] = converted(field.value); // the last of repeated keys wins
        return result;
    }
    case simdjson::dom::element_type::INT64:
        return element.get_int64().value_unsafe();
    case simdjson::dom::element_type::UINT64:
        return element.get_uint64().value_unsafe();
    case simdjson::dom::element_type::DOUBLE:
        return element.get_double().value_unsafe();
    case simdjson::dom::element_type::STRING:
        return std::string(element.get_string().value_unsafe());
    case simdjson::dom::element_type::BOOL:
        return element.get_bool().value_unsafe();
    case simdjson::dom::element_type::NULL_VALUE:
        return nullptr;
    }
    return nullptr;
}
} // namespace

nlohmann::json parseEditableSorted(std::string_view text) {
    JsonParser parser;
    return converted(parser.parse(text));
}

std::string pretty(const nlohmann::ordered_json& value) {
    return value.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
}

} // namespace JsonText
} // namespace quorvel
