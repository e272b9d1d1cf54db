#!/usr/bin/env bash
# cmake --install puts the program, the hook helper, the desktop entry and the icon where a desktop
# finds them.
set -euo pipefail
build="$(cd "$1" && pwd)"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "install-layout: $*" >&2; exit 1; }
[ -x "$prefix/bin/quorvel" ] || fail "bin/quorvel missing or not executable"
[ -x "$prefix/lib/quorvel/quorvel-status" ] || fail "lib/quorvel/quorvel-status missing or not executable"
entry="$prefix/share/applications/quorvel.desktop"
[ -f "$entry" ] || fail "desktop entry missing"
desktop-file-validate "$entry" || fail "desktop entry not valid"
grep -qx 'Exec=quorvel' "$entry" || fail "desktop entry does not start quorvel"
grep -qx 'Icon=quorvel' "$entry" || fail "desktop entry names another icon"
icon="$prefix/share/icons/hicolor/scalable/apps/quorvel.svg"
[ -f "$icon" ] || fail "icon missing"
grep -q '<svg' "$icon" || fail "icon is not an SVG"
"$prefix/lib/quorvel/quorvel-status" list --directory "$prefix/tasks" | grep -qx '\[\]' ||
    fail "installed helper does not run"
echo "install-layout: ok"
