#pragma once

#include <exception>

namespace quorvel {

// The shared error of the library's readers and stores. Written as text it is its bare case name.
class StatusError : public std::exception {
public:
    enum class Code { invalidID, invalidRecord };

    explicit StatusError(Code code) : code_(code) {}
    static StatusError invalidID() { return StatusError(Code::invalidID); }
    static StatusError invalidRecord() { return StatusError(Code::invalidRecord); }

    Code code() const { return code_; }
    const char* what() const noexcept override {
        return code_ == Code::invalidID ? "invalidID" : "invalidRecord";
    }
    bool operator==(const StatusError& other) const { return code_ == other.code_; }

private:
    Code code_;
};

} // namespace quorvel
