# Tasks in the test's home, written where the assistants and quorvel-status write them, and a pixel
# counter for screenshots. Source it after desktop-session.sh.

# add_claude_task SESSION-UUID PROMPT read|unread [DESKTOP-SESSION]: a Claude Code conversation that
# finished a minute ago, shown by the Claude desktop app (as local_SESSION-UUID by default; "none" for a
# session started in a terminal, which the desktop app does not know), read or not.
add_claude_task() {
    local session="$1" prompt="$2" read="$3" desktop="${4:-local_$1}"
    local sessions="$HOME/Library/Application Support/Claude/claude-code-sessions"
    mkdir -p "$(dirname "$(claude_transcript "$session")")"
    claude_turn "$session" "$prompt" '-2 minutes' '-1 minute' >"$(claude_transcript "$session")"
    if [ "$desktop" != none ]; then
        mkdir -p "$sessions"
        printf '{"cliSessionId":"%s","sessionId":"%s","lastFocusedAt":0}\n' "$session" "$desktop" \
            >"$sessions/$desktop.json"
    fi
    if [ "$read" = read ]; then
        local support="$XDG_DATA_HOME/quorvel"
        mkdir -p "$support"
        printf '{"readAt":{"%s":"%s"}}' "$session" "$(date -u +%Y-%m-%dT%H:%M:%SZ)" >"$support/claude-read-state.json"
    fi
}

# add_claude_turn SESSION-UUID PROMPT: a new turn of the conversation, answered now.
add_claude_turn() {
    claude_turn "$1" "$2" '-1 second' now >>"$(claude_transcript "$1")"
}

claude_transcript() {
    echo "$HOME/.claude/projects/-home-me-code-app/$1.jsonl"
}

# claude_turn SESSION-UUID PROMPT ASKED ANSWERED: the transcript lines of one answered prompt.
claude_turn() {
    cat <<JSONL
{"type":"user","sessionId":"$1","cwd":"/home/me/code/app","timestamp":"$(client_time "$3")","message":{"role":"user","content":"$2"}}
{"type":"assistant","sessionId":"$1","cwd":"/home/me/code/app","timestamp":"$(client_time "$4")","message":{"role":"assistant","stop_reason":"end_turn","content":[{"type":"text","text":"Done."}]}}
JSONL
}

# client_time WHEN: a time as `date -d` takes it ("-1 minute", "now"), in the clients' form.
client_time() {
    date -u -d "$1" +%Y-%m-%dT%H:%M:%S.000Z
}

# add_codex_task THREAD-UUID PROMPT: a session of the Codex command-line client that finished a minute
# ago, in today's folder of the Codex home.
add_codex_task() {
    local started
    started="$(client_time '-2 minutes')"
    mkdir -p "$HOME/.codex/sessions/$(date -u +%Y/%m/%d)"
    {
        printf '{"timestamp":"%s","type":"session_meta","payload":{"id":"%s","timestamp":"%s","cwd":"/home/me/code/app","originator":"codex_cli_rs","cli_version":"0.171.0"}}\n' \
            "$started" "$1" "$started"
        codex_turn "$2" '-2 minutes' '-1 minute'
    } >"$(codex_history "$1")"
}

# add_codex_turn THREAD-UUID PROMPT: a new turn of the session, answered now.
add_codex_turn() {
    codex_turn "$2" '-1 second' now >>"$(codex_history "$1")"
}

codex_history() {
    local found
    found="$(find "$HOME/.codex/sessions" -name "rollout-*-$1.jsonl" -print -quit 2>/dev/null)"
    echo "${found:-$HOME/.codex/sessions/$(date -u +%Y/%m/%d)/rollout-$(date -u +%Y-%m-%dT%H-%M-%S)-$1.jsonl}"
}

# codex_turn PROMPT ASKED ANSWERED: the history lines of one answered prompt.
codex_turn() {
    local asked
    asked="$(client_time "$2")"
    cat <<JSONL
{"timestamp":"$asked","type":"event_msg","payload":{"type":"task_started","turn_id":"turn-$asked"}}
{"timestamp":"$asked","type":"event_msg","payload":{"type":"user_message","message":"$1"}}
{"timestamp":"$(client_time "$3")","type":"event_msg","payload":{"type":"task_complete","turn_id":"turn-$asked","last_agent_message":"Done."}}
JSONL
}

# add_local_task ID STATE NAME, through the helper as a script would.
add_local_task() {
    "$build/quorvel-status" set "$1" "$2" "$3" >/dev/null
}

# count_pixels IMAGE WIDTHxHEIGHT+X+Y R-MIN R-MAX G-MIN G-MAX B-MIN B-MAX: the pixels of the crop whose
# colour lies in the ranges.
count_pixels() {
    convert "$1" -crop "$2" +repage -depth 8 txt:- | awk -v r0="$3" -v r1="$4" -v g0="$5" -v g1="$6" \
        -v b0="$7" -v b1="$8" -F'[(),]+' 'NR > 1 { r = $3; g = $4; b = $5;
        if (r >= r0 && r <= r1 && g >= g0 && g <= g1 && b >= b0 && b <= b1) n++ } END { print n + 0 }'
}

# The colour ranges of the lamps and state icons.
red_range=(220 255 30 90 20 80)
green_range=(30 80 170 230 60 120)
amber_range=(200 255 130 200 0 60)
blue_range=(0 40 100 160 200 255)

# add_orca_pane SESSION-UUID: Orca lists the Claude Code conversation SESSION-UUID (added with
# add_claude_task) as running in one of its panes, so its row opens through Orca.
add_orca_pane() {
    local session="$1" tab=6c1d2e3f-4a5b-4c6d-8e7f-8091a2b3c4d5 pane=7d2e3f40-5b6c-4d7e-9f80-91a2b3c4d5e6
    local hooks="$HOME/Library/Application Support/Orca/agent-hooks"
    mkdir -p "$hooks"
    cat >"$hooks/last-status.json" <<JSON
{"version":2,"entries":{"$tab:$pane":{"paneKey":"$tab:$pane","payload":{"agentType":"claude"},
"providerSession":{"key":"session_id","id":"$session"},"tabId":"$tab","worktreeId":"worktree-1",
"receivedAt":$(($(date +%s) * 1000))}}}
JSON
}
