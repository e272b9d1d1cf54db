#pragma once

#include "Platform/StatusItem.h"

#include <QSystemTrayIcon>
#include <QTimer>

namespace quorvel {

// QSystemTrayIcon: a StatusNotifierItem where a D-Bus host is registered, an XEmbed icon otherwise.
class SystemTrayStatusItem final : public StatusItem {
public:
    static constexpr int trayLookupInterval = 3000; // ms, while no tray is there

    SystemTrayStatusItem();

    void setIcon(const QIcon& icon) override;
    void setToolTip(const QString& toolTip) override;
    void setAccessibilityLabel(const QString&) override {}
    void setMenu(QMenu* menu) override;
    void setClickHandler(std::function<void()> handler) override;

private:
    void activated(QSystemTrayIcon::ActivationReason reason);
    // Qt docks only into a tray that exists when the icon is shown: look for one until it appears.
    void showWhenTrayAppears();

    QSystemTrayIcon tray_;
    QTimer trayLookup_;
    std::function<void()> clickHandler_;
};

} // namespace quorvel
