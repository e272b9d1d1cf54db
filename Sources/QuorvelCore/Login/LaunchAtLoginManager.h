#pragma once

#include "Login/LaunchAtLoginState.h"

#include <functional>

namespace quorvel {

// Turns the user's wish to start at login into the one call of the login-item service that it needs.
// The state lives in the service and is read afresh every time.
class LaunchAtLoginManager {
public:
    using StatusProvider = std::function<LaunchAtLoginState()>;
    using ServiceCall = std::function<void()>;

    // The XDG autostart entry of the running executable; "open settings" opens the autostart folder.
    LaunchAtLoginManager();
    // The same service, with the application's own way of opening the autostart folder.
    explicit LaunchAtLoginManager(ServiceCall openSettings);
    LaunchAtLoginManager(StatusProvider statusProvider, ServiceCall registerService,
                         ServiceCall unregisterService, ServiceCall openSettings);

    LaunchAtLoginState state() const;
    // Throws LaunchAtLoginError::needsApproval or the service's own error.
    void setEnabled(bool enabled);
    void openSystemSettings() const;

private:
    void registerThenCheck();

    const StatusProvider statusProvider_;
    const ServiceCall registerService_;
    const ServiceCall unregisterService_;
    const ServiceCall openSettings_;
};

} // namespace quorvel
