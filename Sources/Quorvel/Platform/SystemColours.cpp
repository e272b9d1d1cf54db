#include "Platform/SystemColours.h"

#include <QGuiApplication>
#include <QPalette>

namespace quorvel::SystemColours {

namespace {
QColor pick(Appearance appearance, QColor light, QColor dark) {
    return appearance == Appearance::dark ? dark : light;
}
} // namespace

Appearance currentAppearance() {
    const QColor window = QGuiApplication::palette().color(QPalette::Window);
    return window.lightness() < 128 ? Appearance::dark : Appearance::light;
}

QColor red(Appearance appearance) {
    return pick(appearance, QColor(255, 59, 48), QColor(255, 69, 58));
}
QColor orange(Appearance appearance) {
    return pick(appearance, QColor(255, 149, 0), QColor(255, 159, 10));
}
QColor yellow(Appearance appearance) {
    return pick(appearance, QColor(255, 204, 0), QColor(255, 214, 10));
}
QColor green(Appearance appearance) {
    return pick(appearance, QColor(52, 199, 89), QColor(48, 209, 88));
}
QColor blue(Appearance appearance) {
    return pick(appearance, QColor(0, 122, 255), QColor(10, 132, 255));
}
QColor gray(Appearance appearance) {
    return pick(appearance, QColor(142, 142, 147), QColor(152, 152, 157));
}
QColor label(Appearance appearance) {
    return pick(appearance, QColor(0, 0, 0, 217), QColor(255, 255, 255, 217));
}

} // namespace quorvel::SystemColours
