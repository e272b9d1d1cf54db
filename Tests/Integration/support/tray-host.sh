# A StatusNotifierItem host on a private session bus, for the tests of the D-Bus tray path. Source it
# after desktop-session.sh, then call start_tray_host before start_quorvel and wait_for_item after it.
python=/usr/bin/python3

start_tray_host() {
    start_session_bus
    "$python" "$support/status-notifier-watcher.py" "$work/items" >"$work/watcher.log" 2>&1 &
    started_pids+=($!)
    wait_until 10 grep -qs ready "$work/watcher.log" || fail "the status notifier watcher did not start"
}

# Sets item_name and item_path once quorvel has registered its item.
wait_for_item() {
    wait_until 15 test -s "$work/items" || fail "quorvel registered no status notifier item"
    read -r item_name item_path <"$work/items"
}

# The item's properties, its menu's layout, or an event sent to the menu (see dbusmenu-layout.py).
menu() { "$python" "$support/dbusmenu-layout.py" "$item_name" "$item_path" "$@"; }
