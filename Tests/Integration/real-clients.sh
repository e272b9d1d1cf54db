#!/usr/bin/env bash
# Claude Code (the version the tests pinned before and today's) and today's Codex CLI (pinned below, from
# npm), run offline against a model server of our own on 127.0.0.1 with Quorvel's hooks installed by
# Quorvel's own installer, and what one refresh then shows: a plain turn and a failed turn of each client,
# a Claude Code permission prompt refused with Esc, a Claude Code subagent at work, Claude Code's auto
# mode asking the user (from 2.1.337) and refused, and a Codex command waiting for approval, then
# approved. Each client version is installed into its own folder in .cache/clients when npm's registry
# can be reached; without npm or the registry the test is skipped.
set -euo pipefail

build="$(cd "$1" && pwd)"
here="$(cd "$(dirname "$0")" && pwd)"
repo="$(cd "$here/../.." && pwd)"
clients="$repo/.cache/clients"
claude_package="@anthropic-ai/claude-code" claude_versions=(2.1.197 2.1.337)
codex_package="@openai/codex" codex_version="0.171.0"

skip() {
    echo "SKIP (real-clients): $*"
    exit 77
}

# --- The clients, pinned ----------------------------------------------------------------------------

# One folder per package and version, so that two versions of one package live side by side.
client_prefix() { # PACKAGE VERSION
    echo "$clients/${1##*/}-$2"
}

installed_version() { # PACKAGE VERSION
    python3 -c 'import json, sys; print(json.load(open(sys.argv[1]))["version"])' \
        "$(client_prefix "$1" "$2")/node_modules/$1/package.json" 2>/dev/null || true
}

install_client() { # PACKAGE VERSION
    local prefix
    prefix="$(client_prefix "$1" "$2")"
    [ "$(installed_version "$1" "$2")" != "$2" ] || return 0
    command -v node >/dev/null && command -v npm >/dev/null ||
        skip "node and npm are needed to install $1@$2"
    timeout 30 npm ping >/dev/null 2>&1 || skip "npm's registry cannot be reached, so $1@$2 cannot be installed"
    mkdir -p "$prefix"
    cat >"$prefix/package.json" <<JSON
{"private": true, "dependencies": {"$1": "$2"}}
JSON
    echo "real-clients: installing $1@$2 into $prefix"
    timeout 600 npm install --prefix "$prefix" --no-audit --no-fund --no-save >"$prefix/npm-install.log" 2>&1 || {
        cat "$prefix/npm-install.log" >&2
        echo "FAIL (real-clients): npm install of $1@$2 failed" >&2
        exit 1
    }
}

for claude_version in "${claude_versions[@]}"; do
    install_client "$claude_package" "$claude_version"
done
install_client "$codex_package" "$codex_version"
command -v python3 >/dev/null || skip "python3 is needed for the model server"
command -v tmux >/dev/null || skip "tmux is needed to drive the interactive clients"
[ -x "$build/Benchmarks/refresh-bench" ] || skip "build/Benchmarks/refresh-bench is not built (QUORVEL_BENCHMARKS=OFF)"
codex="$(client_prefix "$codex_package" "$codex_version")/node_modules/.bin/codex"

# --- A private home, the model server, and cleaning up by process id -----------------------------------

work="$(mktemp -d)"
home="$work/home"
mkdir -p "$work/tmp"
server_pid="" agent_pid=""
tmux_socket="$work/tmux.socket"

# A private tmux server that reads no configuration.
tm() {
    tmux -f /dev/null -S "$tmux_socket" "$@"
}

# The processes the interactive Codex client leaves running: its app-server daemons, from their pid files.
codex_daemon_pids() {
    local file
    for file in "$home/.codex/app-server-daemon/daemon.pid" "$home/.codex/app-server-daemon/daemon-updater.pid"; do
        [ -f "$file" ] && python3 -c 'import json, sys; print(json.load(open(sys.argv[1]))["pid"])' "$file" 2>/dev/null
    done
    return 0
}

