#!/usr/bin/env bash
# At rest a D-Bus tray host hears nothing: with only a finished, read task, refreshes (every 3 s) that
# change nothing send no new icon, tooltip or menu layout. A task that comes in is sent at once.
source "$(dirname "$0")/support/desktop-session.sh" "$@"
source "$support/tasks.sh"
source "$support/tray-host.sh"

start_tray_host
write_settings claude
add_claude_task 5f0c2d1e-8b7a-4c3d-9e2f-1a2b3c4d5e6f "Fix the login bug" read
start_quorvel
wait_for_item
has_row() { menu layout 2>/dev/null | grep -qF "\"label\": \"$1\""; }
wait_until 10 has_row "Fix the login bug" || fail "the task row never appeared: $(menu layout)"
sleep 1

# What quorvel's item and menu announce on the bus.
dbus-monitor --address "$DBUS_SESSION_BUS_ADDRESS" "type='signal',interface='com.canonical.dbusmenu'" \
    "type='signal',interface='org.kde.StatusNotifierItem'" >"$work/signals.log" 2>&1 &
started_pids+=($!)
announced() { grep -E 'interface=(com.canonical.dbusmenu|org.kde.StatusNotifierItem)' "$work/signals.log"; }
sleep 7.5 # two refreshes at least
cp "$work/signals.log" "$artifacts/signals-at-rest.log"
[ -z "$(announced)" ] || fail "at rest the host was sent: $(announced | sed 's/.*member=//' | sort | uniq -c)"

add_local_task deploy waiting "Review the deploy plan"
wait_until 10 has_row "Review the deploy plan" || fail "the new task never appeared: $(menu layout)"
announced | grep -q 'interface=com.canonical.dbusmenu' || fail "the new row was not announced"
announced | grep -q 'member=NewIcon' || fail "the red lamp was not sent"
echo "dbus-at-rest: nothing sent at rest; $(announced | wc -l) signals once a task came in"
