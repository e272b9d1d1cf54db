#!/usr/bin/env bash
# With no tray at all the program neither crashes nor spins, and it docks once a tray appears.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/lib/tray-session.bash"
tray_in_xvfb "$0" "$@"
tray_session_init "$1"
tray_write_settings
tray_add_local_task deploy waiting "Review the deploy plan"

fail() {
    echo "tray-appears-later: $*" >&2
    sed 's/^/quorvel: /' "$work/quorvel.log" >&2
    exit 1
}

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$quorvel_pid/stat"; }

tray_start_program
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
[ -z "$(tray_icon_geometry)" ] || fail "an icon docked with no tray"

tray_start_desktop
wait_until 15 "the icon to dock into the new tray" has_output tray_icon_geometry || fail "the icon never docked"
echo "tray-appears-later: ok"
