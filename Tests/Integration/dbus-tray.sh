#!/usr/bin/env bash
# The StatusNotifierItem path: with a tray host on a private session bus, quorvel registers its item and
# exports its menu over com.canonical.dbusmenu, and a refresh while the menu is open updates the
# exported rows in place. Task names show exactly: dbusmenu takes "_" for a mnemonic, so the labels
# double it.
source "$(dirname "$0")/support/desktop-session.sh" "$@"
source "$support/tray-host.sh"

start_tray_host
write_settings "codex claude"
"$build/quorvel-status" set review-1 waiting "Review & merge <b>now</b>" >/dev/null
"$build/quorvel-status" set review-3 failed "fix_bug & ship_it" >/dev/null
"$build/quorvel-status" set review-4 failed "R&D_notes" >/dev/null
start_quorvel
wait_for_item

# Runs a check (Python) over the exported layout on standard input; the check's arguments follow.
# `shown(label)` is a label as a host displays it: dbusmenu marks a mnemonic with "_" and writes "__"
# for a literal underscore.
check_layout() {
    local check="$1"
    shift
    "$python" -c "
import json, re, sys
def shown(label):
    return re.sub(r'_(.)', r'\1', label)
layout = json.load(sys.stdin)
top = layout['menu']['children']
visible = [item for item in top if item['visible']]
def child(label):
    return next(item for item in top if shown(item['label']) == label)
$check" "$@"
}

menu item >"$work/item.json" || fail "the item's properties cannot be read"
"$python" - "$work/item.json" <<'PY' || fail "unexpected item properties: $(cat "$work/item.json")"
import json, sys
item = json.load(open(sys.argv[1]))
assert item["status"] in ("Active", "NeedsAttention"), item
assert item["icon-sizes"], "no icon pixmaps"
assert all(width == height for width, height in item["icon-sizes"]), item["icon-sizes"]
assert [22, 22] in item["icon-sizes"], item["icon-sizes"]
PY

# Hosts name the item by its title and tooltip; once refreshed, the tooltip carries the status summary.
names_summary() {
    menu item | "$python" -c 'import json, sys
item = json.load(sys.stdin)
sys.exit(item["title"] != "Quorvel" or "Needs your attention, 1 chats" not in item["tooltip-title"])'
}
wait_until 10 names_summary || fail "the item does not name the summary: $(menu item)"

# Refreshes fill the rows; wait for the first one.
has_row() {
    menu layout | check_layout 'assert any(i["visible"] and shown(i["label"]) == sys.argv[1] for i in top)' "$1" \
        2>/dev/null
}
wait_until 10 has_row "Review & merge <b>now</b>" || fail "the task row never appeared: $(menu layout)"
menu layout >"$work/closed.json"
cp "$work/closed.json" "$artifacts/layout-closed.json"

check_layout '
header = shown(visible[0]["label"])
assert header.startswith("Quorvel by Nimbrel \u00b7 v"), header
names = [shown(i["label"]) for i in visible if i["type"] != "separator"]
tail = ["Show active chats from", "Report an issue\u2026", "Sounds", "Settings\u2026", "Quit Quorvel"]
assert names[-5:] == tail, names
assert "Review & merge <b>now</b>" in names and "Needs your attention" in names, names
labels = [i["label"] for i in visible]
assert "fix__bug & ship__it" in labels, labels
assert "R_&D__notes" in labels and "R&D_notes" in names, labels
# 30 rows are built; the 27 without a task are hidden, and so are the empty-state and update items.
hidden = [i for i in top if not i["visible"]]
assert len(hidden) >= 27 * 3, len(hidden)
assert not any(i["visible"] and i["label"].startswith("No recent") for i in top), names
assert not any(i["visible"] and i["label"].startswith("Update available") for i in top), names
windows = child("Show active chats from")["children"]
assert [shown(w["label"]) for w in windows] == ["Last hour", "Last 2 hours", "Last 4 hours", "Last day"], windows
assert [w["toggle-state"] for w in windows] == [0, 0, 0, 1], windows
sounds = child("Sounds")["children"]
assert [(shown(s["label"]), s["toggle-state"]) for s in sounds] == [("Play sounds", 0)], sounds
' <"$work/closed.json" || fail "the exported menu is not the expected one: $(cat "$work/closed.json")"

# Open the menu the way a host does, add a task, and watch the open menu change in place.
ids_of() { "$python" -c 'import json,sys
def walk(n): return [n["id"]] + [i for c in n["children"] for i in walk(c)]
print(sorted(walk(json.load(open(sys.argv[1]))["menu"])))' "$1"; }
menu about-to-show 0 >/dev/null
menu event 0 opened
"$build/quorvel-status" set review-2 working "Second task" >/dev/null
wait_until 10 has_row "Second task" || fail "the open menu did not show the new task: $(menu layout)"
menu layout >"$work/open.json"
cp "$work/open.json" "$artifacts/layout-open.json"
[ "$(ids_of "$work/closed.json")" = "$(ids_of "$work/open.json")" ] ||
    fail "the open menu was rebuilt instead of updated in place"
check_layout '
names = [shown(i["label"]) for i in visible if i["type"] != "separator"]
assert names.index("Review & merge <b>now</b>") < names.index("Second task"), names
' <"$work/open.json" || fail "the rows of the open menu are out of order: $(cat "$work/open.json")"

# Closed, the menu is still the same one, with both tasks: it is never rebuilt, only changed in place.
menu event 0 closed
sleep 0.5
menu layout >"$work/after.json"
[ "$(ids_of "$work/after.json")" = "$(ids_of "$work/open.json")" ] || fail "the menu was rebuilt after it closed"
has_row "Second task" || fail "the closed menu lost the new task"
has_row "Review & merge <b>now</b>" || fail "the closed menu lost the first task"
echo "dbus-tray: item registered, menu exported, open menu updated in place"
