#pragma once

#include <QImage>
#include <QWidget>

namespace quorvel {

// The chosen screenshot, scaled down proportionally (never up), centred, with rounded corners.
class FeedbackScreenshotPreview : public QWidget {
    Q_OBJECT
public:
    static constexpr int cornerRadius = 8;

    explicit FeedbackScreenshotPreview(QWidget* parent = nullptr);

    // `image` may carry a device pixel ratio; it is drawn at its logical size or smaller.
    void setImage(const QImage& image);
    void clear();
    const QImage& image() const { return image_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_;
};

} // namespace quorvel
