#include "Windows/AppearanceAwareLogoImageView.h"

#include "Platform/SystemColours.h"
#include "Windows/PaletteBinding.h"

namespace quorvel {

AppearanceAwareLogoImageView::AppearanceAwareLogoImageView(const ResourceBundle& resourceBundle,
                                                           QWidget* parent)
    : ScaledImageView(parent), lightModeImage_(loadPNG(resourceBundle, QStringLiteral("logo-light"))),
      darkModeImage_(loadPNG(resourceBundle, QStringLiteral("logo-dark"))) {
    setAccessibleName(QStringLiteral("Quorvel"));
    PaletteBinding::bind(this, [this] { updateImage(); });
}

void AppearanceAwareLogoImageView::updateImage() {
    const bool dark = SystemColours::currentAppearance() == Appearance::dark;
    setImage(dark ? darkModeImage_ : lightModeImage_);
}

} // namespace quorvel