finish() {
    local status=$?
    local pid
    if [ -S "$tmux_socket" ]; then
        pid="$(tm display-message -p '#{pid}' 2>/dev/null || true)"
        tm kill-server 2>/dev/null || true
        [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    fi
    [ -n "$agent_pid" ] && kill "$agent_pid" 2>/dev/null || true
    for pid in $(codex_daemon_pids); do
        kill "$pid" 2>/dev/null || true
    done
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null || true
    if [ "$status" -ne 0 ] && [ "$status" -ne 77 ]; then
        echo "--- model server requests" >&2
        python3 -c 'import json, sys
for line in open(sys.argv[1]):
    entry = json.loads(line); print(entry["path"], entry["answer"])' "$work/requests.jsonl" >&2 2>/dev/null || true
    fi
    rm -rf "$work"
    exit "$status"
}
trap finish EXIT

fail() {
    echo "FAIL (real-clients): $*" >&2
    exit 1
}

source "$here/support/wait-until.sh"

QV_SLOW_SECONDS=10 python3 "$here/support/model-server.py" "$work/port" "$work/requests.jsonl" >"$work/server.log" 2>&1 &
server_pid=$!
wait_until 10 test -s "$work/port" || fail "the model server did not start: $(cat "$work/server.log")"
port="$(cat "$work/port")"

# The clients see only this environment: no key, folder or setting of the machine's user.
api_key=sk-quorvel-test-key-0000000000
use_home() { # FOLDER
    home="$1"
    mkdir -p "$home"
    client_environment=(
        env -i PATH="$PATH" HOME="$home" TMPDIR="$work/tmp" LANG=C.UTF-8 TERM=xterm-256color
        ANTHROPIC_BASE_URL="http://127.0.0.1:$port" ANTHROPIC_API_KEY="$api_key"
        CLAUDE_CODE_DISABLE_NONESSENTIAL_TRAFFIC=1 CLAUDE_CODE_MAX_RETRIES=0 DISABLE_AUTOUPDATER=1
        CODEX_HOME="$home/.codex" MOCK_API_KEY=dummy
    )
}

# What one refresh sees, and one field of one of its tasks.
refresh() {
    env -i PATH="$PATH" HOME="$home" "$build/Benchmarks/refresh-bench" --home "$home" --dump >"$work/refresh.json"
}
task_field() {
    python3 - "$work/refresh.json" "$1" "$2" <<'PYTHON'
import json, sys
snapshot = json.load(open(sys.argv[1]))
tasks = [task for task in snapshot["tasks"] if task["id"] == sys.argv[2]]
value = tasks[0].get(sys.argv[3]) if tasks else "<no task>"
print(json.dumps(value) if not isinstance(value, str) else value)
PYTHON
}
# task_is ID STATE ATTENTION PROJECT [NAME]: one refresh shows the task so.
task_is() {
    refresh
    local field expected
    for field in state confirmedAttentionPending projectName name; do
        case "$field" in
        state) expected="$2" ;;
        confirmedAttentionPending) expected="$3" ;;
        projectName) expected="$4" ;;
        name) expected="${5-}" ;;
        esac
        [ -z "$expected" ] || [ "$(task_field "$1" "$field")" = "$expected" ] || return 1
    done
}
# The interactive client writes its transcript a moment after the lines' times, so allow a few refreshes.
expect_task() {
    wait_until 10 task_is "$@" || fail "$1 is not $2 (attention $3, project $4) in: $(cat "$work/refresh.json")"
}

codex_status() {
    env -i PATH="$PATH" HOME="$home" CODEX_HOME="$home/.codex" "$build/quorvel-status" codex
}

# --- Claude Code -------------------------------------------------------------------------------------

