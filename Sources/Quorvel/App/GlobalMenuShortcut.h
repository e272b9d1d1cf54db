#pragma once

#include "Platform/HotKeyBackend.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace quorvel {

// Alt+Super+L opens the tray menu from any application.
class GlobalMenuShortcut {
public:
    static constexpr std::uint32_t hotKeyID = 1;

    GlobalMenuShortcut(std::function<void()> action, std::unique_ptr<HotKeyBackend> backend);

    // Installs the handler, then grabs the key; on a failed grab the handler is removed again.
    // (`register` is a reserved word in C++.)
    bool registerShortcut();
    // What the application does at shut-down: ungrabs a registered key, removes an installed handler
    // and forgets both.
    void unregisterAtShutdown();

    bool hasHotKey() const { return hotKey_; }
    bool hasHandler() const { return handler_; }

    // A press delivered by the backend: only our id runs the action.
    void handle(std::uint32_t pressedID) const;

private:
    std::function<void()> action_;
    std::unique_ptr<HotKeyBackend> backend_;
    bool hotKey_ = false;
    bool handler_ = false;
};

} // namespace quorvel
