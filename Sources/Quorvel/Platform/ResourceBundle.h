#pragma once

#include <QString>
#include <optional>

namespace quorvel {

// The images and documents that ship with the application, "Quorvel_Quorvel.bundle", compiled into the
// program with Qt's resource system so that it is always found.
class ResourceBundle {
public:
    static constexpr const char* bundleName = "Quorvel_Quorvel.bundle";

    // The compiled-in bundle, ":/Quorvel_Quorvel.bundle".
    static const ResourceBundle& module();

    // A bundle at another folder (tests).
    explicit ResourceBundle(QString root) : root_(std::move(root)) {}

    const QString& root() const { return root_; }

    // The path of "name.extension" (or "name" when the extension is empty) in the subdirectory, or none
    // when the bundle has no such file.
    std::optional<QString> url(const QString& name, const QString& extension,
                               const QString& subdirectory = {}) const;

private:
    QString root_;
};

} // namespace quorvel
