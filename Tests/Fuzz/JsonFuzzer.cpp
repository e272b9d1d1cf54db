// The strict JSON reader that every file of the system and of the watched apps goes through.
#include "FuzzSupport.h"
#include "Support/Json.h"
#include "Support/Unicode.h"

using namespace quorvel;
using fuzzing::require;

namespace {

std::size_t depth(simdjson::dom::element element) {
    std::size_t deepest = 0;
    simdjson::dom::array array;
    if (element.get_array().get(array) == simdjson::SUCCESS) {
        for (simdjson::dom::element child : array)
            deepest = std::max(deepest, depth(child));
        return deepest + 1;
    }
    simdjson::dom::object object;
    if (element.get_object().get(object) == simdjson::SUCCESS) {
        for (simdjson::dom::key_value_pair field : object)
            deepest = std::max(deepest, depth(field.value));
        return deepest + 1;
    }
    return 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzzing::bytes(data, size);
    JsonParser parser;
    const std::optional<simdjson::dom::element> element = parser.tryParse(text);
    if (!element)
        return 0;
    require(Unicode::isValidUtf8(text), "accepted text is UTF-8");
    require(depth(*element) <= JsonParser::maxDepth, "nesting is bounded");

    // What the editors write back from what they read is read again to the same value.
    const nlohmann::json sorted = JsonText::parseEditableSorted(text);
    const std::string written = JsonText::compact(sorted);
    require(JsonText::parseEditableSorted(written) == sorted, "the sorted editor's output reads back");
    require(JsonText::parseEditableSorted(JsonText::prettySorted(sorted)) == sorted,
            "the pretty output reads back");
    try {
        const nlohmann::ordered_json ordered = JsonText::parseEditable(text);
        require(JsonText::parseEditable(JsonText::pretty(ordered)) == ordered,
                "the ordered editor's output reads back");
    } catch (const JsonParseError&) {
        require(false, "what the strict reader accepts, the ordered editor accepts");
    }
    return 0;
}
