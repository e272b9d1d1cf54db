#pragma once

#include "Platform/StatusItem.h"

#include <QIcon>
#include <QMenu>
#include <QPointer>

namespace quorvel::testing {

// Keeps what the application shows in the tray.
class FakeStatusItem final : public StatusItem {
public:
    void setIcon(const QIcon& newIcon) override {
        icon = newIcon;
        ++iconUpdates;
    }
    void setToolTip(const QString& text) override {
        toolTip = text;
        ++toolTipUpdates;
    }
    void setAccessibilityLabel(const QString& label) override {
        accessibilityLabel = label;
        ++labelUpdates;
    }
    void setMenu(QMenu* newMenu) override { menu = newMenu; }
    void setClickHandler(std::function<void()> handler) override { click = std::move(handler); }
    bool exportsMenu() const override { return exported; }
    bool trayAvailable() const override { return tray; }

    QIcon icon;
    int iconUpdates = 0;
    QString toolTip;
    int toolTipUpdates = 0;
    QString accessibilityLabel;
    int labelUpdates = 0;
    QPointer<QMenu> menu;
    std::function<void()> click;
    bool exported = false; // a D-Bus host shows the menu
    bool tray = true;      // a tray shows the icon
};

} // namespace quorvel::testing
