#include "App/GlobalMenuShortcut.h"

namespace quorvel {

GlobalMenuShortcut::GlobalMenuShortcut(std::function<void()> action, std::unique_ptr<HotKeyBackend> backend)
    : action_(std::move(action)), backend_(std::move(backend)) {}

bool GlobalMenuShortcut::registerShortcut() {
    if (!backend_->installHandler([this](std::uint32_t id) { handle(id); }))
        return false;
    handler_ = true;
    if (backend_->registerHotKey(hotKeyID)) {
        hotKey_ = true;
        return true;
    }
    backend_->removeHandler();
    handler_ = false;
    return false;
}

void GlobalMenuShortcut::unregisterAtShutdown() {
    if (hotKey_)
        backend_->unregisterHotKey();
    if (handler_)
        backend_->removeHandler();
    hotKey_ = false;
    handler_ = false;
}

void GlobalMenuShortcut::handle(std::uint32_t pressedID) const {
    if (pressedID == hotKeyID && action_)
        action_();
}

} // namespace quorvel
