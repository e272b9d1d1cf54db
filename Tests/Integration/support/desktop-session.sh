# Shared by the desktop integration tests: source it with the build folder as "$1".
#
# Starts a private Xvfb on a display number the server picks itself (no race with other X servers
# starting at the same time) with a screen of $session_screen (1024x768x24 unless set before), keeps
# screenshots under artifacts/$artifacts_name (the test's name unless set before), leaves
# out any D-Bus session, gives the test a temporary HOME with the XDG folders inside, and stops every
# process it started on exit.
set -euo pipefail
unset DBUS_SESSION_BUS_ADDRESS

build="$(cd "$1" && pwd)"
support="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
test_name="$(basename "$0" .sh)"
artifacts="$build/artifacts/${artifacts_name:-$test_name}"
rm -rf "$artifacts"
mkdir -p "$artifacts"

work="$(mktemp -d)"
export HOME="$work/home"
export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share" XDG_CACHE_HOME="$HOME/.cache"
export XDG_RUNTIME_DIR="$work/runtime"
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION WAYLAND_DISPLAY XDG_SESSION_TYPE
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

started_pids=()
finish_session() {
    local status=$?
    local pid
    for pid in "${started_pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${started_pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    if [ "$status" -ne 0 ] && [ -f "$work/quorvel.log" ]; then
        cp "$work/quorvel.log" "$artifacts/" || true
    fi
    rm -rf "$work"
    exit "$status"
}
trap finish_session EXIT

# -noreset: by default the server resets when its last client leaves and drops any client still
# connecting, so a short-lived xprop could take the window manager's connection down with it.
Xvfb -noreset -displayfd 3 -nolisten tcp -screen 0 "${session_screen:-1024x768x24}" 3>"$work/display" >"$work/xvfb.log" 2>&1 &
started_pids+=($!)

fail() {
    echo "FAIL ($test_name): $*" >&2
    if [ -f "$work/quorvel.log" ]; then
        echo "--- quorvel's output" >&2
        cat "$work/quorvel.log" >&2
    fi
    exit 1
}

source "$support/wait-until.sh"

wait_until 10 grep -qs "^[0-9]" "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n 1 "$work/display")"

# A window manager with an XEmbed tray along the bottom of the screen, its panel in $tray_background
# (jwm's own grey unless set, e.g. "#f2f2f2" for a light panel); with "no-tray" as $1, one without a tray.
start_window_manager() {
    local style="" tray='<Tray x="0" y="-1" height="32" autohide="off"><Spacer width="200"/><Dock/></Tray>'
    [ "${1:-}" = no-tray ] && tray=""
    [ -n "${tray_background:-}" ] && style="<TrayStyle><Background>$tray_background</Background></TrayStyle>"
    cat >"$HOME/.jwmrc" <<JWM
<?xml version="1.0"?>
<JWM>
    $tray
    $style
    <FocusModel>click</FocusModel>
</JWM>
JWM
    jwm >"$work/jwm.log" 2>&1 &
    started_pids+=($!)
    wait_until 10 has_tray_manager || fail "the window manager's tray did not appear: $(cat "$work/jwm.log")"
}

# jwm announces itself once its tray is up; Qt docks the icon whenever a tray appears anyway.
has_tray_manager() {
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"
}

# A private session bus, exported in DBUS_SESSION_BUS_ADDRESS. It activates no services: the system's
# service files would let any call to a name not yet owned start a second, default-configured copy of a
# service the test starts itself (the accessibility bus launcher, for one), which could take the name.
start_session_bus() {
    cat >"$work/session-bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
    <type>session</type>
    <listen>unix:dir=$work</listen>
    <auth>EXTERNAL</auth>
    <policy context="default">
        <allow send_destination="*" eavesdrop="true"/>
        <allow eavesdrop="true"/>
        <allow own="*"/>
    </policy>
</busconfig>
CONF
    dbus-daemon --config-file="$work/session-bus.conf" --nofork --nopidfile --print-address=3 \
        3>"$work/bus-address" 2>"$work/dbus.log" &
    started_pids+=($!)
    wait_until 10 test -s "$work/bus-address" || fail "the session bus did not start: $(cat "$work/dbus.log")"
    export DBUS_SESSION_BUS_ADDRESS="$(head -n 1 "$work/bus-address")"
}

# Quorvel's settings: no onboarding, no sounds; the providers as given ("codex claude" by default).
write_settings() {
    local codex=false claude=false provider
    for provider in ${1:-codex claude}; do
        [ "$provider" = codex ] && codex=true
        [ "$provider" = claude ] && claude=true
    done
    mkdir -p "$XDG_CONFIG_HOME/Quorvel"
    cat >"$XDG_CONFIG_HOME/Quorvel/Quorvel.conf" <<CONF
[General]
integrationOnboardingVersion=4
integrationSetupCompleted=true
soundsEnabled=false
codexIntegrationEnabled=$codex
claudeIntegrationEnabled=$claude
CONF
}

