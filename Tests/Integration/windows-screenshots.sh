#!/usr/bin/env bash
# Pictures of every window, onboarding page and the tray's tooltip under a real X server with a window manager, kept in
# <build>/artifacts/windows-screenshots/ for people to look at.
session_screen=1280x900x24
source "$(dirname "$0")/support/desktop-session.sh" "$@"

start_window_manager
QT_QPA_PLATFORM=xcb QUORVEL_SCREENSHOT_DIR="$artifacts" "$build/QuorvelTests" \
    --gtest_filter='WindowScreenshots.*' >"$work/quorvel.log" 2>&1 || fail "the window pictures failed"
# The same windows on a desktop that is dark itself: a KDE session with Breeze Dark colours.
(
    use_kde_dark_palette
    QT_QPA_PLATFORM=xcb QUORVEL_SCREENSHOT_DIR="$artifacts/kde-dark" "$build/QuorvelTests" \
        --gtest_filter='WindowScreenshots.*:-WindowScreenshots.DarkAppearance' >>"$work/quorvel.log" 2>&1
) || fail "the window pictures on a dark KDE desktop failed"

windows=(settings-integrations settings-general settings-privacy settings-terms settings-about settings-licences
         integration-setup onboarding-1 onboarding-2 onboarding-3 onboarding-4 onboarding-5 onboarding-6
         issue-report tooltip tooltip-no-shortcut)
expected=(settings-general-no-shortcut settings-licences-lgpl integration-setup-first-run integration-setup-error onboarding-5-error
          onboarding-4-no-shortcut onboarding-6-no-shortcut issue-report-sending issue-report-unconfigured)
# Every window in light, in a dark desktop theme's palette set by the program's tests, in Qt's own dark
# palette, and on a dark KDE desktop.
for name in "${windows[@]}"; do
    expected+=("$name" "dark-$name" "qtdark-$name" "kde-dark/$name")
done
for name in "${expected[@]}"; do
    [ -s "$artifacts/$name.png" ] || fail "$name.png was not written"
done
echo "windows-screenshots: ${#expected[@]} pictures in $artifacts"
