#!/usr/bin/env bash
# Choosing a Claude Code row opens its desktop link through the xdg-open found first on PATH, and a
# finished, unread task turns from blue to green at once.
source "$(dirname "$0")/support/desktop-session.sh" "$@"
source "$support/tasks.sh"

# Recording stand-ins for the desktop's link tools.
fakes="$work/bin"
mkdir -p "$fakes"
cat >"$fakes/xdg-mime" <<FAKE
#!/bin/sh
printf '%s\0' "\$@" >>"$work/xdg-mime.args"
[ "\$3" = x-scheme-handler/claude ] && echo claude-desktop.desktop
exit 0
FAKE
cat >"$fakes/xdg-open" <<FAKE
#!/bin/sh
printf '%s\0' "\$@" >"$work/xdg-open.args.tmp"
mv "$work/xdg-open.args.tmp" "$work/xdg-open.args"
FAKE
chmod 755 "$fakes/xdg-mime" "$fakes/xdg-open"
export PATH="$fakes:$PATH"

# A Claude Code conversation that finished a minute ago, known to the Claude desktop app, unread.
desktop_session=local_0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d
add_claude_task 5f0c2d1e-8b7a-4c3d-9e2f-1a2b3c4d5e6f "Fix the build & tests" unread "$desktop_session"

start_window_manager
write_settings claude
start_quorvel
find_tray_icon

# Blue pulses, so wait for a moment when it is bright enough to tell.
wait_until 15 lamp_is blue blue || fail "the unread task's blue lamp never lit: $(lamp_colour blue)"
lamp_is green dark || fail "the green lamp is lit before the task was opened: $(lamp_colour green)"

xdotool mousemove $((icon_x + icon_width / 2)) $((icon_y + icon_height / 2)) click 1
wait_until 5 has_menu || fail "clicking the tray icon opened no menu"
screenshot menu-open

# The first row is the first item that can be chosen (the header above it cannot).
xdotool key Down Return
wait_until 5 test -f "$work/xdg-open.args" || fail "choosing the row ran no xdg-open"
opened_at=$SECONDS
expected="claude://code/continue?session=$desktop_session"
[ "$(tr '\0' '\n' <"$work/xdg-open.args")" = "$expected" ] ||
    fail "xdg-open got $(od -c "$work/xdg-open.args" | head -5), not the single argument $expected"
tr '\0' ' ' <"$work/xdg-mime.args" | grep -q "query default x-scheme-handler/claude" ||
    fail "no handler was looked up for claude links: $(tr '\0' ' ' <"$work/xdg-mime.args")"

# Green without waiting for a refresh (every 3 s): the mark is applied when xdg-open succeeds.
wait_until 2 lamp_is green green || fail "the opened task did not turn green at once: $(lamp_colour green)"
[ $((SECONDS - opened_at)) -le 2 ] || fail "turning green took longer than a refresh"
lamp_is blue dark || fail "the blue lamp is still lit: $(lamp_colour blue)"
test -f "$XDG_DATA_HOME/quorvel/claude-read-state.json" || fail "the read mark was not saved"
screenshot opened
echo "open-row: link opened as one argument, lamp green; screenshots in $artifacts"
