#pragma once

#include "Platform/HotKeyBackend.h"

namespace quorvel::testing {

// Grants or refuses the grab as told; a test presses the key through `press`.
class FixedHotKeyBackend final : public HotKeyBackend {
public:
    explicit FixedHotKeyBackend(bool grants) : grants_(grants) {}

    bool installHandler(Handler handler) override {
        handler_ = std::move(handler);
        return true;
    }
    void removeHandler() override { handler_ = nullptr; }
    bool registerHotKey(std::uint32_t id) override {
        registeredID_ = id;
        return grants_;
    }
    void unregisterHotKey() override { ++unregistered_; }

    void press() const {
        if (handler_)
            handler_(registeredID_);
    }
    bool hasHandler() const { return bool(handler_); }
    int unregistered() const { return unregistered_; }

private:
    bool grants_;
    Handler handler_;
    std::uint32_t registeredID_ = 0;
    int unregistered_ = 0;
};

} // namespace quorvel::testing
