#!/usr/bin/env bash
# The menu's shortcuts act while it is open, as choosing their items does: Ctrl+, closes the menu and
# opens the settings window, Ctrl+Q closes it and quits.
source "$(dirname "$0")/support/desktop-session.sh" "$@"
source "$support/tasks.sh"

write_settings claude
add_local_task deploy done "Deploy the site"
start_window_manager
start_quorvel
wait_until 15 tray_icon_window >/dev/null || fail "the icon did not dock"

open_tray_menu || fail "a click did not open the menu"
xdotool key ctrl+comma
wait_until 5 has_no_menu || fail "Ctrl+, left the menu open"
wait_until 10 app_window Quorvel >/dev/null || fail "Ctrl+, opened no settings window"
screenshot settings-from-shortcut
settings="$(app_window Quorvel)"
read -r _ _ width height < <(window_geometry "$settings")
[ "$width" -ge 600 ] && [ "$height" -ge 400 ] || fail "the window that opened is not the settings window (${width}x$height)"

# The settings window stays open behind the menu; the session is given a moment after the window
# appeared before the tray is clicked again.
sleep 0.5
open_tray_menu || fail "a click did not open the menu again"
xdotool key ctrl+q
status=0
wait_until 10 bash -c "! kill -0 $quorvel_pid 2>/dev/null" || fail "Ctrl+Q did not quit"
wait "$quorvel_pid" || status=$?
[ "$status" -eq 0 ] || fail "Ctrl+Q ended the program with status $status"
echo "menu-shortcuts: Ctrl+, opened the settings, Ctrl+Q quit; screenshot in $artifacts"
