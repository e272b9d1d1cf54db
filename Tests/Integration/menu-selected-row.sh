#!/usr/bin/env bash
# A selected unread row keeps its blue state icon visible on the highlight: the icon sits on a disc of
# the highlighted text's colour. Pictures of the open menu with that row selected are kept, in the
# desktop's light palette and in a dark one that the desktop gives Qt (KDE's Breeze Dark colours, read
# by Qt's own KDE theme from kdeglobals).
if [ $# -eq 1 ]; then
    bash "$0" "$1" light && bash "$0" "$1" dark
    exit
fi
palette="$2"
artifacts_name="menu-selected-row-$palette"
source "$(dirname "$0")/support/desktop-session.sh" "$1"
source "$support/tasks.sh"
if [ "$palette" = dark ]; then
    use_kde_dark_palette
fi

write_settings claude
add_local_task deploy waiting "Review the deploy plan"
add_claude_task 5f0c2d1e-8b7a-4c3d-9e2f-1a2b3c4d5e6f "Fix the login bug" unread
start_window_manager
start_quorvel
wait_until 15 tray_icon_window >/dev/null || fail "the icon did not dock"
sleep 1
open_tray_menu || fail "a click did not open the menu"
# The waiting local task comes first and cannot be chosen: the first row that can is the unread one.
xdotool key Down
sleep 0.5
read -r mx my width height < <(window_geometry "$(menu_windows | head -n 1)")
import -window root -crop "${width}x$height+$mx+$my" +repage "$artifacts/menu.png"

# The highlighted band, then the state icon's square in it (after the 16-point provider mark).
read -r top bottom < <(convert "$artifacts/menu.png" -crop "1x$height+$((width - 30))+0" +repage -depth 8 txt:- |
    awk -F'[(),]+' 'NR > 1 { y = $2 + 0; if ($5 > 120 && $5 - $3 > 60) { if (first == "") first = y; last = y } }
        END { if (first != "") print first, last }') || fail "no row is selected"
icon="18x18+30+$(((top + bottom) / 2 - 9))"
convert "$artifacts/menu.png" -crop "$icon" +repage -filter point -resize 800% "$artifacts/selected-icon-zoom.png"
blue=$(count_pixels "$artifacts/menu.png" "$icon" "${blue_range[@]}")
disc=$(count_pixels "$artifacts/menu.png" "$icon" 225 255 225 255 225 255)
echo "$palette: selected row $top-$bottom, state icon: $blue blue and $disc near-white pixels"
[ "$blue" -ge 15 ] || fail "the unread icon's blue is not in the selected row ($blue pixels)"
[ "$disc" -ge 40 ] || fail "the unread icon has no backing on the highlight ($disc pixels)"

# The next item opens the activity window's choices, drawn as one choice of four.
xdotool key Down Right
sleep 0.5
screenshot activity-window-choices
xdotool key Escape Escape
echo "menu-selected-row $palette: the unread icon shows on the highlight; pictures in $artifacts"
