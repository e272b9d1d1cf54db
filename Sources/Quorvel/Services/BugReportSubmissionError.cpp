#include "Services/BugReportSubmissionError.h"

#include "Support/Unicode.h"

namespace quorvel {
namespace {

const char* fixedDescription(BugReportSubmissionError::Code code) {
    using Code = BugReportSubmissionError::Code;
    switch (code) {
    case Code::server:
        return BugReportSubmissionError::fallbackServerText();
    case Code::invalidServer:
        return "The Quorvel support service is not configured.";
    case Code::insecureServer:
        return "The support service must use HTTPS.";
    case Code::invalidReport:
        return "Check the report details and screenshot, then try again.";
    case Code::invalidResponse:
        return "The support service returned an invalid response.";
    case Code::unavailable:
        return "The report could not be sent. Check your connection and try again.";
    }
    return "";
}

} // namespace

BugReportSubmissionError::BugReportSubmissionError(Code code)
    : code_(code), description_(fixedDescription(code)) {}

BugReportSubmissionError BugReportSubmissionError::server(const std::string& text) {
    if (Unicode::trimmed(text).empty())
        return BugReportSubmissionError(Code::server, fallbackServerText());
    return BugReportSubmissionError(
        Code::server, Unicode::graphemePrefix(Unicode::repairedUtf8(text), maximumServerTextCharacters));
}

} // namespace quorvel
