#!/usr/bin/env bash
# Pictures of every window and onboarding page under a real X server with a window manager, kept in
# <build>/artifacts/windows-screenshots/ for people to look at.
session_screen=1280x900x24
source "$(dirname "$0")/support/desktop-session.sh" "$@"

start_window_manager
QT_QPA_PLATFORM=xcb QUORVEL_SCREENSHOT_DIR="$artifacts" "$build/QuorvelTests" \
    --gtest_filter='WindowScreenshots.*' >"$work/quorvel.log" 2>&1 || fail "the window pictures failed"

expected=(settings-integrations settings-general settings-privacy settings-terms settings-about
          settings-licences integration-setup-first-run integration-setup onboarding-1 onboarding-2
          onboarding-3 onboarding-4 onboarding-5 onboarding-6 issue-report issue-report-sending
          integration-setup-error onboarding-5-error dark-settings-integrations dark-settings-general dark-settings-privacy
          dark-settings-terms dark-settings-about dark-settings-licences dark-integration-setup
          dark-onboarding-1 dark-onboarding-2 dark-onboarding-3 dark-onboarding-4 dark-onboarding-5
          dark-onboarding-6 dark-issue-report)
for name in "${expected[@]}"; do
    [ -s "$artifacts/$name.png" ] || fail "$name.png was not written"
done
echo "windows-screenshots: ${#expected[@]} pictures in $artifacts"
