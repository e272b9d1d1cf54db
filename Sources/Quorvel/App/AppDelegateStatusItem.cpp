#include "App/AppDelegate.h"
#include "App/LampIcon.h"
#include "App/StatusTexts.h"
#include "App/TaskMenu.h"
#include "Platform/Clock.h"
#include "Platform/StatusItem.h"
#include "Windows/SettingsWindowController.h"

#include <QIcon>
#include <QMenu>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace quorvel {

namespace {

constexpr double amberStep = 0.24;
constexpr double redStep = 0.75;
constexpr double blueStep = 0.12;

double advanced(double phase, double step) {
    return std::fmod(phase + step, 2 * std::numbers::pi);
}

bool isAnimated(LightState state) {
    return state == LightState::working || state == LightState::waiting || state == LightState::failed ||
           state == LightState::unread;
}

LampIcon lampIcon(const std::vector<MenuBarStatus>& statuses, double red, double amber, double blue) {
    return LampIcon{TrayLampCounts(statuses), red, amber, blue, SystemColours::currentAppearance()};
}

} // namespace

QImage AppDelegate::horizontalLamplinesIcon(qreal devicePixelRatio) const {
    return lampIcon(menuBarStatuses, redPulsePhase, amberPulsePhase, bluePulsePhase)
        .horizontal(devicePixelRatio);
}

QIcon AppDelegate::trayIcon() const {
    return lampIcon(menuBarStatuses, redPulsePhase, amberPulsePhase, bluePulsePhase).trayIcon();
}

QString AppDelegate::statusSummary() const {
    return StatusTexts::summary(menuBarStatuses);
}

void AppDelegate::renderStatusButton() {
    if (!item)
        return;
    const QString summary = statusSummary();
    item->setIcon(trayIcon());
    item->setToolTip(StatusTexts::toolTip(summary, globalMenuShortcutAvailable));
    item->setAccessibilityLabel(StatusTexts::accessibilityLabel(summary));
}

void AppDelegate::advanceLampAnimation() {
    if (std::none_of(menuBarStatuses.begin(), menuBarStatuses.end(),
                     [](const MenuBarStatus& status) { return isAnimated(status.state); }))
        return;
    amberPulsePhase = advanced(amberPulsePhase, amberStep);
    redPulsePhase = advanced(redPulsePhase, redStep);
    bluePulsePhase = advanced(bluePulsePhase, blueStep);
    renderStatusButton();
    if (workingMenuItems.empty())
        return;
    menu_->changeItems([this] {
        for (const auto& row : workingMenuItems)
            row.item->setIcon(taskSourceIcons(row.provider, row.isOrcaTask, LightState::working));
    });
}

void AppDelegate::systemAppearanceDidChange() {
    renderStatusButton();
    if (!menuIsOpen || !menu_) {
        redraw();
    } else {
        const Date now = platform_.clock->now();
        menu_->changeItems([&] { updateTaskMenuRows(visibleRows(now), now); });
        menu_->update();
    }
    if (settingsController && settingsController->window())
        settingsController->window()->update();
}

} // namespace quorvel
