#!/usr/bin/env bash
# On a desktop with no tray, the program says so once, some seconds after the start: in a small window
# without a notification service, as a notification with one. A second start then opens the running
# copy's menu at the pointer and ends with status 0, leaving the first copy running alone.
source "$(dirname "$0")/support/desktop-session.sh" "$@"
source "$support/tasks.sh"

write_settings claude
add_local_task deploy waiting "Review the deploy plan"
start_window_manager no-tray

# A second start: it ends at once with status 0 and the running copy shows its menu.
second_start_shows_menu() {
    local status=0
    xdotool mousemove 400 300
    timeout 10 "$build/quorvel" >"$work/second.log" 2>&1 || status=$?
    [ "$status" -eq 0 ] || fail "the second start ended with status $status: $(cat "$work/second.log")"
    wait_until 5 has_menu || fail "the second start did not open the running copy's menu"
    running || fail "the first copy stopped"
    screenshot "$1"
    xdotool key Escape
    wait_until 5 has_no_menu || fail "the menu did not close"
}

# Without a session bus: a window.
start_quorvel
started=$SECONDS
wait_until 15 app_window Quorvel >/dev/null || fail "no window said that there is no tray"
echo "no-tray: the window came $((SECONDS - started)) s after the start"
screenshot no-tray-window
! tray_icon_window >/dev/null || fail "an icon docked with no tray"
xdotool windowclose "$(app_window Quorvel)"
second_start_shows_menu second-start-menu
sleep 1
! app_window Quorvel >/dev/null || fail "the window came again"
stop_quorvel

# With a notification service on a session bus: a notification, and no window.
start_session_bus
/usr/bin/python3 "$support/notification-service.py" "$work/notifications" >"$work/notifications.log" 2>&1 &
started_pids+=($!)
wait_until 10 grep -qs ready "$work/notifications.log" || fail "the notification service did not start"
start_quorvel
wait_until 15 test -s "$work/notifications" || fail "no notification said that there is no tray"
/usr/bin/python3 - "$work/notifications" <<'PY' || fail "unexpected notification: $(cat "$work/notifications")"
import json, sys
notices = [json.loads(line) for line in open(sys.argv[1])]
assert len(notices) == 1, notices
notice = notices[0]
assert notice["app"] == "Quorvel" and notice["summary"] == "Quorvel is running", notice
assert notice["body"].startswith("This desktop shows no tray icons"), notice
PY
! app_window Quorvel >/dev/null || fail "a window came besides the notification"
second_start_shows_menu second-start-menu-with-bus
[ "$(wc -l <"$work/notifications")" -eq 1 ] || fail "told more than once: $(cat "$work/notifications")"
echo "no-tray: a window without a notification service, a notification with one; a second start opens the menu"
