#!/usr/bin/env bash
# Alt+Super+L, pressed while another application is active, opens quorvel's menu at the pointer.
source "$(dirname "$0")/support/desktop-session.sh" "$@"

start_window_manager
write_settings "codex claude"
"$build/quorvel-status" set hotkey-1 waiting "Waiting for the shortcut" >/dev/null
start_quorvel
wait_until 10 tray_icon_window >/dev/null || fail "the tray icon did not dock"

# Another application in front.
xmessage -name other -geometry 300x100+600+100 "another application" 2>/dev/null &
started_pids+=($!)
wait_until 10 xdotool search --onlyvisible --name '^other$' >/dev/null || fail "the other window did not appear"
other_window="$(xdotool search --onlyvisible --name '^other$' | head -n 1)"
xdotool windowactivate --sync "$other_window" 2>/dev/null || xdotool windowfocus --sync "$other_window"

# The menu's top-left corner sits at the pointer (within a few pixels of frame and shadow).
menu_is_at() {
    local window x y width height
    for window in $(menu_windows); do
        read -r x y width height < <(window_geometry "$window")
        [ $((x - $1)) -ge -4 ] && [ $((x - $1)) -le 4 ] &&
            [ $((y - $2)) -ge -4 ] && [ $((y - $2)) -le 4 ] && return 0
    done
    return 1
}

press_at() {
    xdotool mousemove "$1" "$2"
    xdotool key alt+super+l
    wait_until 5 menu_is_at "$1" "$2" || fail "Alt+Super+L opened no menu at $1,$2"
}

press_at 300 200
screenshot menu-at-pointer
xdotool key Escape
wait_until 5 has_no_menu || fail "Escape did not close the menu"

# It works again, with Num Lock on too.
xdotool key Num_Lock
press_at 420 260
xdotool key Escape
xdotool key Num_Lock
echo "hotkey: the menu opened at the pointer; screenshot in $artifacts"
