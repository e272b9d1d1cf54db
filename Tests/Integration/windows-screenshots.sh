#!/usr/bin/env bash
# Pictures of every window and onboarding page under a real X server with a window manager, kept in
# <build>/artifacts/windows/ for people to look at.
set -euo pipefail

build="$(cd "$1" && pwd)"
out="$build/artifacts/windows"
rm -rf "$out"
mkdir -p "$out"
home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT

# Inside the virtual display: a window manager, then the pictures.
cat > "$home/inside-display.sh" <<'INSIDE'
set -u
jwm >/dev/null 2>&1 &
wm=$!
for _ in $(seq 1 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.05
done
status=0
QT_QPA_PLATFORM=xcb QUORVEL_SCREENSHOT_DIR="$1" "$2/QuorvelTests" --gtest_filter='WindowScreenshots.*' || status=$?
kill "$wm" 2>/dev/null
wait "$wm" 2>/dev/null
exit $status
INSIDE

env -u DBUS_SESSION_BUS_ADDRESS HOME="$home" XDG_CONFIG_HOME="$home/.config" \
    xvfb-run --auto-servernum --server-args='-screen 0 1280x900x24' bash "$home/inside-display.sh" "$out" "$build"

expected=(settings-integrations settings-general settings-privacy settings-terms settings-about
          settings-licences integration-setup-first-run integration-setup onboarding-1 onboarding-2
          onboarding-3 onboarding-4 onboarding-5 onboarding-6 issue-report issue-report-sending
          integration-setup-error onboarding-5-error dark-settings-integrations dark-settings-general dark-settings-privacy
          dark-settings-terms dark-settings-about dark-settings-licences dark-integration-setup
          dark-onboarding-1 dark-onboarding-2 dark-onboarding-3 dark-onboarding-4 dark-onboarding-5
          dark-onboarding-6 dark-issue-report)
for name in "${expected[@]}"; do
    if [ ! -s "$out/$name.png" ]; then
        echo "windows-screenshots: $name.png was not written" >&2
        exit 1
    fi
done
echo "windows-screenshots: ${#expected[@]} pictures in $out"
