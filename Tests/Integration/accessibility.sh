#!/usr/bin/env bash
# What assistive tools get from the real program: the docked tray icon carries "Quorvel, " and the
# status summary as its window title (which XEmbed trays read) and follows the summary as it changes;
# over AT-SPI, with a screen reader announced on the accessibility bus, the onboarding window reads its
# page texts and buttons while its illustrations stay out of the tree.
source "$(dirname "$0")/support/desktop-session.sh" "$@"
source "$support/tasks.sh"

python=/usr/bin/python3
start_session_bus
/usr/libexec/at-spi-bus-launcher --launch-immediately --a11y=1 --screen-reader=1 >"$work/at-spi.log" 2>&1 &
started_pids+=($!)
wait_until 10 dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
    >/dev/null 2>&1 || fail "the accessibility bus did not start: $(cat "$work/at-spi.log")"
# Qt decides whether accessibility is on once, when it first finds the launcher, and misses later
# changes: the screen reader must be announced before quorvel starts.
screen_reader="$(dbus-send --session --print-reply=literal --dest=org.a11y.Bus /org/a11y/bus \
    org.freedesktop.DBus.Properties.Get string:org.a11y.Status string:ScreenReaderEnabled 2>&1)" || true
[[ "$screen_reader" == *"boolean true" ]] || fail "the accessibility bus announces no screen reader: $screen_reader"

# First start: the onboarding opens.
write_settings claude
sed -i '/^integrationOnboardingVersion=/d' "$XDG_CONFIG_HOME/Quorvel/Quorvel.conf"
add_local_task deploy waiting "Review the deploy plan"
start_window_manager
start_quorvel
wait_until 15 tray_icon_window >/dev/null || fail "the icon did not dock"

icon_title() {
    xprop -id "$(tray_icon_window)" _NET_WM_NAME 2>/dev/null | sed -n 's/^_NET_WM_NAME(UTF8_STRING) = "\(.*\)"$/\1/p'
}
titled() {
    [ "$(icon_title)" = "$1" ]
}
wait_until 10 titled "Quorvel, Needs your attention, 1 chats" || fail "the icon's title is '$(icon_title)'"
"$build/quorvel-status" set deploy working "Review the deploy plan" >/dev/null
wait_until 10 titled "Quorvel, Working, 1 chats" || fail "the title did not follow the summary: '$(icon_title)'"

tree() {
    "$python" "$support/atspi-tree.py" Quorvel >"$work/tree.txt" 2>"$work/tree.log" &&
        grep -q $'\tlabel\tshowing\t0\tYour AI agents are waiting on you.$' "$work/tree.txt"
}
wait_until 15 tree || fail "the onboarding is not readable over AT-SPI: $(cat "$work/tree.log" "$work/tree.txt")"
cp "$work/tree.txt" "$artifacts/onboarding-tree.txt"
for expected in $'^1\t[a-z]*\tshowing\t[0-9]*\tWelcome to Quorvel$' \
    $'\tlabel\tshowing\t0\tNow you know when.' \
    $'\tpush button\tshowing\t0\tContinue onboarding$' \
    $'\tlabel\tshowing\t0\tOnboarding progress$'; do
    grep -q "$expected" "$work/tree.txt" || fail "the tree lacks '$expected': $(cat "$work/tree.txt")"
done
# The illustration would be a filler (Qt's plain widget) with neither children nor a name.
if grep -q $'\tfiller\t[a-z]*\t0\t$' "$work/tree.txt"; then
    fail "an empty, unnamed filler is in the tree: $(cat "$work/tree.txt")"
fi
echo "accessibility: the icon is titled with its summary; the onboarding reads without its illustration"
