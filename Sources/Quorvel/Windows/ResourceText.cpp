#include "Windows/ResourceText.h"

#include "Platform/ResourceBundle.h"

#include <QFile>
#include <QStringDecoder>

namespace quorvel::ResourceText {

std::optional<QString> read(const ResourceBundle& bundle, const QString& name, const QString& extension,
                            const QString& subdirectory) {
    const auto path = bundle.url(name, extension, subdirectory);
    if (!path)
        return std::nullopt;
    QFile file(*path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.read(maximumSize + 1);
    if (bytes.size() > maximumSize)
        return std::nullopt;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

} // namespace quorvel::ResourceText
