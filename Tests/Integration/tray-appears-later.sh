#!/usr/bin/env bash
# With no tray at all the program neither crashes nor spins, and it docks once a tray appears.
source "$(dirname "$0")/support/desktop-session.sh" "$@"
source "$support/tasks.sh"

write_settings claude
add_local_task deploy waiting "Review the deploy plan"
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$quorvel_pid/stat"; }

start_quorvel
sleep 1
kill -0 "$quorvel_pid" || fail "the program ended without a tray"
before=$(cpu_ticks)
sleep 3
kill -0 "$quorvel_pid" || fail "the program ended without a tray"
used=$(($(cpu_ticks) - before))
hertz=$(getconf CLK_TCK)
echo "without a tray: $used ticks of $hertz a second over 3 s"
# A pulsing red lamp redraws 12.5 times a second; anything near a whole core is a spin.
[ "$used" -le $((hertz * 3 / 4)) ] || fail "the program is busy without a tray ($used ticks in 3 s)"
! tray_icon_window >/dev/null || fail "an icon docked with no tray"

start_window_manager
wait_until 15 tray_icon_window >/dev/null || fail "the icon never docked into the new tray"
echo "tray-appears-later: ok"
