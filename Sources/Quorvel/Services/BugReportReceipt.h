#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

// The support service's answer to an accepted report.
struct BugReportReceipt {
    std::string id;         // the report's reference, never empty
    bool emailSent = false; // whether the service's e-mail notification went out

    bool operator==(const BugReportReceipt&) const = default;

    // A JSON object with the text "id" and the Boolean "emailSent"; nothing when the body is not one,
    // or when "id" is empty.
    static std::optional<BugReportReceipt> decode(std::string_view body);
};

} // namespace quorvel
