#pragma once

#include <exception>
#include <string>

namespace quorvel {

// A failure to bring an Orca pane to the front; what() is the message shown to the user.
class OrcaNavigationError : public std::exception {
public:
    enum class Case {
        failed,
        unavailable,
        invalidResponse,
        ambiguous,
        missingSession,
        timedOut,
        outputLimit
    };

    // Orca's own error code; the message does not show it.
    static OrcaNavigationError failed(std::string code) { return {Case::failed, std::move(code)}; }
    static OrcaNavigationError unavailable() { return {Case::unavailable}; }
    static OrcaNavigationError invalidResponse() { return {Case::invalidResponse}; }
    static OrcaNavigationError ambiguous() { return {Case::ambiguous}; }
    static OrcaNavigationError missingSession() { return {Case::missingSession}; }
    static OrcaNavigationError timedOut() { return {Case::timedOut}; }
    static OrcaNavigationError outputLimit() { return {Case::outputLimit}; }

    Case errorCase() const { return case_; }
    // Orca's code for `failed`, empty for the other cases.
    const std::string& code() const { return code_; }
    const char* what() const noexcept override;

    bool operator==(const OrcaNavigationError& other) const {
        return case_ == other.case_ && code_ == other.code_;
    }

private:
    OrcaNavigationError(Case errorCase, std::string code = {}) : case_(errorCase), code_(std::move(code)) {}

    Case case_;
    std::string code_;
};

} // namespace quorvel
