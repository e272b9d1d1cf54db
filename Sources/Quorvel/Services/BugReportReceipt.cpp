#include "Services/BugReportReceipt.h"

#include "Support/Json.h"

namespace quorvel {

std::optional<BugReportReceipt> BugReportReceipt::decode(std::string_view body) {
    JsonParser parser;
    const auto object = parser.tryParseObject(body);
    if (!object)
        return std::nullopt;
    const auto id = JsonValue::string(*object, "id");
    const auto emailSent = JsonValue::boolean(*object, "emailSent");
    if (!id || id->empty() || !emailSent)
        return std::nullopt;
    return BugReportReceipt{std::string(*id), *emailSent};
}

} // namespace quorvel
