#include "App/MenuIcons.h"

#include "App/ImageTinting.h"
#include "App/StatusTexts.h"
#include "Platform/ResourceBundle.h"
#include "Platform/SystemColours.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>
#include <cmath>

namespace quorvel {

namespace {

struct StateArtwork {
    const char* name;
    const char* extension;
};

StateArtwork stateArtwork(LightState state) {
    switch (state) {
    case LightState::working:
        return {"circle-ellipsis", "svg"};
    case LightState::waiting:
        return {"circle-alert", "png"};
    case LightState::done:
        return {"circle-check", "png"};
    case LightState::unread:
        return {"circle-dot", "png"};
    case LightState::failed:
        return {"circle-x", "png"};
    case LightState::unknown:
        break;
    }
    return {"circle-question-mark", "png"};
}

QSize pixelsOf(int points, qreal devicePixelRatio) {
    const int pixels = qRound(points * devicePixelRatio);
    return {pixels, pixels};
}

QColor calibratedWhite(double white) {
    return QColor::fromRgbF(float(white), float(white), float(white));
}

std::optional<QImage> loadPicture(const QString& path, const QString& extension, QSize pixels) {
    if (extension == QLatin1String("svg")) {
        QSvgRenderer renderer(path);
        if (!renderer.isValid())
            return std::nullopt;
        QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
        return image;
    }
    QImageReader reader(path);
    QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    return image.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace

std::optional<QImage> MenuIcons::artwork(const QString& name, const QString& extension,
                                         const QString& subdirectory, QSize pixels) const {
    const QString key = subdirectory + QLatin1Char('/') + name + QLatin1Char('.') + extension +
                        QLatin1Char('@') + QString::number(pixels.width()) + QLatin1Char('x') +
                        QString::number(pixels.height());
    if (auto found = artwork_.constFind(key); found != artwork_.constEnd())
        return *found;
    const auto path = bundle_.url(name, extension, subdirectory);
    auto picture = path ? loadPicture(*path, extension, pixels) : std::nullopt;
    artwork_.insert(key, picture);
    return picture;
}

QColor MenuIcons::stateColour(LightState state, double amberPulsePhase) {
    switch (state) {
    case LightState::working: {
        const double alpha = (std::cos(amberPulsePhase) + 1) * 0.5 * 0.85 + 0.15;
        return QColor::fromRgbF(0.96f, 0.58f, 0.06f, float(alpha));
    }
    case LightState::waiting:
    case LightState::failed:
        return SystemColours::red();
    case LightState::done:
        return SystemColours::green();
    case LightState::unread:
        return SystemColours::blue();
    case LightState::unknown:
        break;
    }
    return SystemColours::gray();
}

QImage MenuIcons::stateIcon(LightState state, double amberPulsePhase, qreal devicePixelRatio) const {
    const QSizeF size(stateIconSize, stateIconSize);
    const auto file = stateArtwork(state);
    const auto source = artwork(QString::fromLatin1(file.name), QString::fromLatin1(file.extension),
                                QStringLiteral("Lucide"), pixelsOf(stateIconSize, devicePixelRatio));
    QImage image = source ? tinted(*source, stateColour(state, amberPulsePhase), size, devicePixelRatio)
                          : blankImage(size, devicePixelRatio);
    image.setText(
        QStringLiteral("Description"),
        QString::fromUtf8(LightStates::label(state).data(), qsizetype(LightStates::label(state).size())));
    return image;
}

QImage MenuIcons::providerIcon(TaskProvider provider, bool subdued, qreal devicePixelRatio) const {
    if (provider == TaskProvider::codex) {
        const auto mark = artwork(QStringLiteral("openai-blossom"), QStringLiteral("svg"), QString(),
                                  pixelsOf(providerIconSize, devicePixelRatio));
        if (mark)
            return tinted(*mark, subdued ? calibratedWhite(0.48) : SystemColours::label(),
                          QSizeF(providerIconSize, providerIconSize), devicePixelRatio);
    }
    return letterMark(provider, subdued, devicePixelRatio);
}

QImage MenuIcons::letterMark(TaskProvider provider, bool subdued, qreal devicePixelRatio) const {
    QImage image = blankImage(QSizeF(providerIconSize, providerIconSize), devicePixelRatio);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = subdued                            ? calibratedWhite(0.48)
                  : provider == TaskProvider::claude ? QColor::fromRgbF(0.85f, 0.35f, 0.16f)
                                                     : SystemColours::gray();
    QPainterPath square;
    square.addRoundedRect(QRectF(0, 0, providerIconSize, providerIconSize), 4, 4);
    painter.fillPath(square, fill);
    QFont font;
    font.setPixelSize(10);
    font.setWeight(QFont::Bold);
    const QString letter = provider == TaskProvider::claude ? QStringLiteral("A") : QStringLiteral("L");
    const QFontMetricsF metrics(font);
    const double left = (providerIconSize - metrics.horizontalAdvance(letter)) / 2;
    const double top = (providerIconSize - metrics.height()) / 2;
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QPointF(left, top + metrics.ascent()), letter);
    return image;
}

QImage MenuIcons::rowImage(const std::optional<QImage>& providerMark, const QImage& stateIcon,
                           qreal devicePixelRatio) {
    QImage image = blankImage(QSizeF(rowImageSize), devicePixelRatio);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (providerMark)
        painter.drawImage(QRectF(0, 1, providerIconSize, providerIconSize), *providerMark);
    painter.drawImage(QRectF(stateIconRect), stateIcon);
    return image;
}

qreal MenuIcons::screenRatio() {
    return qGuiApp ? qGuiApp->devicePixelRatio() : 1;
}

QImage MenuIcons::updateIcon(qreal devicePixelRatio) const {
    const auto source = artwork(QStringLiteral("circle-arrow-down"), QStringLiteral("svg"),
                                QStringLiteral("Lucide"), pixelsOf(providerIconSize, devicePixelRatio));
    const QSizeF size(providerIconSize, providerIconSize);
    return source ? tinted(*source, SystemColours::label(), size, devicePixelRatio)
                  : blankImage(size, devicePixelRatio);
}

} // namespace quorvel
