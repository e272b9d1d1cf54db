#!/usr/bin/env bash
# The tray icon reads on a light and on a dark panel: the rings of unlit lamps and the digits of a
# pulsing lamp, at every point of its pulse, stand out from the panel. Zoomed pictures of the icon on
# both panels are kept as artefacts.
source "$(dirname "$0")/support/desktop-session.sh" "$@"
source "$support/tasks.sh"

write_settings claude
add_local_task review waiting "Review the deploy plan"
add_local_task build working "Build the release"

# count_gray IMAGE WIDTHxHEIGHT+X+Y MIN MAX: the pixels of the crop whose grey level lies in the range.
count_gray() {
    convert "$1" -crop "$2" +repage -colorspace gray -depth 8 txt:- |
        awk -v low="$3" -v high="$4" -F'[(),]+' 'NR > 1 && $3 >= low && $3 <= high { n++ } END { print n + 0 }'
}

# The square of lamp COLUMN ROW of the 2 x 2 icon, and the middle of that lamp where its digit sits.
lamp_square() {
    local half=$((size / 2))
    echo "${half}x${half}+$((x + $1 * half))+$((y + $2 * half))"
}
lamp_middle() {
    local side=$((size * 5 / 22)) centre_x=$((x + (11 * $1 + 5) * size / 22)) centre_y=$((y + (11 * $2 + 5) * size / 22))
    echo "${side}x${side}+$((centre_x - side / 2 + size / 44))+$((centre_y - side / 2 + size / 44))"
}

check_panel() {
    local name="$1" frame dark light
    tray_background="$2" start_window_manager
    local window_manager=${started_pids[-1]}
    start_quorvel
    wait_until 15 tray_icon_window >/dev/null || fail "the icon did not dock on the $name panel"
    read -r x y size _ < <(window_geometry "$(tray_icon_window)")
    sleep 1 # the first refresh lights the lamps
    # The red lamp pulses in about 0.7 s: these frames catch it bright and faint.
    for frame in $(seq 1 12); do
        import -window root "$work/$name-$frame.png"
        dark=$(count_gray "$work/$name-$frame.png" "$(lamp_middle 0 0)" 0 149)
        light=$(count_gray "$work/$name-$frame.png" "$(lamp_middle 0 0)" 201 255)
        [ "$dark" -ge 2 ] && [ "$light" -ge 2 ] ||
            fail "the red lamp's digit does not stand out on the $name panel in frame $frame ($dark dark, $light light pixels)"
    done
    convert "$work/$name-1.png" -crop "$((size + 8))x$((size + 8))+$((x - 4))+$((y - 4))" +repage \
        -filter point -resize 800% "$artifacts/tray-$name.png"
    # The blue and green lamps are unlit: their rings must show.
    local column rings
    for column in 0 1; do
        if [ "$name" = light ]; then
            rings=$(count_gray "$work/$name-1.png" "$(lamp_square "$column" 1)" 0 149)
        else
            rings=$(count_gray "$work/$name-1.png" "$(lamp_square "$column" 1)" 151 255)
        fi
        echo "$name panel: unlit lamp $column has $rings ring pixels standing out"
        [ "$rings" -ge $((size * 4 / 5)) ] || fail "an unlit lamp's ring vanishes on the $name panel ($rings pixels)"
    done
    kill "$quorvel_pid" "$window_manager"
    wait "$quorvel_pid" "$window_manager" 2>/dev/null || true
}

check_panel light "#f2f2f2"
check_panel dark "#202020"
echo "tray-panels: rings and digits read on both panels; pictures in $artifacts"
