#include "Windows/ScaledImageView.h"

#include "Platform/ResourceBundle.h"

#include <QPainter>

namespace quorvel {

ScaledImageView::ScaledImageView(QWidget* parent) : QWidget(parent) {}

QImage ScaledImageView::loadPNG(const ResourceBundle& bundle, const QString& name,
                                const QString& subdirectory) {
    const auto path = bundle.url(name, QStringLiteral("png"), subdirectory);
    if (!path)
        return {};
    QImage image;
    image.load(*path, "PNG");
    return image;
}

void ScaledImageView::setImage(const QImage& image) {
    image_ = image;
    update();
}

void ScaledImageView::paintEvent(QPaintEvent*) {
    if (image_.isNull())
        return;
    QSizeF drawn = QSizeF(image_.size()).scaled(QSizeF(size()), Qt::KeepAspectRatio);
    const QRectF target(QPointF((width() - drawn.width()) / 2, (height() - drawn.height()) / 2), drawn);
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, image_);
}

} // namespace quorvel
