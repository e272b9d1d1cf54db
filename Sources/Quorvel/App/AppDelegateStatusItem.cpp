#include "App/AppDelegate.h"
#include "App/LampIcon.h"
#include "App/StatusTexts.h"
#include "App/TaskMenu.h"
#include "Platform/Clock.h"
#include "Platform/Notifier.h"
#include "Platform/StatusItem.h"
#include "Windows/SettingsWindowController.h"

#include <QIcon>
#include <QMenu>
#include <QTimer>
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

// Only what changed reaches the tray: the same lamps, tooltip and label are not sent again.
void AppDelegate::renderStatusButton() {
    if (!item)
        return;
    const LampIcon lamps = lampIcon(menuBarStatuses, redPulsePhase, amberPulsePhase, bluePulsePhase);
    if (shownLamps_ != lamps) {
        item->setIcon(lamps.trayIcon());
        shownLamps_ = lamps;
    }
    const QString summary = statusSummary();
    const QString toolTip = StatusTexts::toolTip(summary, globalMenuShortcutAvailable);
    if (shownToolTip_ != toolTip) {
        item->setToolTip(toolTip);
        shownToolTip_ = toolTip;
    }
    const QString label = StatusTexts::accessibilityLabel(summary);
    if (shownAccessibilityLabel_ != label) {
        item->setAccessibilityLabel(label);
        shownAccessibilityLabel_ = label;
    }
}

bool AppDelegate::lampsPulse() const {
    return std::any_of(menuBarStatuses.begin(), menuBarStatuses.end(),
                       [](const MenuBarStatus& status) { return isAnimated(status.state); });
}

// A tick that would do nothing does not wake the program; the phases stay where they are, so the lamps
// go on from there.
void AppDelegate::updateAnimationTimer() {
    if (!animationTimer)
        return;
    const bool pulsing = lampsPulse();
    if (pulsing && !animationTimer->isActive())
        animationTimer->start();
    else if (!pulsing && animationTimer->isActive())
        animationTimer->stop();
}

void AppDelegate::advanceLampAnimation() {
    if (!lampsPulse())
        return;
    amberPulsePhase = advanced(amberPulsePhase, amberStep);
    redPulsePhase = advanced(redPulsePhase, redStep);
    bluePulsePhase = advanced(bluePulsePhase, blueStep);
    renderStatusButton();
    if (menuIsOpen)
        animateWorkingRows();
}

void AppDelegate::tellWhenNoTray() {
    if (item && !item->trayAvailable() && platform_.notifier)
        platform_.notifier->notify(StatusTexts::noTrayTitle(), StatusTexts::noTrayMessage());
}

void AppDelegate::systemAppearanceDidChange() {
    renderStatusButton();
    if (updateMenuItem)
        updateMenuItem->setIcon(updateMenuItemIcon());
    if (!menuIsOpen || !menu_) {
        redraw();
    } else {
        const Date now = platform_.clock->now();
        menu_->changeItems([&] { updateTaskMenuRows(visibleRows(now), now); });
        animateWorkingRows();
        menu_->update();
    }
    if (settingsController && settingsController->window())
        settingsController->window()->update();
}

} // namespace quorvel