# A KDE session with Breeze Dark colours, as Qt's own KDE theme reads them from kdeglobals: the dark
# palette comes from the desktop, not from the program or the test.
use_kde_dark_palette() {
    export XDG_CURRENT_DESKTOP=KDE KDE_FULL_SESSION=true KDE_SESSION_VERSION=5
    cat >"$XDG_CONFIG_HOME/kdeglobals" <<KDEGLOBALS
[General]
ColorScheme=BreezeDark

[Colors:Window]
BackgroundNormal=32,35,38
ForegroundNormal=252,252,252
ForegroundInactive=161,169,177

[Colors:View]
BackgroundNormal=27,30,32
BackgroundAlternate=35,38,41
ForegroundNormal=252,252,252
ForegroundInactive=161,169,177
ForegroundLink=29,153,243
ForegroundVisited=155,89,182

[Colors:Button]
BackgroundNormal=41,44,48
ForegroundNormal=252,252,252
ForegroundInactive=161,169,177

[Colors:Selection]
BackgroundNormal=61,174,233
ForegroundNormal=252,252,252

[Colors:Tooltip]
BackgroundNormal=41,44,48
ForegroundNormal=252,252,252
KDEGLOBALS
}

start_quorvel() {
    "$build/quorvel" >>"$work/quorvel.log" 2>&1 &
    quorvel_pid=$!
    started_pids+=("$quorvel_pid")
}

# Ends the running quorvel as a log-out would, and waits until it has gone.
stop_quorvel() {
    kill "$quorvel_pid"
    wait "$quorvel_pid" 2>/dev/null || true
    local pid kept=()
    for pid in "${started_pids[@]}"; do
        [ "$pid" = "$quorvel_pid" ] || kept+=("$pid")
    done
    started_pids=("${kept[@]}")
}

# The docked tray icon: quorvel's visible window inside the tray (not a menu).
tray_icon_window() {
    local window
    for window in $(xdotool search --onlyvisible --pid "$quorvel_pid" 2>/dev/null); do
        if xwininfo -id "$window" 2>/dev/null | grep -q 'Width: 2[0-9]$\|Width: 3[0-2]$'; then
            echo "$window"
            return 0
        fi
    done
    return 1
}

# Waits for the icon to dock and keeps its place on the screen in icon_x, icon_y, icon_width and
# icon_height.
find_tray_icon() {
    wait_until 10 tray_icon_window >/dev/null || fail "the tray icon did not dock"
    read -r icon_x icon_y icon_width icon_height < <(window_geometry "$(tray_icon_window)")
}

# The mean colour of one lamp's quarter of the tray icon: red, amber, blue or green.
lamp_colour() {
    local column=0 row=0
    case "$1" in amber) column=1 ;; blue) row=1 ;; green) column=1 row=1 ;; esac
    local width=$((icon_width / 2)) height=$((icon_height / 2))
    mean_colour $((icon_x + column * width)) $((icon_y + row * height)) "$width" "$height"
}
# lamp_is LAMP blue|green|dark: a lit lamp of a hue has its channel stand out from the other two.
lamp_is() {
    read -r r g b < <(lamp_colour "$1")
    case "$2" in
    blue) [ $((b - r)) -gt 25 ] && [ $((b - g)) -gt 10 ] ;;
    green) [ $((g - r)) -gt 25 ] && [ $((g - b)) -gt 25 ] ;;
    dark) [ $((b - r)) -lt 10 ] && [ $((g - r)) -lt 10 ] ;;
    esac
}

# "X Y WIDTH HEIGHT" of a window on the screen.
window_geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
        /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}'
}

# The visible popup menus of quorvel: override-redirect windows wider than a tray icon.
menu_windows() {
    local window info
    for window in $(xdotool search --onlyvisible --pid "$quorvel_pid" 2>/dev/null); do
        info="$(xwininfo -id "$window" 2>/dev/null)" || continue
        grep -q 'Override Redirect State: yes' <<<"$info" || continue
        [ "$(awk '/Width:/ {print $2}' <<<"$info")" -gt 64 ] && echo "$window"
    done
    return 0
}

has_menu() {
    [ -n "$(menu_windows)" ]
}

# Clicks the docked icon and waits for its menu.
open_tray_menu() {
    local x y size
    read -r x y size _ < <(window_geometry "$(tray_icon_window)")
    xdotool mousemove $((x + size / 2)) $((y + size / 2)) click 1
    wait_until 10 has_menu
}

# A visible window of quorvel's titled exactly $1: a window or an alert, not a menu.
app_window() {
    local window
    for window in $(xdotool search --onlyvisible --pid "$quorvel_pid" --name "^$1\$" 2>/dev/null); do
        xwininfo -id "$window" 2>/dev/null | grep -q 'Override Redirect State: no' && echo "$window" && return 0
    done
    return 1
}

running() {
    kill -0 "$quorvel_pid" 2>/dev/null
}

has_no_menu() {
    ! has_menu
}

# A visible window of quorvel's own, other than the tray icon and its menus: an alert, for one.
has_window() {
    local window info
    for window in $(xdotool search --onlyvisible --pid "$quorvel_pid" 2>/dev/null); do
        info="$(xwininfo -id "$window" 2>/dev/null)" || continue
        grep -q 'Override Redirect State: no' <<<"$info" || continue
        [ "$(awk '/Width:/ {print $2}' <<<"$info")" -gt 64 ] && return 0
    done
    return 1
}

screenshot() {
    import -window root "$artifacts/$1.png"
}

# The mean colour of a rectangle of the screen (X Y WIDTH HEIGHT) as "R G B", 0 to 255.
mean_colour() {
    import -window root -crop "$3x$4+$1+$2" png:- | convert png:- -scale '1x1!' -depth 8 rgb:- | od -An -tu1
}
