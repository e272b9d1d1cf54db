#!/usr/bin/env bash
# Finished command-line sessions that nothing on this computer can open: a Claude Code session started in
# a terminal and a Codex session without the Codex app's state or a codex:// handler. Both show blue;
# choosing each row turns it green at once, without an alert, and it stays green after a refresh and a
# restart, until a new turn of the session makes it blue again. With a codex:// handler registered,
# choosing a Codex row opens its link as before.
source "$(dirname "$0")/support/desktop-session.sh" "$@"
source "$support/tasks.sh"

claude_session=5f0c2d1e-8b7a-4c3d-9e2f-1a2b3c4d5e6f
codex_thread=019c8bfe-ec25-79e0-97d7-0a1b2c3d4e5f
support_folder="$XDG_DATA_HOME/quorvel"

# The desktop's own link tools, with xdg-open's runs recorded.
fakes="$work/bin"
mkdir -p "$fakes"
cat >"$fakes/xdg-open" <<FAKE
#!/bin/sh
printf '%s\n' "\$@" >>"$work/xdg-open.args"
exec /usr/bin/xdg-open "\$@"
FAKE
chmod 755 "$fakes/xdg-open"
export PATH="$fakes:$PATH"

add_claude_task "$claude_session" "Fix the build" unread none
sleep 1 # the Codex session finishes a second later, so its row comes first
add_codex_task "$codex_thread" "Tidy the logs"
start_window_manager
write_settings
start_quorvel
find_tray_icon

# Six samples of the whole icon a fifth of a second apart: different while a lamp pulses.
icon_samples() {
    local sample
    for sample in 1 2 3 4 5 6; do
        mean_colour "$icon_x" "$icon_y" "$icon_width" "$icon_height"
        sleep 0.2
    done | sort -u | wc -l
}
codex_line() {
    CODEX_HOME="$HOME/.codex" "$build/quorvel-status" codex | grep "Tidy the logs"
}
choose_first_row() {
    xdotool mousemove $((icon_x + icon_width / 2)) $((icon_y + icon_height / 2)) click 1
    wait_until 5 has_menu || fail "clicking the tray icon opened no menu"
    screenshot "$1"
    # The first row that can be chosen: the header above it cannot, nor a row with nothing to do.
    xdotool key Down Return
    wait_until 5 has_no_menu || fail "the menu stayed open"
}
turns_green_at_once() {
    local chosen_at=$SECONDS
    wait_until 2 lamp_is green green || fail "$1 did not turn green at once: $(lamp_colour green)"
    [ $((SECONDS - chosen_at)) -le 2 ] || fail "$1 took longer than a refresh to turn green"
    sleep 0.5
    ! has_window || fail "choosing $1 showed a window"
}

wait_until 15 lamp_is blue blue || fail "the unread tasks' blue lamp never lit: $(lamp_colour blue)"
lamp_is green dark || fail "the green lamp is lit before anything was read: $(lamp_colour green)"
[ "$(icon_samples)" -gt 1 ] || fail "the blue lamp does not pulse"
[[ "$(codex_line)" == "Finished · unread"* ]] || fail "quorvel-status codex: $(codex_line)"

choose_first_row menu-two-unread
turns_green_at_once "the Codex row"
[ ! -e "$work/xdg-open.args" ] || fail "xdg-open ran without a codex:// handler: $(cat "$work/xdg-open.args")"
grep -q "\"$codex_thread\"" "$support_folder/codex-read-marks.json" ||
    fail "the Codex mark was not saved: $(cat "$support_folder/codex-read-marks.json" 2>&1)"
[ "$(stat -c %a "$support_folder/codex-read-marks.json")" = 600 ] || fail "the Codex marks are not private"
[[ "$(codex_line)" == "Finished · read"* ]] || fail "quorvel-status codex disagrees: $(codex_line)"
wait_until 3 lamp_is blue blue || fail "the Claude Code task stopped showing unread: $(lamp_colour blue)"

choose_first_row menu-one-unread
turns_green_at_once "the Claude Code row"
grep -q "\"$claude_session\"" "$support_folder/claude-read-state.json" || fail "the Claude mark was not saved"
lamp_is blue dark || fail "the blue lamp is still lit: $(lamp_colour blue)"
[ "$(icon_samples)" -eq 1 ] || fail "the lamps still pulse with nothing unread"
screenshot all-read

sleep 3.5 # the next refresh reads the marks back from their files
lamp_is green green && lamp_is blue dark || fail "a refresh undid the marks: $(lamp_colour blue)"
stop_quorvel
start_quorvel
find_tray_icon
wait_until 10 lamp_is green green || fail "after a restart the tasks are not green: $(lamp_colour green)"
lamp_is blue dark || fail "after a restart a task is unread again: $(lamp_colour blue)"

add_claude_turn "$claude_session" "Now the tests"
sleep 1
add_codex_turn "$codex_thread" "And the warnings"
wait_until 5 lamp_is blue blue || fail "new turns did not turn the tasks blue: $(lamp_colour blue)"
wait_until 5 lamp_is green dark || fail "new turns left a task green: $(lamp_colour green)"
[[ "$(codex_line)" == "Finished · unread"* ]] || fail "quorvel-status codex after a new turn: $(codex_line)"

# A registered codex:// handler: the Codex row opens its link and marks nothing here.
cat >"$work/codex-handler" <<HANDLER
#!/bin/sh
printf '%s\n' "\$@" >"$work/handled"
HANDLER
chmod 755 "$work/codex-handler"
mkdir -p "$XDG_DATA_HOME/applications"
cat >"$XDG_DATA_HOME/applications/quorvel-test-codex.desktop" <<ENTRY
[Desktop Entry]
Type=Application
Name=Codex link recorder
Exec=$work/codex-handler %u
MimeType=x-scheme-handler/codex;
NoDisplay=true
ENTRY
marks_before="$(cat "$support_folder/codex-read-marks.json")"
choose_first_row menu-with-handler
wait_until 5 test -s "$work/handled" || fail "the codex:// handler was not started"
[ "$(cat "$work/xdg-open.args")" = "codex://threads/$codex_thread" ] ||
    fail "xdg-open got $(cat "$work/xdg-open.args")"
[ "$(cat "$work/handled")" = "codex://threads/$codex_thread" ] || fail "the handler got $(cat "$work/handled")"
sleep 0.5
[ "$(cat "$support_folder/codex-read-marks.json")" = "$marks_before" ] || fail "opening the link marked it read"
lamp_is blue blue || wait_until 3 lamp_is blue blue || fail "the opened Codex task turned green here"
! has_window || fail "opening the link showed a window"
echo "mark-read: both rows turned green when chosen, stayed green, turned blue on new turns; the handler" \
    "opened the link; screenshots in $artifacts"
