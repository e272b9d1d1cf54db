#include "Login/LaunchAtLoginManager.h"

#include "Login/AutostartEntry.h"
#include "Login/LaunchAtLoginError.h"

namespace quorvel {

namespace {

LaunchAtLoginState autostartStatus() {
    try {
        return AutostartEntry::forCurrentExecutable().status();
    } catch (...) {
        return LaunchAtLoginState::disabled;
    }
}

void openAutostartFolder() {
    try {
        AutostartEntry::forCurrentExecutable().openFolder();
    } catch (...) {
        // Nothing to show when the folder cannot even be named.
    }
}

} // namespace

LaunchAtLoginManager::LaunchAtLoginManager() : LaunchAtLoginManager(openAutostartFolder) {}

LaunchAtLoginManager::LaunchAtLoginManager(ServiceCall openSettings)
    : LaunchAtLoginManager(
          autostartStatus, [] { AutostartEntry::forCurrentExecutable().install(); },
          [] { AutostartEntry::forCurrentExecutable().remove(); }, std::move(openSettings)) {}

LaunchAtLoginManager::LaunchAtLoginManager(StatusProvider statusProvider, ServiceCall registerService,
                                           ServiceCall unregisterService, ServiceCall openSettings)
    : statusProvider_(std::move(statusProvider)), registerService_(std::move(registerService)),
      unregisterService_(std::move(unregisterService)), openSettings_(std::move(openSettings)) {}

LaunchAtLoginState LaunchAtLoginManager::state() const {
    return statusProvider_();
}

void LaunchAtLoginManager::setEnabled(bool enabled) {
    const LaunchAtLoginState current = state();
    if (enabled) {
        if (current == LaunchAtLoginState::needsApproval)
            throw LaunchAtLoginError::needsApproval();
        if (current == LaunchAtLoginState::disabled)
            registerThenCheck();
    } else if (current != LaunchAtLoginState::disabled) {
        unregisterService_();
    }
}

void LaunchAtLoginManager::registerThenCheck() {
    try {
        registerService_();
    } catch (...) {
        if (state() == LaunchAtLoginState::needsApproval)
            throw LaunchAtLoginError::needsApproval();
        throw;
    }
    if (state() == LaunchAtLoginState::needsApproval)
        throw LaunchAtLoginError::needsApproval();
}

void LaunchAtLoginManager::openSystemSettings() const {
    openSettings_();
}

} // namespace quorvel
