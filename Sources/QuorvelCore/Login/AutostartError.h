#pragma once

#include <string>
#include <system_error>

namespace quorvel {

// A failed change of the autostart entry, told as a sentence with the path: "Quorvel could not save its
// autostart entry in /home/ada/.config/autostart: not a directory." The system's error code stays.
class AutostartError : public std::system_error {
public:
    AutostartError(std::error_code code, std::string sentence)
        : std::system_error(code), sentence_(std::move(sentence)) {}

    const char* what() const noexcept override { return sentence_.c_str(); }

private:
    std::string sentence_;
};

} // namespace quorvel
