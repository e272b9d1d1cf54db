#include "Platform/SettingsStore.h"

#include <QSettings>

namespace quorvel {

SettingsStore::SettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            QStringLiteral("Quorvel"), QStringLiteral("Quorvel"))) {}

SettingsStore::SettingsStore(const QString& iniFile)
    : settings_(std::make_unique<QSettings>(iniFile, QSettings::IniFormat)) {}

SettingsStore::~SettingsStore() = default;

QVariant SettingsStore::object(const QString& key) const {
    return settings_->value(key);
}

std::optional<bool> SettingsStore::boolean(const QString& key) const {
    const QVariant value = object(key);
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    const QString stored = value.toString();
    if (stored == QLatin1String("true"))
        return true;
    if (stored == QLatin1String("false"))
        return false;
    return std::nullopt;
}

std::optional<int> SettingsStore::integer(const QString& key) const {
    const QVariant value = object(key);
    if (value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong)
        return value.toInt();
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    bool ok = false;
    const int number = value.toString().toInt(&ok);
    return ok ? std::optional<int>(number) : std::nullopt;
}

std::optional<QString> SettingsStore::text(const QString& key) const {
    const QVariant value = object(key);
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

void SettingsStore::set(const QString& key, const QVariant& value) {
    settings_->setValue(key, value);
}

void SettingsStore::remove(const QString& key) {
    settings_->remove(key);
}

void SettingsStore::sync() {
    settings_->sync();
}

} // namespace quorvel
