#!/usr/bin/env bash
# The real program follows the assistants' files while it runs, in folders made after it started too,
# within a refresh or two: a Claude Code session written into folders that did not exist shows blue,
# turns green once read, goes dark when the whole ~/.claude folder is moved away, comes back when it is
# moved back, and turns blue again with a new turn.
source "$(dirname "$0")/support/desktop-session.sh" "$@"
source "$support/tasks.sh"

session=5f0c2d1e-8b7a-4c3d-9e2f-1a2b3c4d5e6f
write_settings claude
start_window_manager
start_quorvel
find_tray_icon
sleep 1 # the first refresh has seen a home without ~/.claude

# followed LAMP STATE WHAT: the lamp reaches the state within two refreshes.
followed() {
    wait_until 7 lamp_is "$1" "$2" || fail "$3 did not show within two refreshes: $(lamp_colour "$1")"
}
add_claude_task "$session" "Fix the build" unread none
followed blue blue "a session in new folders"
support_folder="$XDG_DATA_HOME/quorvel"
mkdir -p "$support_folder"
printf '{"readAt":{"%s":"%s"}}' "$session" "$(date -u +%Y-%m-%dT%H:%M:%SZ)" \
    >"$support_folder/claude-read-state.json"
followed green green "the read mark"
mv "$HOME/.claude" "$HOME/.claude-moved"
followed green dark "the Claude folder moved away"
mv "$HOME/.claude-moved" "$HOME/.claude"
followed green green "the Claude folder moved back"
add_claude_turn "$session" "And the docs"
followed blue blue "a new turn"
echo "tray-follows-files: ok"
