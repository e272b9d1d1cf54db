#!/usr/bin/env bash
# One copy per home at a time, whatever the session's environment: a second start while the program runs
# (with the same private runtime folder, with none as from ssh or cron, with a link to it, or with another
# private one) opens the running copy's menu and exits at once with status 0, leaving the first running
# with its single tray icon and its files untouched. After the first is killed with SIGKILL (its lock
# file left behind), the next start runs and docks; a lock file that is a folder stops a start with a
# clear error.
source "$(dirname "$0")/support/desktop-session.sh" "$@"
source "$support/tasks.sh"

write_settings claude
add_local_task deploy waiting "Review the deploy plan"
start_window_manager
start_quorvel
first_pid=$quorvel_pid
wait_until 15 tray_icon_window >/dev/null || fail "the first copy did not dock"

# The docked icons of every process: small visible windows of the program's class.
icon_count() {
    local window count=0
    for window in $(xdotool search --onlyvisible --classname quorvel 2>/dev/null); do
        xwininfo -id "$window" 2>/dev/null | grep -q 'Width: [1-3][0-9]$' && count=$((count + 1))
    done
    echo "$count"
}
[ "$(icon_count)" -eq 1 ] || fail "expected one icon before the second start, found $(icon_count)"

# Every file of the program's, with its contents.
state_files() {
    find "$XDG_DATA_HOME/quorvel" "$XDG_CONFIG_HOME/Quorvel" -type f -print0 2>/dev/null |
        sort -z | xargs -0 md5sum
}
sleep 3.5 # past the first refresh's writes
before="$(state_files)"

mkdir -m 700 "$work/other-runtime"
ln -s "$XDG_RUNTIME_DIR" "$work/runtime-link"
for runtime in "$XDG_RUNTIME_DIR" "" "$work/runtime-link" "$work/other-runtime"; do
    started=$(date +%s%N)
    status=0
    if [ -n "$runtime" ]; then
        XDG_RUNTIME_DIR="$runtime" timeout 10 "$build/quorvel" >"$work/second.log" 2>&1 || status=$?
    else
        env -u XDG_RUNTIME_DIR timeout 10 "$build/quorvel" >"$work/second.log" 2>&1 || status=$?
    fi
    elapsed_ms=$((($(date +%s%N) - started) / 1000000))
    echo "second start with XDG_RUNTIME_DIR=${runtime:-(unset)}: status $status after $elapsed_ms ms: $(cat "$work/second.log")"
    [ "$status" -eq 0 ] || fail "the second start ended with status $status"
    [ "$elapsed_ms" -lt 2000 ] || fail "the second start took $elapsed_ms ms"
    wait_until 5 has_menu || fail "the second start did not open the first copy's menu"
    xdotool key Escape
    wait_until 5 has_no_menu || fail "the menu did not close"
done
kill -0 "$first_pid" 2>/dev/null || fail "the first copy stopped"
sleep 1 # a second icon would have docked by now
[ "$(icon_count)" -eq 1 ] || fail "expected one icon after the second starts, found $(icon_count)"
[ "$(state_files)" = "$before" ] || fail "a second start changed the first's files"

kill -KILL "$first_pid"
wait "$first_pid" 2>/dev/null || true
lock="$(find "$HOME" -name quorvel.lock)"
[ -f "$lock" ] || fail "no lock file in the home: $lock"
[ -z "$(find "$XDG_RUNTIME_DIR" -name 'quorvel.*')" ] || fail "files left in the runtime folder"

# A lock file that is a folder: the start says so, with the path, and ends with a failure.
rm "$lock"
mkdir "$lock"
status=0
timeout 10 "$build/quorvel" >"$work/refused.log" 2>&1 || status=$?
echo "start with a folder for the lock file: status $status: $(cat "$work/refused.log")"
[ "$status" -ne 0 ] || fail "a start with a folder for the lock file ran"
grep -qF "$lock" "$work/refused.log" || fail "the error does not name the lock file"
rmdir "$lock"

start_quorvel
wait_until 15 tray_icon_window >/dev/null || fail "a start after SIGKILL of the first did not dock"
kill -0 "$quorvel_pid" || fail "the start after SIGKILL ended"
[ "$(icon_count)" -eq 1 ] || fail "expected one icon after the restart, found $(icon_count)"
echo "single-copy: second starts open the menu and exit at once; a start after SIGKILL runs"
