#pragma once

#include "Platform/StatusItem.h"

#include <QMenu>
#include <QPointer>
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
    void setAccessibilityLabel(const QString& label) override;
    void setMenu(QMenu* menu) override;
    void setClickHandler(std::function<void()> handler) override;
    bool exportsMenu() const override { return exportsMenu_; }
    bool trayAvailable() const override { return QSystemTrayIcon::isSystemTrayAvailable(); }

private:
    // Qt gives a context menu a platform menu exactly when it exports it over D-Bus, which it decides
    // once, when the tray icon is made. An empty menu set and taken back again tells which it is.
    bool probeMenuExport();
    void activated(QSystemTrayIcon::ActivationReason reason);
    // Qt docks only into a tray that exists when the icon is shown: look for one until it appears.
    void showWhenTrayAppears();
    // Gives the XEmbed icon, a widget that Qt makes each time the icon is shown, the accessibility label
    // as its accessible name and window title.
    void labelIconWidget();

    // The export keeps pointing at the probe until the first real menu replaces it: it outlives tray_.
    QMenu probe_;
    QSystemTrayIcon tray_;
    QTimer trayLookup_;
    std::function<void()> clickHandler_;
    QString accessibilityLabel_;
    QPointer<QWidget> iconWidget_;
    bool exportsMenu_ = false;
};

} // namespace quorvel
