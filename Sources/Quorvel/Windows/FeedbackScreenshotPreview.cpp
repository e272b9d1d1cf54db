#include "Windows/FeedbackScreenshotPreview.h"

#include <QPainter>
#include <QPainterPath>

namespace quorvel {

FeedbackScreenshotPreview::FeedbackScreenshotPreview(QWidget* parent) : QWidget(parent) {}

void FeedbackScreenshotPreview::setImage(const QImage& image) {
    image_ = image;
    update();
}

void FeedbackScreenshotPreview::clear() {
    image_ = QImage();
    update();
}

void FeedbackScreenshotPreview::paintEvent(QPaintEvent*) {
    if (image_.isNull())
        return;
    QSizeF size = image_.deviceIndependentSize();
    if (size.width() > width() || size.height() > height())
        size.scale(QSizeF(rect().size()), Qt::KeepAspectRatio);
    QRectF target(QPointF(), size);
    target.moveCenter(QRectF(rect()).center());
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath clip;
    clip.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    painter.setClipPath(clip);
    painter.drawImage(target, image_);
}

} // namespace quorvel
