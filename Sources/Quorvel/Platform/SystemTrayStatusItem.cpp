#include "Platform/SystemTrayStatusItem.h"

#include <QApplication>
#include <QWidget>

namespace quorvel {

namespace {

// Qt's XEmbed icon is a top-level widget of a class of its own, hidden before it goes; there is none on
// the D-Bus path, where hosts read the tooltip (which holds the same summary), nor while no tray is there.
QWidget* xembedIconWidget() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (qstrcmp(widget->metaObject()->className(), "QSystemTrayIconSys") == 0 && !widget->isHidden())
            return widget;
    return nullptr;
}

} // namespace

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
        labelIconWidget();
        if (!QSystemTrayIcon::isSystemTrayAvailable())
            trayLookup_.start();
    }
}

void SystemTrayStatusItem::setAccessibilityLabel(const QString& label) {
    if (label == accessibilityLabel_)
        return;
    accessibilityLabel_ = label;
    labelIconWidget();
}

// An embedded window is left out of the application's accessible tree, and trays that name the icons they
// hold read their window titles: the title carries the label too.
void SystemTrayStatusItem::labelIconWidget() {
    if (!iconWidget_)
        iconWidget_ = xembedIconWidget();
    if (!iconWidget_)
        return;
    iconWidget_->setAccessibleName(accessibilityLabel_);
    iconWidget_->setWindowTitle(accessibilityLabel_);
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
    iconWidget_ = nullptr;
    tray_.show();
    labelIconWidget();
}

} // namespace quorvel
