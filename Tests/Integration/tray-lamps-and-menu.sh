#!/usr/bin/env bash
# The real program in a home with a waiting and a finished, read task docks into jwm's XEmbed tray
# (no D-Bus session), shows a filled red and a filled green lamp, and a click on its icon opens the
# menu with both task rows. Screenshots are kept in <build>/artifacts.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/lib/tray-session.bash"
tray_in_xvfb "$0" "$@"
tray_session_init "$1"
tray_write_settings
tray_add_local_task deploy waiting "Review the deploy plan"
tray_add_claude_task 5f0c2d1e-8b7a-4c3d-9e2f-1a2b3c4d5e6f "Fix the login bug" read
tray_start_desktop
tray_start_program

fail() {
    echo "tray-lamps-and-menu: $*" >&2
    sed 's/^/quorvel: /' "$work/quorvel.log" >&2
    exit 1
}

wait_until 15 "the tray icon" has_output tray_icon_geometry || fail "the icon did not dock"
read -r size _ x y < <(tray_icon_geometry)
half=$((size / 2))
red_lamp() { import -window root "$work/tray.png" &&
    [ "$(count_pixels "$work/tray.png" "${half}x${half}+$x+$y" 220 255 30 90 20 80)" -ge $((half * half / 5)) ]; }
wait_until 10 "the red lamp" red_lamp || fail "no red lamp"

convert "$work/tray.png" -crop "$((size + 2 * x))x$((size + 2 * y))+0+0" +repage "$artifacts/tray.png"
convert "$artifacts/tray.png" -filter point -resize 800% "$artifacts/tray-zoom.png"
quadrant() { echo "${half}x${half}+$((x + $1 * half))+$((y + $2 * half))"; }
reds=$(count_pixels "$work/tray.png" "$(quadrant 0 0)" 220 255 30 90 20 80)
greens=$(count_pixels "$work/tray.png" "$(quadrant 1 1)" 30 80 170 230 60 120)
amber_fill=$(count_pixels "$work/tray.png" "$(quadrant 1 0)" 200 255 130 200 0 60)
blue_fill=$(count_pixels "$work/tray.png" "$(quadrant 0 1)" 0 40 100 160 200 255)
echo "tray icon ${size}px at +$x+$y: red $reds, green $greens, amber $amber_fill, blue $blue_fill pixels"
minimum=$((half * half / 5))
[ "$reds" -ge "$minimum" ] || fail "the red lamp is not filled ($reds pixels)"
[ "$greens" -ge "$minimum" ] || fail "the green lamp is not filled ($greens pixels)"
[ "$amber_fill" -eq 0 ] && [ "$blue_fill" -eq 0 ] || fail "an empty lamp is filled"

xdotool mousemove $((x + half)) $((y + half)) click 1
wait_until 10 "the menu" has_output tray_menu_geometry || fail "a click did not open the menu"
read -r width height mx my < <(tray_menu_geometry)
sleep 0.3 # the menu paints itself after it maps
import -window root "$work/menu.png"
convert "$work/menu.png" -crop "$((width + mx))x$((height + my))+0+0" +repage "$artifacts/tray-menu.png"
# The rows' state icons: the red "needs attention" circle and the green check.
row_reds=$(count_pixels "$work/menu.png" "${width}x${height}+$mx+$my" 220 255 30 90 20 80)
row_greens=$(count_pixels "$work/menu.png" "${width}x${height}+$mx+$my" 30 80 170 230 60 120)
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
