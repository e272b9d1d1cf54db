#pragma once

#include "Windows/ScaledImageView.h"

namespace quorvel {

class ResourceBundle;

// The application's logo, "logo-light" on a light desktop and "logo-dark" on a dark one, swapped as soon
// as the desktop's palette changes.
class AppearanceAwareLogoImageView : public ScaledImageView {
    Q_OBJECT

public:
    explicit AppearanceAwareLogoImageView(const ResourceBundle& resourceBundle, QWidget* parent = nullptr);

    const QImage& lightModeImage() const { return lightModeImage_; }
    const QImage& darkModeImage() const { return darkModeImage_; }

private:
    void updateImage();

    QImage lightModeImage_;
    QImage darkModeImage_;
};

} // namespace quorvel
