#pragma once

#include <QString>
#include <QVariant>
#include <memory>
#include <optional>

class QSettings;

namespace quorvel {

// The user's settings: ~/.config/Quorvel/Quorvel.conf. Values come back from the file as text, so the
// typed readers accept exactly what the settings writer stores and treat anything else as absent.
class SettingsStore {
public:
    // The application's own settings file.
    SettingsStore();
    // A settings file at a path of the caller's (tests).
    explicit SettingsStore(const QString& iniFile);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // An invalid variant when the key is absent.
    QVariant object(const QString& key) const;
    // Only a stored Boolean counts: true/false, or the text "true"/"false" exactly.
    std::optional<bool> boolean(const QString& key) const;
    // An integer, or text that reads as one in full.
    std::optional<int> integer(const QString& key) const;
    std::optional<QString> text(const QString& key) const;

    void set(const QString& key, const QVariant& value);
    void remove(const QString& key);
    // Writes pending changes to the file.
    void sync();

private:
    std::unique_ptr<QSettings> settings_;
};

} // namespace quorvel
