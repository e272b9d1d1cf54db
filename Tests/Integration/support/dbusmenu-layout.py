#!/usr/bin/python3
"""Reads a StatusNotifierItem and its exported menu, or sends the menu an event, as a tray host would.

  dbusmenu-layout.py NAME ITEM_PATH item            -> JSON of the item's properties (icon sizes only)
  dbusmenu-layout.py NAME ITEM_PATH layout          -> {"revision": n, "menu": {id, label, visible, ..., children}}
  dbusmenu-layout.py NAME ITEM_PATH event ID EVENT  -> sends Event(ID, EVENT) ("opened", "closed", "clicked")
  dbusmenu-layout.py NAME ITEM_PATH about-to-show ID
"""
import json
import sys
import time

import dbus

MENU = "com.canonical.dbusmenu"
ITEM = "org.kde.StatusNotifierItem"


def item_properties(properties):
    tooltip = properties.get("ToolTip", ("", [], "", ""))
    return {
        "id": str(properties.get("Id", "")),
        "title": str(properties.get("Title", "")),
        "status": str(properties.get("Status", "")),
        "category": str(properties.get("Category", "")),
        "icon-sizes": [[int(width), int(height)] for width, height, _ in properties.get("IconPixmap", [])],
        "tooltip-title": str(tooltip[2]),
        "tooltip-text": str(tooltip[3]),
    }


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
    properties = item.GetAll(ITEM, dbus_interface=dbus.PROPERTIES_IFACE)
    if command == "item":
        print(json.dumps(item_properties(properties), ensure_ascii=False))
        return
    menu_path = properties["Menu"]
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
