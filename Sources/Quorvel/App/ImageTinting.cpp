#include "App/ImageTinting.h"

#include <QPainter>

namespace quorvel {

QImage blankImage(QSizeF size, qreal devicePixelRatio) {
    QImage image((size * devicePixelRatio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(devicePixelRatio);
    return image;
}

QImage tinted(const QImage& image, const QColor& colour, QSizeF size, qreal devicePixelRatio) {
    QImage result = blankImage(size, devicePixelRatio);
    QPainter painter(&result);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF whole(QPointF(0, 0), size);
    painter.drawImage(whole, image);
    // Source-in: every drawn pixel takes the colour, its alpha scaled by the pixel's own. A translucent
    // colour (the pulsing working icon) then fades the icon instead of letting its black show through.
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(whole, colour);
    return result;
}

} // namespace quorvel
