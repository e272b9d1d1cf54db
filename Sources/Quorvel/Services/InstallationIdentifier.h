#pragma once

#include <QString>

namespace quorvel {

class SettingsStore;

namespace InstallationIdentifier {

inline constexpr const char* settingsKey = "installationID";

// The UUID that identifies this installation to the support service: made once at random and kept in
// the settings; a stored value that is not a UUID is replaced by a new one.
QString current(SettingsStore& settings);

} // namespace InstallationIdentifier
} // namespace quorvel
