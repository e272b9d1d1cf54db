#pragma once

#include <QString>

// The keys of the user's settings.
namespace quorvel::SettingsKeys {

inline const QString activityWindowHours = QStringLiteral("activityWindowHours");
inline const QString soundsEnabled = QStringLiteral("soundsEnabled");
inline const QString codexIntegrationEnabled = QStringLiteral("codexIntegrationEnabled");
inline const QString claudeIntegrationEnabled = QStringLiteral("claudeIntegrationEnabled");
inline const QString integrationSetupCompleted = QStringLiteral("integrationSetupCompleted");
inline const QString integrationOnboardingVersion = QStringLiteral("integrationOnboardingVersion");

} // namespace quorvel::SettingsKeys
