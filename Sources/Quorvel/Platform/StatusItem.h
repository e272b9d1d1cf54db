#pragma once

#include <QString>
#include <functional>

class QIcon;
class QMenu;

namespace quorvel {

// The application's item in the desktop's tray: its icon, tooltip and menu.
class StatusItem {
public:
    virtual ~StatusItem() = default;

    virtual void setIcon(const QIcon& icon) = 0;
    virtual void setToolTip(const QString& toolTip) = 0;
    // The accessibility label; hosts that have no such property get it through the tooltip.
    virtual void setAccessibilityLabel(const QString& label) = 0;
    // The menu the host shows (exported over D-Bus, or shown on a right click of an XEmbed icon).
    virtual void setMenu(QMenu* menu) = 0;
    // A left click that the host leaves to the application (XEmbed trays).
    virtual void setClickHandler(std::function<void()> handler) = 0;
    // Whether the host draws the menu from its D-Bus export (dbusmenu, where "_" marks a mnemonic)
    // rather than Qt drawing the QMenu itself. Known from the start and fixed for the item's life.
    virtual bool exportsMenu() const = 0;
    // Whether a tray is there to show the icon now: an XEmbed tray or a StatusNotifierItem host.
    virtual bool trayAvailable() const = 0;
};

} // namespace quorvel
