#pragma once

#include <QImage>
#include <QWidget>

namespace quorvel {

class ResourceBundle;

// An image drawn as large as fits the view, keeping its proportions, centred; nothing when it has none.
class ScaledImageView : public QWidget {
    Q_OBJECT

public:
    explicit ScaledImageView(QWidget* parent = nullptr);

    // The PNG "name" in the bundle's subdirectory; a null image when it is missing or unreadable.
    static QImage loadPNG(const ResourceBundle& bundle, const QString& name,
                          const QString& subdirectory = {});

    const QImage& image() const { return image_; }
    void setImage(const QImage& image);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_;
};

} // namespace quorvel
