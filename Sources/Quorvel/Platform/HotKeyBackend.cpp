#include "Platform/HotKeyBackend.h"

namespace quorvel {

namespace {
// Where keys cannot be grabbed.
class UnavailableHotKeyBackend final : public HotKeyBackend {
public:
    bool installHandler(Handler) override { return true; }
    void removeHandler() override {}
    bool registerHotKey(std::uint32_t) override { return false; }
    void unregisterHotKey() override {}
};
} // namespace

std::unique_ptr<HotKeyBackend> HotKeyBackend::forThisDesktop() {
    return std::make_unique<UnavailableHotKeyBackend>();
}

} // namespace quorvel
