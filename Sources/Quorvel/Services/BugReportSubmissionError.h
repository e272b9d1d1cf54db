#pragma once

#include <QString>
#include <exception>
#include <string>

namespace quorvel {

// Why an issue report was not accepted. what() is the text shown to the user.
class BugReportSubmissionError : public std::exception {
public:
    enum class Code { server, invalidServer, insecureServer, invalidReport, invalidResponse, unavailable };

    // The service's own reason, cut to its first 500 characters; the fallback text when it is blank.
    static BugReportSubmissionError server(const std::string& text);
    static BugReportSubmissionError invalidServer() { return BugReportSubmissionError(Code::invalidServer); }
    static BugReportSubmissionError insecureServer() {
        return BugReportSubmissionError(Code::insecureServer);
    }
    static BugReportSubmissionError invalidReport() { return BugReportSubmissionError(Code::invalidReport); }
    static BugReportSubmissionError invalidResponse() {
        return BugReportSubmissionError(Code::invalidResponse);
    }
    static BugReportSubmissionError unavailable() { return BugReportSubmissionError(Code::unavailable); }

    static constexpr std::size_t maximumServerTextCharacters = 500;
    static const char* fallbackServerText() { return "The report was not accepted. Please try again."; }

    Code code() const { return code_; }
    const char* what() const noexcept override { return description_.c_str(); }
    QString description() const { return QString::fromStdString(description_); }
    bool operator==(const BugReportSubmissionError& other) const {
        return code_ == other.code_ && description_ == other.description_;
    }

private:
    explicit BugReportSubmissionError(Code code);
    BugReportSubmissionError(Code code, std::string description)
        : code_(code), description_(std::move(description)) {}

    Code code_;
    std::string description_;
};

} // namespace quorvel
