# Shared by the tray tests: a temporary home with tasks in it, and the real program in a virtual X
# server with jwm's XEmbed tray, with no D-Bus session. Source it, then call the functions.

# tray_in_xvfb SCRIPT ARGS...: runs the script again inside a virtual X server without a D-Bus session,
# unless it already runs there.
tray_in_xvfb() {
    if [ -n "${DISPLAY:-}" ] && [ "${TRAY_TEST_IN_XVFB:-}" = 1 ]; then
        return 0
    fi
    export TRAY_TEST_IN_XVFB=1
    exec env -u DBUS_SESSION_BUS_ADDRESS xvfb-run -a -s "-screen 0 800x600x24" bash "$@"
}

# tray_session_init BUILD: a fresh home under a temporary folder (removed at exit), the artefact folder
# and the variables the other functions use.
tray_session_init() {
    build="$(cd "$1" && pwd)"
    artifacts="$build/artifacts"
    mkdir -p "$artifacts"
    work="$(mktemp -d)"
    export HOME="$work/home"
    mkdir -p "$HOME"
    unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME XDG_STATE_HOME CODEX_HOME CLAUDE_CONFIG_DIR
    unset DBUS_SESSION_BUS_ADDRESS
    export XDG_RUNTIME_DIR="$work/runtime"
    mkdir -m 0700 "$XDG_RUNTIME_DIR"
    pids=()
    trap tray_session_cleanup EXIT
}

tray_session_cleanup() {
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}

# Settings of a user who has finished the onboarding, with both providers on.
tray_write_settings() {
    mkdir -p "$HOME/.config/Quorvel"
    printf '[General]\nintegrationOnboardingVersion=4\ncodexIntegrationEnabled=false\nclaudeIntegrationEnabled=true\n' \
        >"$HOME/.config/Quorvel/Quorvel.conf"
}

iso_now() { date -u -d "@$(($(date +%s) - ${1:-0}))" +%Y-%m-%dT%H:%M:%S.000Z; }

# tray_add_claude_task SESSION-UUID PROMPT read|unread: a finished Claude Code conversation, read or not,
# shown by the Claude desktop app (so that it has a link).
tray_add_claude_task() {
    local session="$1" prompt="$2" read="$3"
    local project="$HOME/.claude/projects/-home-me-code-app"
    mkdir -p "$project"
    local asked answered
    asked="$(iso_now 120)"
    answered="$(iso_now 60)"
    printf '%s\n' \
        "{\"type\":\"user\",\"sessionId\":\"$session\",\"cwd\":\"/home/me/code/app\",\"uuid\":\"9b3f6a1c-2d4e-4f5a-8b6c-7d8e9f0a1b2c\",\"timestamp\":\"$asked\",\"message\":{\"role\":\"user\",\"content\":\"$prompt\"}}" \
        "{\"type\":\"assistant\",\"sessionId\":\"$session\",\"cwd\":\"/home/me/code/app\",\"uuid\":\"9b3f6a1c-2d4e-4f5a-8b6c-7d8e9f0a1b2d\",\"timestamp\":\"$answered\",\"message\":{\"role\":\"assistant\",\"type\":\"message\",\"stop_reason\":\"end_turn\",\"content\":[{\"type\":\"text\",\"text\":\"Done.\"}]}}" \
        >"$project/$session.jsonl"
    local sessions="$HOME/Library/Application Support/Claude/claude-code-sessions"
    mkdir -p "$sessions"
    printf '{"cliSessionId":"%s","sessionId":"local_%s","lastFocusedAt":%s000}\n' \
        "$session" "$session" "$(($(date +%s) - 3600))" >"$sessions/local_$session.json"
    if [ "$read" = read ]; then
        local support="$HOME/Library/Application Support/Quorvel"
        mkdir -p "$support"
        printf '{"readAt":{"%s":"%s"}}' "$session" "$(date -u +%Y-%m-%dT%H:%M:%SZ)" >"$support/claude-read-state.json"
    fi
}

# tray_add_local_task ID STATE NAME, through the helper as a script would.
tray_add_local_task() {
    "$build/quorvel-status" set "$1" "$2" "$3" >/dev/null
}

# tray_start_desktop: jwm with a tray at the top left, 26 pixels high, in the current X display.
tray_start_desktop() {
    cat >"$work/jwmrc" <<'JWM'
<?xml version="1.0"?>
<JWM>
  <Tray x="0" y="0" width="160" height="26" autohide="off" layer="above"><Dock/></Tray>
  <TrayStyle><Background>#2b2b2b</Background></TrayStyle>
</JWM>
JWM
    jwm -f "$work/jwmrc" >"$work/jwm.log" 2>&1 &
    pids+=($!)
    wait_until 10 "jwm to take the screen" xprop -root _NET_SUPPORTING_WM_CHECK
}

# tray_start_program: the real program, its output kept in $work/quorvel.log.
tray_start_program() {
    "$build/quorvel" >"$work/quorvel.log" 2>&1 &
    quorvel_pid=$!
    pids+=("$quorvel_pid")
}

# wait_until SECONDS WHAT COMMAND...: runs COMMAND every 0.2 s until it succeeds.
wait_until() {
    local seconds="$1" what="$2"
    shift 2
    local tries=$((seconds * 5))
    while ! "$@" >/dev/null 2>&1; do
        tries=$((tries - 1))
        if [ "$tries" -le 0 ]; then
            echo "timed out waiting for $what" >&2
            [ -f "$work/quorvel.log" ] && sed 's/^/quorvel: /' "$work/quorvel.log" >&2
            return 1
        fi
        sleep 0.2
    done
}

# count_pixels IMAGE GEOMETRY R-MIN R-MAX G-MIN G-MAX B-MIN B-MAX: pixels in the crop whose colour lies in
# the ranges.
count_pixels() {
    convert "$1" -crop "$2" +repage -depth 8 txt:- | awk -v r0="$3" -v r1="$4" -v g0="$5" -v g1="$6" \
        -v b0="$7" -v b1="$8" -F'[(),]+' 'NR > 1 { r = $3; g = $4; b = $5;
        if (r >= r0 && r <= r1 && g >= g0 && g <= g1 && b >= b0 && b <= b1) n++ } END { print n + 0 }'
}

# tray_icon_geometry: "WIDTH HEIGHT X Y" of the program's docked tray icon (a small square window).
tray_icon_geometry() {
    xwininfo -root -tree | awk '/\("quorvel" "Quorvel"\)/ {
        split($0, parts, "\\)  "); split(parts[2], g, "[x+ ]+");
        if (g[1] == g[2] && g[1] <= 64) { print g[1], g[2], g[5], g[6]; exit } }'
}

# tray_menu_geometry: "WIDTH HEIGHT X Y" of the program's open menu (a window taller than the tray).
tray_menu_geometry() {
    xwininfo -root -tree | awk '/\("quorvel" "Quorvel"\)/ {
        split($0, parts, "\\)  "); split(parts[2], g, "[x+ ]+");
        if (g[2] > 100) { print g[1], g[2], g[5], g[6]; exit } }'
}

has_output() { [ -n "$("$@")" ]; }
