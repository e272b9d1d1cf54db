#pragma once

#include "Platform/HotKeyBackend.h"

#include <algorithm>
#include <string>
#include <vector>

namespace quorvel::testing {

// Records the calls in order and refuses what the test says; a test presses the key through `press`.
class FakeHotKeyBackend final : public HotKeyBackend {
public:
    bool installHandler(Handler handler) override {
        calls.push_back("installHandler");
        if (refusesHandler)
            return false;
        handler_ = std::move(handler);
        return true;
    }
    void removeHandler() override {
        calls.push_back("removeHandler");
        handler_ = nullptr;
    }
    bool registerHotKey(std::uint32_t id) override {
        calls.push_back("registerHotKey " + std::to_string(id));
        registeredID_ = id;
        return !refusesHotKey;
    }
    void unregisterHotKey() override { calls.push_back("unregisterHotKey"); }

    // A press of the registered key, or of the one with this id.
    void press() const { press(registeredID_); }
    void press(std::uint32_t id) const {
        if (handler_)
            handler_(id);
    }
    bool hasHandler() const { return bool(handler_); }
    int unregistered() const { return int(std::count(calls.begin(), calls.end(), "unregisterHotKey")); }

    bool refusesHandler = false;
    bool refusesHotKey = false;
    std::vector<std::string> calls;

private:
    Handler handler_;
    std::uint32_t registeredID_ = 0;
};

} // namespace quorvel::testing
