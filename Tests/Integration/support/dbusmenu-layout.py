#!/usr/bin/python3
"""Prints the exported menu of a StatusNotifierItem as JSON, or sends it a menu event.

  dbusmenu-layout.py NAME ITEM_PATH layout          -> {"revision": n, "menu": {id, label, visible, enabled, children}}
  dbusmenu-layout.py NAME ITEM_PATH event ID EVENT  -> sends Event(ID, EVENT) ("opened", "closed", "clicked")
  dbusmenu-layout.py NAME ITEM_PATH about-to-show ID
"""
import json
import sys
import time

import dbus

MENU = "com.canonical.dbusmenu"


def node(item):
    ident, properties, children = item
    return {
        "id": int(ident),
        "label": str(properties.get("label", "")),
        "type": str(properties.get("type", "standard")),
        "visible": bool(properties.get("visible", True)),
        "enabled": bool(properties.get("enabled", True)),
        "toggle-state": int(properties.get("toggle-state", -1)),
        "children-display": str(properties.get("children-display", "")),
        "children": [node(child) for child in children],
    }


def main():
    name, item_path, command = sys.argv[1:4]
    bus = dbus.SessionBus()
    item = bus.get_object(name, item_path)
    menu_path = item.Get("org.kde.StatusNotifierItem", "Menu", dbus_interface=dbus.PROPERTIES_IFACE)
    menu = dbus.Interface(bus.get_object(name, menu_path), MENU)
    if command == "layout":
        revision, layout = menu.GetLayout(0, -1, dbus.Array([], signature="s"))
        print(json.dumps({"revision": int(revision), "menu": node(layout)}, ensure_ascii=False))
    elif command == "event":
        menu.Event(int(sys.argv[4]), sys.argv[5], dbus.String("", variant_level=1), dbus.UInt32(int(time.time())))
    elif command == "about-to-show":
        print(bool(menu.AboutToShow(int(sys.argv[4]))))


if __name__ == "__main__":
    main()