# Each tmux session runs one client in a folder.
start_interactive() { # NAME FOLDER COMMAND...
    local name="$1" folder="$2"
    shift 2
    printf '%q ' "${client_environment[@]}" "$@" >"$work/$name.command"
    tm new-session -d -s "$name" -x 160 -y 45 -c "$folder" "bash $work/$name.command"
}
screen() {
    tm capture-pane -p -t "$1"
}
pane_shows() {
    screen "$1" | grep -qF "$2"
}
type_line() {
    tm send-keys -t "$1" -l "$2"
    sleep 0.3
    tm send-keys -t "$1" Enter
}
transcript_of() { # SESSION-ID
    find "$home/.claude/projects" -name "$1.jsonl"
}

# The answers of the client's first start: onboarding done, the key accepted, these folders trusted.
accept_first_start() { # FOLDER...
    python3 - "$home/.claude.json" "$api_key" "$@" <<'PYTHON'
import json, os, sys
path, key, projects = sys.argv[1], sys.argv[2], sys.argv[3:]
config = json.load(open(path)) if os.path.exists(path) else {}
config.update({"hasCompletedOnboarding": True, "theme": "dark",
               "customApiKeyResponses": {"approved": [key[-20:]], "rejected": []}})
for project in projects:
    config.setdefault("projects", {})[project] = {"hasTrustDialogAccepted": True, "allowedTools": []}
json.dump(config, open(path, "w"))
PYTHON
}

