#pragma once

#include <exception>

namespace quorvel {

// An integration selection with neither provider chosen.
class IntegrationSetupError : public std::exception {
public:
    enum class Code { providerRequired };

    explicit IntegrationSetupError(Code code) : code_(code) {}
    static IntegrationSetupError providerRequired() { return IntegrationSetupError(Code::providerRequired); }

    Code code() const { return code_; }
    const char* what() const noexcept override { return "Choose Codex, Claude Code, or both."; }
    bool operator==(const IntegrationSetupError& other) const { return code_ == other.code_; }

private:
    Code code_;
};

} // namespace quorvel
