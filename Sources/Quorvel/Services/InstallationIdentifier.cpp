#include "Services/InstallationIdentifier.h"

#include "Platform/SettingsStore.h"
#include "Support/Uuid.h"

namespace quorvel::InstallationIdentifier {

QString current(SettingsStore& settings) {
    const QString key = QString::fromLatin1(settingsKey);
    if (const auto stored = settings.text(key); stored && Uuid::isUuidText(stored->toStdString()))
        return *stored;
    const QString made = QString::fromStdString(Uuid::random());
    settings.set(key, made);
    settings.sync();
    return made;
}

} // namespace quorvel::InstallationIdentifier