# The scenarios of one Claude Code version, in a home of its own.
claude_scenarios() { # VERSION
    local version="$1"
    claude="$(client_prefix "$claude_package" "$version")/node_modules/.bin/claude"
    use_home "$work/claude-$version"
    local health
    health="$(env -i PATH="$PATH" HOME="$home" "$build/enable-claude-hooks" "$build/quorvel-status")" ||
        fail "Quorvel's installer failed"
    [ "$health" = "Enabled" ] || fail "the installed hooks report $health"
    "${client_environment[@]}" "$claude" --version | grep -qx "$version (Claude Code)" ||
        fail "the installed claude is not $version"
    events="$home/.local/share/quorvel/claude-events"

    # claude -p: a plain turn, in the project alpha-app.
    local plain_session=3d5c1a20-7b6e-4f0a-9c8d-1e2f3a4b5c6d
    mkdir -p "$home/alpha-app"
    (cd "$home/alpha-app" && "${client_environment[@]}" "$claude" -p --session-id "$plain_session" \
        "QV-PLAIN Say hello in one line." </dev/null >"$work/plain.out" 2>&1) || fail "claude -p failed: $(cat "$work/plain.out")"
    grep -q "Mock answer" "$work/plain.out" || fail "claude -p did not answer: $(cat "$work/plain.out")"
    grep -q '"state":"done"' "$events/$plain_session.json" || fail "the hooks wrote no finished record"
    expect_task "claude-$plain_session" done false alpha-app "QV-PLAIN Say hello in one line."
    [ "$(python3 -c 'import json, sys; print(json.load(open(sys.argv[1]))["claudeHealth"])' "$work/refresh.json")" = Enabled ] ||
        fail "the refresh does not see the hooks enabled"

    # claude -p while the service fails: StopFailure and SessionEnd start together; the task fails.
    local error_session=c4257770-a788-44b1-94cc-352190e98558
    mkdir -p "$home/delta-api"
    (cd "$home/delta-api" && "${client_environment[@]}" "$claude" -p --session-id "$error_session" \
        "QV-ERROR Please answer in one line." </dev/null >"$work/error.out" 2>&1) && fail "claude -p succeeded against a failing service"
    grep -q "API Error: 500" "$work/error.out" || fail "claude -p did not report the error: $(cat "$work/error.out")"
    expect_task "claude-$error_session" failed false delta-api
    grep -q '"state":"failed"' "$events/$error_session.json" || fail "the hook record lost the failure: $(cat "$events/$error_session.json")"

    # claude -p with a subagent that works for QV_SLOW_SECONDS. 2.1.197 waits for it inside the turn;
    # 2.1.337 runs it in the background, ends the turn with a Stop that lists it, and starts a turn of its
    # own when it is done. The session works until then.
    local agent_session=9b2e4c61-0d7f-4a35-8e19-6c3b5a7d2f80
    mkdir -p "$home/zeta-lib"
    (cd "$home/zeta-lib" && exec "${client_environment[@]}" "$claude" -p --session-id "$agent_session" \
        "QV-AGENT please hand the side task to an agent" </dev/null >"$work/agent.out" 2>&1) &
    agent_pid=$!
    subagent_started() { [ -n "$(find "$home/.claude/projects" -path "*/$agent_session/subagents/agent-*.jsonl")" ]; }
    wait_until 30 subagent_started || fail "no subagent started: $(cat "$work/agent.out")"
    if version_at_least "$version" 2.1.337; then
        wait_until 10 grep -qs '"subtype":"stop_hook_summary"' "$(transcript_of "$agent_session")" ||
            fail "the turn that launched the agent did not end"
        kill -0 "$agent_pid" 2>/dev/null || fail "claude -p returned before its background agent finished"
    fi
    expect_task "claude-$agent_session" working false zeta-lib "QV-AGENT please hand the side task to an agent"
    wait "$agent_pid" || fail "claude -p with an agent failed: $(cat "$work/agent.out")"
    agent_pid=""
    expect_task "claude-$agent_session" done false zeta-lib

    # Interactive: a command that needs permission, refused with Esc. No hook fires after the refusal.
    accept_first_start "$home/beta-web" "$home/eta-tool"
    mkdir -p "$home/beta-web" "$home/eta-tool"
    local deny_session=5dcde3f6-925c-44de-bdf0-141e78590603
    ask_interactively "$deny_session" "$home/beta-web" "? for shortcuts" "QV-BASH please create the marker file" \
        "Do you want to proceed?" --permission-mode default
    refuse "$deny_session" beta-web

    version_at_least "$version" 2.1.337 || return 0

    # Interactive, in auto mode (the default): the model server gives no verdict for auto mode's check of
    # a command outside the project, so the client asks the user, and some seconds later fires its only
    # hook event, a Notification of type agent_needs_input. Staying in auto mode, it asks for the command
    # itself; Esc refuses it and ends the turn.
    local ask_session=7e1d3b95-2c48-4f6a-b0d7-58a9c3e6f214
    ask_interactively "$ask_session" "$home/eta-tool" "(shift+tab to cycle)" \
        "QV-OUTSIDE please create the marker file beside the project" "Auto mode can't check actions in this session"
    tm send-keys -t claude Enter
    wait_until 10 pane_shows claude "Do you want to proceed?" || fail "no approval asked in auto mode: $(screen claude)"
    expect_task "claude-$ask_session" waiting true eta-tool
    refuse "$ask_session" eta-tool
    [ ! -e "$home/qv-outside.txt" ] || fail "the refused command ran"
}

# Starts the client for a session in a folder, waits for its input box by its footer, types the prompt,
# and waits until the client asks the question and the session's row waits for the user.
ask_interactively() { # SESSION FOLDER FOOTER PROMPT QUESTION [CLIENT-OPTION...]
    local session="$1" folder="$2" footer="$3" prompt="$4" question="$5"
    shift 5
    start_interactive claude "$folder" "$claude" --session-id "$session" "$@"
    wait_until 30 pane_shows claude "$footer" || fail "interactive claude did not start: $(screen claude)"
    type_line claude "$prompt"
    wait_until 30 pane_shows claude "$question" || fail "claude did not ask \"$question\": $(screen claude)"
    wait_until 15 grep -qs '"state":"waiting"' "$events/$session.json" || fail "no hook recorded the wait: $question"
    expect_task "claude-$session" waiting true "${folder##*/}" "$prompt"
}

