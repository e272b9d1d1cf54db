#!/usr/bin/env bash
# The real program in a home with a waiting and a finished, read task docks into jwm's XEmbed tray
# (no D-Bus session), shows a filled red and a filled green lamp, and a click on its icon opens the
# menu with both task rows. Screenshots of the tray and the menu are kept as artefacts.
source "$(dirname "$0")/support/desktop-session.sh" "$@"
source "$support/tasks.sh"

write_settings claude
add_local_task deploy waiting "Review the deploy plan"
add_claude_task 5f0c2d1e-8b7a-4c3d-9e2f-1a2b3c4d5e6f "Fix the login bug" read
start_window_manager
start_quorvel
wait_until 15 tray_icon_window >/dev/null || fail "the icon did not dock"
read -r x y size _ < <(window_geometry "$(tray_icon_window)")
half=$((size / 2))
quadrant() { echo "${half}x${half}+$((x + $1 * half))+$((y + $2 * half))"; }
# A lit lamp fills a seventh of its quarter in its own colour (the ring, its dark edge and the digit
# take the rest).
minimum=$((half * half / 7))

red_lamp_lit() {
    import -window root "$work/tray.png" &&
        [ "$(count_pixels "$work/tray.png" "$(quadrant 0 0)" "${red_range[@]}")" -ge "$minimum" ]
}
wait_until 10 red_lamp_lit || fail "no red lamp"
convert "$work/tray.png" -crop "$((size + 8))x$((size + 8))+$((x - 4))+$((y - 4))" +repage "$artifacts/tray.png"
convert "$artifacts/tray.png" -filter point -resize 800% "$artifacts/tray-zoom.png"

reds=$(count_pixels "$work/tray.png" "$(quadrant 0 0)" "${red_range[@]}")
ambers=$(count_pixels "$work/tray.png" "$(quadrant 1 0)" "${amber_range[@]}")
blues=$(count_pixels "$work/tray.png" "$(quadrant 0 1)" "${blue_range[@]}")
greens=$(count_pixels "$work/tray.png" "$(quadrant 1 1)" "${green_range[@]}")
echo "tray icon ${size}px at +$x+$y: red $reds, amber $ambers, blue $blues, green $greens pixels"
[ "$greens" -ge "$minimum" ] || fail "the green lamp is not filled ($greens pixels)"
[ "$ambers" -eq 0 ] && [ "$blues" -eq 0 ] || fail "an empty lamp is filled"

xdotool mousemove $((x + half)) $((y + half)) click 1
wait_until 10 has_menu || fail "a click did not open the menu"
read -r mx my width height < <(window_geometry "$(menu_windows | head -n 1)")
sleep 0.3 # the menu paints itself after it maps
import -window root "$work/menu.png"
convert "$work/menu.png" -crop "${width}x${height}+$mx+$my" +repage "$artifacts/tray-menu.png"
# The rows' state icons: the red "needs attention" circle and the green check.
row_reds=$(count_pixels "$work/menu.png" "${width}x${height}+$mx+$my" "${red_range[@]}")
row_greens=$(count_pixels "$work/menu.png" "${width}x${height}+$mx+$my" "${green_range[@]}")
echo "menu ${width}x${height} at +$mx+$my: red $row_reds, green $row_greens pixels"
[ "$height" -ge 150 ] || fail "the menu is too short for two task rows ($height px)"
[ "$row_reds" -ge 10 ] || fail "no waiting row in the menu"
[ "$row_greens" -ge 10 ] || fail "no finished row in the menu"
xdotool key Escape

# A session that ends sends SIGTERM: the program shuts down normally.
kill -TERM "$quorvel_pid"
status=0
wait "$quorvel_pid" || status=$?
[ "$status" -eq 0 ] || fail "SIGTERM ended the program with status $status"
echo "tray-lamps-and-menu: ok"
