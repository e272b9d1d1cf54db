#include "Windows/Palette.h"

#include <QGuiApplication>
#include <QPalette>

namespace quorvel::Palette {

namespace {
QColor text() {
    return QGuiApplication::palette().color(QPalette::WindowText);
}

QColor withAlpha(QColor colour, double alpha) {
    colour.setAlphaF(static_cast<float>(alpha));
    return colour;
}
} // namespace

QColor label() {
    return text();
}
QColor secondaryLabel() {
    return withAlpha(text(), 0.62);
}
QColor tertiaryLabel() {
    return withAlpha(text(), 0.42);
}
QColor separator() {
    return withAlpha(text(), 0.14);
}
QColor controlBorder() {
    return withAlpha(text(), 0.36);
}
QColor placeholderText() {
    return withAlpha(QGuiApplication::palette().color(QPalette::Text), 0.5);
}
QColor controlBackground() {
    return QGuiApplication::palette().color(QPalette::Base);
}
QColor accent() {
    return QGuiApplication::palette().color(QPalette::Highlight);
}
QColor link() {
    return QGuiApplication::palette().color(QPalette::Link);
}
QColor disabledText() {
    return QGuiApplication::palette().color(QPalette::Disabled, QPalette::WindowText);
}
QColor windowBackground() {
    return QGuiApplication::palette().color(QPalette::Window);
}
QColor sidebarBackground() {
    const QColor window = windowBackground();
    const QColor ink = text();
    constexpr double share = 0.045;
    return QColor::fromRgbF(window.redF() + (ink.redF() - window.redF()) * share,
                            window.greenF() + (ink.greenF() - window.greenF()) * share,
                            window.blueF() + (ink.blueF() - window.blueF()) * share);
}
QColor controlTrack() {
    return withAlpha(text(), 0.22);
}
QColor onAccent() {
    return QGuiApplication::palette().color(QPalette::HighlightedText);
}

} // namespace quorvel::Palette
