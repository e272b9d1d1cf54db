#include "Platform/ResourceBundle.h"

#include <QFileInfo>

namespace quorvel {

const ResourceBundle& ResourceBundle::module() {
    static const ResourceBundle bundle(QStringLiteral(":/") + QLatin1String(bundleName));
    return bundle;
}

std::optional<QString> ResourceBundle::url(const QString& name, const QString& extension,
                                           const QString& subdirectory) const {
    QString path = root_;
    if (!subdirectory.isEmpty())
        path += QLatin1Char('/') + subdirectory;
    path += QLatin1Char('/') + name;
    if (!extension.isEmpty())
        path += QLatin1Char('.') + extension;
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    return path;
}

} // namespace quorvel
