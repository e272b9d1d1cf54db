#include "Windows/LinkButton.h"

#include "Windows/Palette.h"
#include "Windows/Typography.h"

#include <QEvent>

namespace quorvel {

LinkButton::LinkButton(const QString& title, int points, QFont::Weight weight, QWidget* parent)
    : QPushButton(QString(title).replace(QLatin1Char('&'), QStringLiteral("&&")), parent) {
    setFlat(true);
    setFont(Typography::system(points, weight));
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setStyleSheet(QStringLiteral("QPushButton { border: none; padding: 0px; background: transparent; }"));
    applyColour();
}

void LinkButton::changeEvent(QEvent* event) {
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::ApplicationPaletteChange || event->type() == QEvent::ThemeChange ||
        event->type() == QEvent::EnabledChange)
        applyColour();
}

void LinkButton::applyColour() {
    QPalette own = palette();
    own.setColor(QPalette::ButtonText, isEnabled() ? resolve(TextColour::link) : Palette::disabledText());
    own.setColor(QPalette::Disabled, QPalette::ButtonText, Palette::disabledText());
    setPalette(own);
}

} // namespace quorvel
