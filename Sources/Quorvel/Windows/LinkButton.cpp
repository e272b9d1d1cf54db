#include "Windows/LinkButton.h"

#include "Windows/Palette.h"
#include "Windows/PaletteBinding.h"
#include "Windows/Typography.h"

namespace quorvel {

LinkButton::LinkButton(const QString& title, int points, QFont::Weight weight, QWidget* parent)
    : QPushButton(QString(title).replace(QLatin1Char('&'), QStringLiteral("&&")), parent) {
    setFlat(true);
    setFont(Typography::system(points, weight));
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setStyleSheet(QStringLiteral("QPushButton { border: none; padding: 0px; background: transparent; }"));
    PaletteBinding::bind(this, [this] { applyColour(); });
}

void LinkButton::applyColour() {
    QPalette own = palette();
    own.setColor(QPalette::Active, QPalette::ButtonText, resolve(TextColour::link));
    own.setColor(QPalette::Inactive, QPalette::ButtonText, resolve(TextColour::link));
    own.setColor(QPalette::Disabled, QPalette::ButtonText, Palette::disabledText());
    setPalette(own);
}

} // namespace quorvel
