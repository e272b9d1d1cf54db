#!/usr/bin/env bash
# With 30 task rows of long names the menu is taller than the screen: it opens on the screen in one
# column, at its start, and scrolls while the pointer rests on its arrow, so the mouse reaches every
# item; here "Settings…" and "Quit Quorvel" at its end.
# Run on a 1,280 × 800 and a 1,920 × 1,080 screen; screenshots of both are kept.
if [ $# -eq 1 ]; then
    for screen in 1280x800 1920x1080; do
        bash "$0" "$1" "$screen" || exit 1
    done
    exit 0
fi
screen="$2"
session_screen="${screen}x24"
artifacts_name="menu-scrolls-$screen"
source "$(dirname "$0")/support/desktop-session.sh" "$1"
source "$support/tasks.sh"
read -r screen_width screen_height <<<"${screen/x/ }"

write_settings claude
long="and then the long explanation of what it is doing goes on and on, well past any sensible width"
states=(waiting failed working done)
for number in $(seq 10 39); do
    add_local_task "task-$number" "${states[number % 4]}" "Task $number $long"
done
start_window_manager
start_quorvel
wait_until 15 tray_icon_window >/dev/null || fail "the icon did not dock"
sleep 1 # the first refresh fills the rows

open_tray_menu || fail "a click did not open the menu"
sleep 0.5
menu="$(menu_windows | head -n 1)"
read -r mx my width height < <(window_geometry "$menu")
screenshot opened
echo "$screen: menu ${width}x$height at +$mx+$my"
[ "$mx" -ge 0 ] && [ "$my" -ge 0 ] && [ $((mx + width)) -le "$screen_width" ] &&
    [ $((my + height)) -le "$screen_height" ] || fail "the menu ${width}x$height+$mx+$my runs off the screen"
# One column of rows cut to 90 characters; two columns would be twice as wide.
[ "$width" -le 900 ] || fail "the menu is $width px wide: more than one column"
[ "$height" -ge $((screen_height / 2)) ] || fail "the menu is only $height px high: not one column"
# It stays at its start (the header) while the pointer rests on the tray below it.
menu_top() { import -window root -crop "${width}x24+$mx+$my" +repage -depth 8 rgb:- | md5sum; }
top_at_open="$(menu_top)"
sleep 1.5
[ "$(menu_top)" = "$top_at_open" ] || fail "the menu scrolled with the pointer resting on the tray"

# The highlighted item under the pointer: "TOP BOTTOM" of the highlight at the menu's middle column.
highlight_band() {
    import -window root -crop "1x${height}+$((mx + width / 2))+$my" +repage -depth 8 txt:- |
        awk -F'[(),]+' -v top="$my" 'NR > 1 { y = $2 + 0; r = $3; g = $4; b = $5;
            if (b > 150 && b - r > 80) { if (first == "") first = y; last = y } }
            END { if (first != "") print top + first, top + last }'
}

# Rest the pointer on the arrow at the menu's foot until it has scrolled to the end, where the arrow
# goes: the last item, "Quit Quorvel", is then under the pointer and highlighted once it moves.
highlight_at_end() {
    local top bottom
    xdotool mousemove $((mx + width / 2 + RANDOM % 8)) $((my + height - 3))
    sleep 0.2
    read -r top bottom < <(highlight_band) && [ $((my + height - 1 - bottom)) -le 4 ]
}
scroll_to_end() {
    wait_until 20 highlight_at_end || fail "resting on the menu's foot did not scroll it to the end"
}
scroll_to_end
screenshot scrolled-to-the-end
read -r quit_top quit_bottom < <(highlight_band) || fail "no item is highlighted at the menu's end"
[ $((quit_bottom - quit_top)) -ge 12 ] || fail "the highlight at the end is $((quit_bottom - quit_top)) px high"
read -r _ _ now_width now_height < <(window_geometry "$menu")
[ "$now_width" = "$width" ] && [ "$now_height" = "$height" ] || fail "scrolling resized the menu"

# "Settings…" is the item just above: choosing it opens the settings window.
xdotool mousemove $((mx + width / 2)) $((quit_top - (quit_bottom - quit_top) / 2 - 1)) click 1
wait_until 10 app_window Quorvel >/dev/null || fail "the item above the last one is not Settings…"

open_tray_menu || fail "a click did not open the menu again"
sleep 0.5
screenshot opened-again
scroll_to_end
xdotool click 1
wait_until 10 bash -c "! kill -0 $quorvel_pid 2>/dev/null" || fail "the last item is not Quit Quorvel"
status=0
wait "$quorvel_pid" || status=$?
[ "$status" -eq 0 ] || fail "quitting ended the program with status $status"
echo "menu-scrolls $screen: one column on the screen, Settings… and Quit Quorvel reached by mouse"
