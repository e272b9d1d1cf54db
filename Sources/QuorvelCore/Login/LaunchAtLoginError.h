#pragma once

#include <exception>

namespace quorvel {

// The login-item service holds the item but the user still has to allow it.
class LaunchAtLoginError : public std::exception {
public:
    enum class Code { needsApproval };

    explicit LaunchAtLoginError(Code code) : code_(code) {}
    static LaunchAtLoginError needsApproval() { return LaunchAtLoginError(Code::needsApproval); }

    Code code() const { return code_; }
    const char* what() const noexcept override {
        return "Your desktop needs you to allow Quorvel in its autostart settings.";
    }
    bool operator==(const LaunchAtLoginError& other) const { return code_ == other.code_; }

private:
    Code code_;
};

} // namespace quorvel
