#include "Windows/WebsiteAddress.h"

#include <QUrl>

namespace quorvel::WebsiteAddress {

std::optional<QString> base(const QString& configured) {
    const QString trimmed = configured.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    const QUrl url(trimmed, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("https") && scheme != QLatin1String("http")))
        return std::nullopt;
    return url.toString(QUrl::FullyEncoded);
}

QString appending(const QString& base, const QString& component) {
    QUrl url(base);
    QString path = url.path(QUrl::FullyDecoded);
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    url.setPath(path + component, QUrl::DecodedMode);
    return url.toString(QUrl::FullyEncoded);
}

} // namespace quorvel::WebsiteAddress
