#pragma once

#include "Platform/AlertPresenter.h"
#include "Platform/Notifier.h"

namespace quorvel {

// A notification through the desktop's notification service (org.freedesktop.Notifications on the
// session bus) where there is one; else a small window that leaves the other windows usable.
class DesktopNotifier final : public Notifier {
public:
    void notify(const QString& title, const QString& body) override;

private:
    // Whether the session bus has a notification service, which then took the notification.
    static bool sendToNotificationService(const QString& title, const QString& body);

    MessageBoxAlerts window_{Qt::NonModal};
};

} // namespace quorvel
