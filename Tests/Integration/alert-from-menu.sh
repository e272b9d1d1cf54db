#!/usr/bin/env bash
# An alert raised by choosing a menu row outlives the menu it came from: choosing an Orca task's row
# while Orca cannot be located shows "Could not open Orca"; refreshes come and go while the alert is
# open (every 3 s), and after it is dismissed, after a short or a long wait, the program still runs and
# its menu still opens.
source "$(dirname "$0")/support/desktop-session.sh" "$@"
source "$support/tasks.sh"

session=5f0c2d1e-8b7a-4c3d-9e2f-1a2b3c4d5e6f
add_claude_task "$session" "Fix the login bug" unread
add_orca_pane "$session"
write_settings claude
start_window_manager
start_quorvel
wait_until 15 tray_icon_window >/dev/null || fail "the icon did not dock"
alert_window() { app_window Quorvel; }
has_no_alert() { ! alert_window >/dev/null; }

# The Orca row is the first that can be chosen: the header above it cannot.
for wait in 0.3 2.5 6.5 9.5; do
    open_tray_menu || fail "a click did not open the menu before a wait of $wait s"
    xdotool key Down Return
    wait_until 10 alert_window >/dev/null || fail "choosing the Orca row showed no alert"
    [ "$wait" = 2.5 ] && screenshot alert
    sleep "$wait"
    running || fail "the program ended while the alert was open ($wait s)"
    window="$(alert_window)"
    xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
    xdotool key Return
    wait_until 10 has_no_alert || fail "Return did not dismiss the alert"
    sleep 0.5
    running || fail "the program ended after the alert of a $wait s wait was dismissed"
    has_no_menu || fail "the menu is still open after the alert was dismissed"
done

open_tray_menu || fail "a click did not open the menu after the alerts"
screenshot menu-after-alerts
xdotool key Escape
wait_until 5 has_no_menu || fail "Escape did not close the menu"
running || fail "the program ended"
echo "alert-from-menu: the program outlived four alerts of a menu row; screenshots in $artifacts"
