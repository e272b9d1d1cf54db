#include "Platform/DesktopNotifier.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

namespace quorvel {

namespace {
const QString service = QStringLiteral("org.freedesktop.Notifications");
} // namespace

void DesktopNotifier::notify(const QString& title, const QString& body) {
    if (!sendToNotificationService(title, body))
        window_.show(title, body, AlertStyle::informational);
}

bool DesktopNotifier::sendToNotificationService(const QString& title, const QString& body) {
    // Only a session the desktop announces: with no address set, no bus is looked for (or started).
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    // A service the bus starts on the first call counts too.
    if (!bus.interface()->isServiceRegistered(service).value() &&
        !bus.interface()->activatableServiceNames().value().contains(service))
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        service, QStringLiteral("/org/freedesktop/Notifications"), service, QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("quorvel")}};
    call << QStringLiteral("Quorvel") << 0u << QStringLiteral("quorvel") << title << body << QStringList()
         << hints << -1;
    return bus.send(call);
}

} // namespace quorvel
