#include "Platform/MenuPlacement.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace quorvel::MenuPlacement {

std::optional<QPoint> outsideTheTray() {
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return std::nullopt;
    const QPoint pointer = QCursor::pos();
    if (QGuiApplication::screenAt(pointer))
        return pointer;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        return screen->geometry().center();
    return std::nullopt;
}

} // namespace quorvel::MenuPlacement
