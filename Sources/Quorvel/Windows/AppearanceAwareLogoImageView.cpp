#include "Windows/AppearanceAwareLogoImageView.h"

#include "Platform/SystemColours.h"

#include <QEvent>

namespace quorvel {

AppearanceAwareLogoImageView::AppearanceAwareLogoImageView(const ResourceBundle& resourceBundle,
                                                           QWidget* parent)
    : ScaledImageView(parent), lightModeImage_(loadPNG(resourceBundle, QStringLiteral("logo-light"))),
      darkModeImage_(loadPNG(resourceBundle, QStringLiteral("logo-dark"))) {
    setAccessibleName(QStringLiteral("Quorvel"));
    updateImage();
}

void AppearanceAwareLogoImageView::changeEvent(QEvent* event) {
    ScaledImageView::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange ||
        event->type() == QEvent::ThemeChange)
        updateImage();
}

void AppearanceAwareLogoImageView::updateImage() {
    const bool dark = SystemColours::currentAppearance() == Appearance::dark;
    setImage(dark ? darkModeImage_ : lightModeImage_);
}

} // namespace quorvel