# Esc refuses what the client asks. No hook fires; the transcript ends the turn. Hook records keep whole
# seconds and win a tie with a transcript line of their own second, so the key comes in a later second.
refuse() { # SESSION PROJECT
    wait_until 3 written_before_this_second "$events/$1.json" || fail "the hook record keeps changing"
    tm send-keys -t claude Escape
    wait_until 10 grep -qF "[Request interrupted by user for tool use]" "$(transcript_of "$1")" ||
        fail "the refusal was not written"
    expect_task "claude-$1" done false "$2"
    tm kill-session -t claude
}

written_before_this_second() { # FILE
    [ "$(stat -c %Y "$1")" -lt "$(date +%s)" ]
}

version_at_least() { # VERSION MINIMUM
    [ "$(printf '%s\n' "$2" "$1" | sort -V | head -n 1)" = "$2" ]
}

for claude_version in "${claude_versions[@]}"; do
    claude_scenarios "$claude_version"
done
use_home "$work/home"

# --- Codex ---------------------------------------------------------------------------------------------

mkdir -p "$home/.codex" "$home/gamma-svc" "$home/epsilon-cli"
cat >"$home/.codex/config.toml" <<TOML
model = "mock-model"
model_provider = "mock"

[model_providers.mock]
name = "mock"
base_url = "http://127.0.0.1:$port/v1"
wire_api = "responses"
env_key = "MOCK_API_KEY"
request_max_retries = 0
stream_max_retries = 0

[projects."$home/gamma-svc"]
trust_level = "trusted"
TOML
"${client_environment[@]}" "$codex" --version | grep -qx "codex-cli $codex_version" || fail "the installed codex is not $codex_version"

# codex exec: a plain turn, then one while the service fails, in the project epsilon-cli.
(cd "$home/epsilon-cli" && "${client_environment[@]}" "$codex" exec --skip-git-repo-check \
    "QV-PLAIN Say hello in one line." </dev/null >"$work/codex-plain.out" 2>&1) || fail "codex exec failed: $(cat "$work/codex-plain.out")"
[ "$(codex_status)" = "Finished · unread	QV-PLAIN Say hello in one line.	epsilon-cli" ] ||
    fail "quorvel-status codex after the plain turn: $(codex_status)"
plain_thread="$(sed -n 's/^session id: //p' "$work/codex-plain.out")"
expect_task "codex-$plain_thread" done false epsilon-cli "QV-PLAIN Say hello in one line."
sleep 1 # a newer file
(cd "$home/epsilon-cli" && "${client_environment[@]}" "$codex" exec --skip-git-repo-check \
    "QV-ERROR Please answer in one line." </dev/null >"$work/codex-error.out" 2>&1) && fail "codex exec succeeded against a failing service"
[ "$(codex_status | head -n 1)" = "Failed	QV-ERROR Please answer in one line.	epsilon-cli" ] ||
    fail "quorvel-status codex after the failed turn: $(codex_status)"

# Interactive: a command that must run outside the sandbox waits for approval, then is approved.
start_interactive codex "$home/gamma-svc" "$codex"
wait_until 60 pane_shows codex "? for shortcuts" || fail "interactive codex did not start: $(screen codex)"
type_line codex "QV-BASH please create the marker file"
wait_until 30 pane_shows codex "Would you like to run the following command?" || fail "no approval request: $(screen codex)"
[ "$(codex_status | head -n 1)" = "Needs your attention	QV-BASH please create the marker file	gamma-svc" ] ||
    fail "quorvel-status codex while the approval is pending: $(codex_status)"
tm send-keys -t codex y
wait_until 30 test -f "$home/gamma-svc/qv-approved.txt" || fail "the approved command did not run"
finished_line="Finished · unread	QV-BASH please create the marker file	gamma-svc"
codex_finished() { [ "$(codex_status | head -n 1)" = "$finished_line" ]; }
wait_until 30 codex_finished || fail "quorvel-status codex after the approval: $(codex_status)"
tm kill-session -t codex

echo "real-clients: Claude Code ${claude_versions[*]} and Codex CLI $codex_version read as expected"
