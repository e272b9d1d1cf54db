#include "Platform/SystemTrayStatusItem.h"

namespace quorvel {

SystemTrayStatusItem::SystemTrayStatusItem() {
    QObject::connect(&tray_, &QSystemTrayIcon::activated, &tray_,
                     [this](QSystemTrayIcon::ActivationReason reason) { activated(reason); });
    trayLookup_.setInterval(trayLookupInterval);
    QObject::connect(&trayLookup_, &QTimer::timeout, &tray_, [this] { showWhenTrayAppears(); });
    exportsMenu_ = probeMenuExport();
}

bool SystemTrayStatusItem::probeMenuExport() {
    tray_.setContextMenu(&probe_);
    const bool exported = probe_.platformMenu() != nullptr;
    tray_.setContextMenu(nullptr);
    return exported;
}

void SystemTrayStatusItem::setIcon(const QIcon& icon) {
    tray_.setIcon(icon);
    if (!tray_.isVisible()) {
        tray_.show();
        if (!QSystemTrayIcon::isSystemTrayAvailable())
            trayLookup_.start();
    }
}

void SystemTrayStatusItem::setToolTip(const QString& toolTip) {
    if (tray_.toolTip() != toolTip)
        tray_.setToolTip(toolTip);
}

void SystemTrayStatusItem::setMenu(QMenu* menu) {
    tray_.setContextMenu(menu);
}

void SystemTrayStatusItem::setClickHandler(std::function<void()> handler) {
    clickHandler_ = std::move(handler);
}

void SystemTrayStatusItem::activated(QSystemTrayIcon::ActivationReason reason) {
    // A D-Bus host shows the exported menu itself and reports no geometry; only an XEmbed icon, which
    // has a place on the screen, leaves the left click to us.
    if (reason == QSystemTrayIcon::Trigger && tray_.geometry().isValid() && clickHandler_)
        clickHandler_();
}

void SystemTrayStatusItem::showWhenTrayAppears() {
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return;
    trayLookup_.stop();
    tray_.hide();
    tray_.show();
}

} // namespace quorvel
